// The commands: scan pages, get movies, list the cache's movies, list the open tabs.
#include <QJsonObject>
#include <QWebEngineProfile>

#include "Version.h"
#include "app/cli/CliCommand.h"
#include "app/cli/CliDownloads.h"
#include "logic/WarcWriter.h"
#include "platform/OpenTabs.h"
#include "platform/Secrets.h"
#include "web/BrowserPage.h"
#include "web/PageScanner.h"

namespace {
const QString kJsonHelp = "Write JSON Lines with named fields.";

// Options shared by the commands that download.
void AddWarcOption(QCommandLineParser& parser) {
    parser.addOption({"warc",
                      "Also record every request and answer in the web archive FILE "
                      "(WARC 1.1; gzip-compressed records when it ends in .gz).",
                      "FILE"});
}

std::unique_ptr<TWarcWriter> OpenWarc(const QCommandLineParser& parser) {
    if (!parser.isSet("warc")) {
        return nullptr;
    }
    auto warc = std::make_unique<TWarcWriter>(parser.value("warc"));
    const TOutcome opened = warc->Open("Vimbrel " VIMBREL_VERSION);
    if (!opened) {
        throw UsageError{opened.reason};
    }
    return warc;
}

// A browser profile of this process's own, in a folder that goes with the process (on disk, so
// the deep scan can look in its cache): several processes at once never share one.
class TOwnProfile {
  public:
    explicit TOwnProfile(const QString& folder) : profile_("vimbrel-" + RandomHex(1)) {
        profile_.setCachePath(folder + "/cache");
        profile_.setPersistentStoragePath(folder + "/data");
        profile_.setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        PrepareBrowserProfile(&profile_);
    }
    QWebEngineProfile* Profile() { return &profile_; }

  private:
    QWebEngineProfile profile_;
};

class TScanCommand : public TCliCommand {
  public:
    TScanCommand(const TUserFolders& folders, QString profileFolder)
        : core_(folders), profileFolder_(std::move(profileFolder)) {}
    QString Name() const override { return "scan"; }
    QString Summary() const override {
        return "Load pages as the window's browser does and list their movies.";
    }
    bool NeedsBrowser(const QCommandLineParser&) const override { return true; }
    void AddOptions(QCommandLineParser& parser) override {
        parser.addOption({"deep", "List what the deep scan finds too."});
        parser.addOption({"wait",
                          "Keep each page open SECONDS after its scan, for the movies it "
                          "fetches meanwhile (with --deep).",
                          "SECONDS", "0"});
        parser.addOption(
            {"timeout", "Give up on a page that has not loaded within SECONDS.", "SECONDS", "60"});
        parser.addOption({"get", "Download the movies found into DIR.", "DIR"});
        AddWarcOption(parser);
        parser.addOption({"json", kJsonHelp});
        CliAddressOptions::Add(parser, "pages to scan");
    }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        TPageScanner::Options options;
        options.deep = parser.isSet("deep");
        options.waitMs = Milliseconds(parser, "wait");
        options.timeoutMs = Milliseconds(parser, "timeout");
        if (parser.isSet("get")) {
            folder_ = WritableFolder(parser.value("get"));
        }
        pages_ = CliAddressOptions::Read(parser);
        warc_ = OpenWarc(parser);
        output_ = std::make_unique<TCliOutput>(parser.isSet("json"));
        downloads_ = std::make_unique<TCliDownloads>(core_, *output_, warc_.get());
        profile_ = std::make_unique<TOwnProfile>(profileFolder_);
        scanner_ = std::make_unique<TPageScanner>(profile_->Profile(), options);
        done_ = std::move(done);
        Next();
    }
    void Cancel() override {
        core_.CancelAll();
        scanner_.reset();
    }

  private:
    void Next() {
        if (next_ == pages_.size()) {
            done_(output_->Failed() || (warc_ && !warc_->Error().isEmpty()) ? kExitFailure
                                                                            : kExitOk);
            return;
        }
        scanner_->Scan(pages_[next_++], [this](const TPageScanResult& result) {
            if (!result.outcome) {
                output_->Failure(result.page + ": " + result.outcome.reason);
                Next();
                return;
            }
            if (folder_.isEmpty()) {
                int index = 0;
                for (const FoundMovie& movie : result.movies) {
                    MovieRow row;
                    row.address = movie.address;
                    row.source = movie.source;
                    row.document = movie.document;
                    output_->Result(movie.address, MovieJson(result.page, ++index, row));
                }
                Next();
            } else {
                downloads_->Run(result.page, result.movies, folder_, [this] { Next(); });
            }
        });
    }

    TCore core_;
    const QString profileFolder_;
    QStringList pages_;
    qsizetype next_ = 0;
    QString folder_;
    std::unique_ptr<TWarcWriter> warc_;
    std::unique_ptr<TCliOutput> output_;
    std::unique_ptr<TCliDownloads> downloads_;
    std::unique_ptr<TOwnProfile> profile_;
    std::unique_ptr<TPageScanner> scanner_;  // its pages go before their profile
    std::function<void(int)> done_;
};

class TGetCommand : public TCliCommand {
  public:
    explicit TGetCommand(const TUserFolders& folders) : core_(folders) {}
    QString Name() const override { return "get"; }
    QString Summary() const override {
        return "Download movies one after another, named as the window names them.";
    }
    void AddOptions(QCommandLineParser& parser) override {
        parser.addOption({"to", "Save into DIR (the current folder by default).", "DIR", "."});
        AddWarcOption(parser);
        parser.addOption({"json", kJsonHelp});
        CliAddressOptions::Add(parser, "movies to download");
    }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        const QString folder = WritableFolder(parser.value("to"));
        std::vector<FoundMovie> movies;
        for (const QString& address : CliAddressOptions::Read(parser)) {
            movies.push_back({address, MovieSource::CommandLine, QString()});
        }
        warc_ = OpenWarc(parser);
        output_ = std::make_unique<TCliOutput>(parser.isSet("json"));
        downloads_ = std::make_unique<TCliDownloads>(core_, *output_, warc_.get());
        downloads_->Run(QString(), movies, folder, [this, done] {
            done(output_->Failed() || (warc_ && !warc_->Error().isEmpty()) ? kExitFailure
                                                                           : kExitOk);
        });
    }
    void Cancel() override { core_.CancelAll(); }

  private:
    TCore core_;
    std::unique_ptr<TWarcWriter> warc_;
    std::unique_ptr<TCliOutput> output_;
    std::unique_ptr<TCliDownloads> downloads_;
};

class TCacheCommand : public TCliCommand {
  public:
    explicit TCacheCommand(const TUserFolders& folders) : core_(folders) {}
    QString Name() const override { return "cache"; }
    QString Summary() const override {
        return "List the movies of the browsers' caches, as the cache tab does.";
    }
    void AddOptions(QCommandLineParser& parser) override {
        parser.addOption({"copy", "Copy them into DIR.", "DIR"});
        parser.addOption({"json", kJsonHelp});
    }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        if (!parser.positionalArguments().isEmpty()) {
            throw UsageError{"cache takes no addresses"};
        }
        const QString folder =
            parser.isSet("copy") ? WritableFolder(parser.value("copy")) : QString();
        output_ = std::make_unique<TCliOutput>(parser.isSet("json"));
        QObject::connect(&core_, &TCore::CacheScanFinished, &core_, [this, folder, done] {
            TMovieListModel& movies = core_.CacheMovies();
            if (folder.isEmpty()) {
                for (int i = 0; i < movies.Count(); ++i) {
                    output_->Result(movies.Row(i).localFile, Json(movies.Row(i), QString()));
                }
                done(kExitOk);
                return;
            }
            movies.SetAllTicked(true);
            QObject::connect(&core_, &TCore::CopyFinished, &core_,
                             [this, done] { done(output_->Failed() ? kExitFailure : kExitOk); });
            QObject::connect(&core_, &TCore::FileCopied, &core_,
                             [this](int row, const QString& target, const TOutcome& outcome) {
                                 const MovieRow& movie = core_.CacheMovies().Row(row);
                                 if (outcome) {
                                     output_->Result(target, Json(movie, target));
                                 } else {
                                     output_->Failure(movie.localFile + ": " + outcome.reason);
                                 }
                             });
            core_.StartCopy(folder);
        });
        core_.StartCacheScan();
    }
    void Cancel() override { core_.CancelAll(); }

  private:
    static QJsonObject Json(const MovieRow& row, const QString& copy) {
        QJsonObject json{{"index", row.index}, {"address", row.address},
                         {"found", "cache"},   {"browser", row.browser},
                         {"size", row.size},   {"saved", row.localFile}};
        if (!copy.isEmpty()) {
            json["copy"] = copy;
        }
        return json;
    }

    TCore core_;
    std::unique_ptr<TCliOutput> output_;
};

class TTabsCommand : public TCliCommand {
  public:
    explicit TTabsCommand(const TUserFolders& folders) : folders_(folders) {}
    QString Name() const override { return "tabs"; }
    QString Summary() const override { return "List the pages open in the desktop's browsers."; }
    void AddOptions(QCommandLineParser& parser) override { parser.addOption({"json", kJsonHelp}); }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        if (!parser.positionalArguments().isEmpty()) {
            throw UsageError{"tabs takes no addresses"};
        }
        TCliOutput output(parser.isSet("json"));
        const TOpenTabs open = OpenBrowserTabs(folders_);
        if (!open.error.isEmpty()) {
            output.Failure(open.error);
        }
        for (const QString& address : open.tabs) {
            output.Result(address, QJsonObject{{"address", address}});
        }
        done(output.Failed() ? kExitFailure : kExitOk);
    }

  private:
    const TUserFolders folders_;
};
}  // namespace

std::vector<std::unique_ptr<TCliCommand>> CliCommands(const QString& profileFolder) {
    const TUserFolders folders = UserFoldersFromEnvironment();
    std::vector<std::unique_ptr<TCliCommand>> commands;
    commands.push_back(std::make_unique<TScanCommand>(folders, profileFolder));
    commands.push_back(std::make_unique<TGetCommand>(folders));
    commands.push_back(std::make_unique<TCacheCommand>(folders));
    commands.push_back(std::make_unique<TTabsCommand>(folders));
    return commands;
}
