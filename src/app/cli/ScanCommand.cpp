// The scan command: pages loaded in the browser engine, off screen.
#include <QJsonObject>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <cstdio>

#include "app/cli/CliCommand.h"
#include "app/cli/CliDownloads.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ScanCommand.h"
#include "logic/WarcWriter.h"
#include "platform/Secrets.h"
#include "platform/Settings.h"
#include "web/BrowserPage.h"
#include "web/MoviePlays.h"
#include "web/PageScanner.h"

namespace {
// A browser profile of this process's own, in a folder that goes with the process (on disk, so
// the deep scan can look in its cache): several processes at once never share one.
class TOwnProfile {
  public:
    TOwnProfile(const QString& folder, bool playFlashInPages)
        : profile_("vimbrel-" + RandomHex(1)) {
        profile_.setCachePath(folder + "/cache");
        profile_.setPersistentStoragePath(folder + "/data");
        profile_.setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        PrepareBrowserProfile(&profile_);
        PlayFlashInPages(&profile_, playFlashInPages);
    }
    QWebEngineProfile* Profile() { return &profile_; }

  private:
    QWebEngineProfile profile_;
};

class TScanCommand : public TCliCommand {
  public:
    TScanCommand(const TUserFolders& folders, QString profileFolder)
        : core_(folders), settings_(folders), profileFolder_(std::move(profileFolder)) {}
    QString Name() const override { return CommandNames::kScan; }
    QString Summary() const override { return CommandSummary(Name()); }
    void AddOptions(QCommandLineParser& parser) override {
        parser.addOption({"deep", "List what the deep scan finds too."});
        parser.addOption({"wait",
                          "Keep each page open SECONDS after its scan, for the movies it "
                          "fetches meanwhile (with --deep).",
                          "SECONDS", "0"});
        parser.addOption(
            {"timeout", "Give up on a page that has not loaded within SECONDS.", "SECONDS", "60"});
        parser.addOption({"play",
                          "Play every movie found on each page for SECONDS, off screen, 8 at a "
                          "time, and list (and with --get save, with --warc archive) what each "
                          "loads meanwhile.",
                          "SECONDS", "0"});
        parser.addOption({"get", "Download the movies found into DIR.", "DIR"});
        AddDownloadOptions(parser);
        parser.addOption({"verbose",
                          "Show the pages' own console messages, each after its "
                          "page's address."});
        AddWarcOption(parser);
        AddJsonOption(parser);
        TCliAddressOptions::Add(parser, "pages to scan");
    }
    void Start(const QCommandLineParser& parser, std::function<void(int)> done) override {
        TPageScanner::Options options;
        options.deep = parser.isSet("deep");
        options.waitMs = Milliseconds(parser, "wait");
        options.timeoutMs = Milliseconds(parser, "timeout", false);
        playMs_ = Milliseconds(parser, "play");
        if (parser.isSet("get")) {
            folder_ = WritableFolder(parser.value("get"));
        }
        TCliDownloadOptions downloadOptions = ReadDownloadOptions(parser);
        const TGivenAddresses given = TCliAddressOptions::Read(parser);
        pages_ = given.addresses;
        warc_ = OpenWarc(parser);
        downloadOptions.warc = warc_.get();
        options.archive = warc_.get();
        output_ = std::make_unique<TCliOutput>(parser.isSet("json"));
        ReportRefused(given, *output_);
        ShowConsoleMessages(parser.isSet("verbose"));
        downloads_ = std::make_unique<TCliDownloads>(core_, *output_, downloadOptions);
        // Pages are scanned as the window shows them, with their movies playing or not.
        profile_ = std::make_unique<TOwnProfile>(profileFolder_, settings_.PlayFlashInPages());
        scanner_ = std::make_unique<TPageScanner>(profile_->Profile(), options);
        plays_ = std::make_unique<TMoviePlays>(playMs_, warc_);
        done_ = std::move(done);
        Next();
    }
    void Cancel() override {
        core_.CancelAll();
        scanner_.reset();
        plays_.reset();
    }

  private:
    // The pages' console messages are theirs, not the program's: shown apart, when asked for.
    static void ShowConsoleMessages(bool show) {
        TBrowserPage::SetConsoleSink([show](const QString& page, const QString& message) {
            if (show) {
                std::fprintf(stderr, "%s: %s\n", Printable(page).toLocal8Bit().constData(),
                             Printable(message).toLocal8Bit().constData());
            }
        });
    }

    // A line for the page itself, so a reader tells "no movies" from "not scanned".
    void PageEnded(const TPageScanResult& result) {
        output_->CountPage();
        QJsonObject json{{"page", result.page},
                         {"status", result.outcome ? "Scanned" : "Failed"},
                         {"movies", static_cast<int>(result.movies.size())}};
        if (!result.outcome) {
            json["reason"] = result.outcome.reason;
        }
        output_->Result(QString(), json);
    }

    void Next() {
        if (next_ == pages_.size() || downloads_->ArchiveFailed()) {
            scanner_->WhenRecorded([this] {
                CloseWarc(warc_.get(), *output_);
                output_->Summary(true);
                done_(output_->Failed() ? kExitFailure : kExitOk);
            });
            return;
        }
        scanner_->Scan(pages_[next_++], [this](const TPageScanResult& result) {
            if (warc_) {
                warc_->AddPage(result.page, result.title);
            }
            for (const QString& note : result.notes) {
                output_->Note(note);
            }
            if (!result.outcome) {
                output_->Failure(result.page + ": " + result.outcome.reason);
                PageEnded(result);
                Next();
                return;
            }
            if (result.scriptsUnread > 0) {
                output_->Note(QString("%1: %2 external scripts were not in the browser's cache "
                                      "and were not read")
                                  .arg(result.page)
                                  .arg(result.scriptsUnread));
            }
            if (playMs_ == 0 || result.movies.empty()) {
                Tell(result, {});
                return;
            }
            QStringList movies;
            for (const TFoundMovie& movie : result.movies) {
                movies << movie.address;
            }
            plays_->Play(movies, [this, result](const TMoviePlays::Results& played) {
                TPlayedLoads loads;
                for (const auto& [movie, play] : played) {
                    if (!play.failed.isEmpty()) {
                        output_->Note(movie + ": did not play: " + play.failed);
                    } else if (play.limitReached) {
                        output_->Note(movie + ": loaded more than its limit; the rest was refused");
                    }
                    loads[movie] = play.loads;
                }
                Tell(result, loads);
            });
        });
    }

    // Lists or saves the page's movies, then goes on with the next page.
    void Tell(const TPageScanResult& result, const TPlayedLoads& played) {
        if (!folder_.isEmpty()) {
            downloads_->Run(result.page, result.movies, played, folder_, [this, result] {
                PageEnded(result);
                Next();
            });
            return;
        }
        int index = 0;
        for (const TFoundMovie& movie : result.movies) {
            TMovieRow row;
            row.address = movie.address;
            row.source = movie.source;
            row.document = movie.document;
            QJsonObject json = MovieJson(result.page, ++index, row);
            const auto loads = played.find(movie.address);
            if (loads != played.end()) {
                json["loads"] = LoadsJson(loads->second);
            }
            output_->Result(movie.address, json);
        }
        output_->CountMovies(index);
        PageEnded(result);
        Next();
    }

    // The archive outlives the core, whose download may still be writing into it as it goes.
    std::shared_ptr<TWarcWriter> warc_;
    TCore core_;
    TSettings settings_;
    const QString profileFolder_;
    QStringList pages_;
    qsizetype next_ = 0;
    QString folder_;
    std::unique_ptr<TCliOutput> output_;
    std::unique_ptr<TCliDownloads> downloads_;
    std::unique_ptr<TOwnProfile> profile_;
    std::unique_ptr<TPageScanner> scanner_;  // its pages go before their profile
    int playMs_ = 0;
    std::unique_ptr<TMoviePlays> plays_;
    std::function<void(int)> done_;
};

}  // namespace

std::unique_ptr<TCliCommand> ScanCommand(const QString& profileFolder) {
    return std::make_unique<TScanCommand>(UserFoldersFromEnvironment(), profileFolder);
}
