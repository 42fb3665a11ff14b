// The scan command: pages loaded in the browser engine, off screen.
#include <QTemporaryDir>
#include <QWebEngineProfile>

#include "app/cli/CliCommand.h"
#include "app/cli/CliDownloads.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ScanCommand.h"
#include "logic/WarcWriter.h"
#include "platform/Secrets.h"
#include "platform/Settings.h"
#include "web/BrowserPage.h"
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
    QString Name() const override { return "scan"; }
    QString Summary() const override { return CommandSummary(Name()); }
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
        AddJsonOption(parser);
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
        // Pages are scanned as the window shows them, with their movies playing or not.
        profile_ = std::make_unique<TOwnProfile>(profileFolder_, settings_.PlayFlashInPages());
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
            if (result.scriptsUnread > 0) {
                output_->Note(QString("%1: %2 external scripts were not in the browser's cache "
                                      "and were not read")
                                  .arg(result.page)
                                  .arg(result.scriptsUnread));
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
    TSettings settings_;
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

}  // namespace

std::unique_ptr<TCliCommand> ScanCommand(const QString& profileFolder) {
    return std::make_unique<TScanCommand>(UserFoldersFromEnvironment(), profileFolder);
}
