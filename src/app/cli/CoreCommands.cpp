// The commands that need no browser: get movies, list the cache's movies, list the open tabs.
#include <QJsonObject>

#include "app/cli/CliCommand.h"
#include "app/cli/CliDownloads.h"
#include "app/cli/CommandLine.h"
#include "logic/WarcWriter.h"
#include "platform/OpenTabs.h"

namespace {
class TGetCommand : public TCliCommand {
  public:
    explicit TGetCommand(const TUserFolders& folders) : core_(folders) {}
    QString Name() const override { return CommandNames::kGet; }
    QString Summary() const override { return CommandSummary(Name()); }
    void AddOptions(QCommandLineParser& parser) override {
        parser.addOption({"to", "Save into DIR (the current folder by default).", "DIR", "."});
        AddDownloadOptions(parser);
        AddWarcOption(parser);
        AddJsonOption(parser);
        TCliAddressOptions::Add(parser, "movies to download");
    }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        const QString folder = WritableFolder(parser.value("to"));
        TCliDownloadOptions options = ReadDownloadOptions(parser);
        const TGivenAddresses given = TCliAddressOptions::Read(parser);
        warc_ = OpenWarc(parser);
        options.warc = warc_.get();
        output_ = std::make_unique<TCliOutput>(parser.isSet("json"));
        ReportRefused(given, *output_);
        std::vector<TFoundMovie> movies;
        for (const QString& address : given.addresses) {
            movies.push_back({address, TMovieSource::CommandLine, QString()});
        }
        downloads_ = std::make_unique<TCliDownloads>(core_, *output_, options);
        downloads_->Run(QString(), movies, {}, folder, [this, done] {
            CloseWarc(warc_.get(), *output_);
            output_->Summary(false);
            done(output_->Failed() ? kExitFailure : kExitOk);
        });
    }
    void Cancel() override { core_.CancelAll(); }

  private:
    // The archive outlives the core, whose download may still be writing into it as it goes.
    std::unique_ptr<TWarcWriter> warc_;
    TCore core_;
    std::unique_ptr<TCliOutput> output_;
    std::unique_ptr<TCliDownloads> downloads_;
};

class TCacheCommand : public TCliCommand {
  public:
    explicit TCacheCommand(const TUserFolders& folders) : core_(folders) {}
    QString Name() const override { return CommandNames::kCache; }
    QString Summary() const override { return CommandSummary(Name()); }
    void AddOptions(QCommandLineParser& parser) override {
        parser.addOption({"copy", "Copy them into DIR.", "DIR"});
        AddJsonOption(parser);
    }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        if (!parser.positionalArguments().isEmpty()) {
            throw TUsageError{"cache takes no addresses"};
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
                                 if (row < 0 || row >= core_.CacheMovies().Count()) {
                                     output_->Failure(target + ": the movie left the list");
                                     return;
                                 }
                                 const TMovieRow& movie = core_.CacheMovies().Row(row);
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
    static QJsonObject Json(const TMovieRow& row, const QString& copy) {
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
    QString Name() const override { return CommandNames::kTabs; }
    QString Summary() const override { return CommandSummary(Name()); }
    void AddOptions(QCommandLineParser& parser) override { AddJsonOption(parser); }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        if (!parser.positionalArguments().isEmpty()) {
            throw TUsageError{"tabs takes no addresses"};
        }
        TCliOutput output(parser.isSet("json"));
        const TOpenTabs open = OpenBrowserTabs(folders_);
        if (!open.error.isEmpty()) {
            output.Failure(open.error);
        }
        for (const QString& address : WebPagesAmong(open.tabs)) {
            output.Result(address, QJsonObject{{"address", address}});
        }
        done(output.Failed() ? kExitFailure : kExitOk);
    }

  private:
    const TUserFolders folders_;
};
}  // namespace

std::vector<std::unique_ptr<TCliCommand>> CoreCommands() {
    const TUserFolders folders = UserFoldersFromEnvironment();
    std::vector<std::unique_ptr<TCliCommand>> commands;
    commands.push_back(std::make_unique<TGetCommand>(folders));
    commands.push_back(std::make_unique<TCacheCommand>(folders));
    commands.push_back(std::make_unique<TTabsCommand>(folders));
    return commands;
}
