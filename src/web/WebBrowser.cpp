#include "web/WebBrowser.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#include "platform/Secrets.h"
#include "platform/UserFolders.h"

// The resources live in a static library: make sure they are linked and registered.
static void InitResources() {
    Q_INIT_RESOURCE(web);
}

namespace {
QString SnapshotScriptSource() {
    InitResources();
    QFile file(":/snapshot.js");
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll()).replace("@SNAPSHOT_SECRET@", SnapshotSecret());
}

// Hands the console lines of the snapshot script to the browser; every other message goes the
// usual way.
class TBrowserPage : public QWebEnginePage {
  public:
    TBrowserPage(QWebEngineProfile* profile, QObject* parent,
                 std::function<void(const ReportLine&)> sink)
        : QWebEnginePage(profile, parent), sink_(std::move(sink)) {}

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (auto report = ParseReportLine(message, SnapshotSecret())) {
            sink_(*report);
        } else {
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
        }
    }

  private:
    std::function<void(const ReportLine&)> sink_;
};
// Tells the browser of every request its page and frames make. The engine may call it on
// another thread; the browser hears of it on its own.
class TRequestWatch : public QWebEngineUrlRequestInterceptor {
  public:
    explicit TRequestWatch(TWebBrowser* browser)
        : QWebEngineUrlRequestInterceptor(browser), browser_(browser) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        QMetaObject::invokeMethod(
            browser_,
            [browser = browser_, url = info.requestUrl().toString(),
             type = static_cast<int>(info.resourceType())] {
                emit browser->ResourceRequested(url, type);
            },
            Qt::QueuedConnection);
    }

  private:
    TWebBrowser* browser_;
};
}  // namespace

const QString& SnapshotSecret() {
    static const QString secret = RandomHex(2);
    return secret;
}

QWebEngineProfile* BrowserProfile() {
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile("vimbrel", QCoreApplication::instance());
        const TUserFolders folders = ProgramFolders();
        p->setCachePath(folders.cacheHome + "/vimbrel/browser");
        p->setPersistentStoragePath(folders.dataHome + "/vimbrel/browser");
        p->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        QWebEngineScript snapshot;
        snapshot.setName("vimbrel-snapshot");
        snapshot.setSourceCode(SnapshotScriptSource());
        snapshot.setInjectionPoint(QWebEngineScript::DocumentCreation);
        snapshot.setWorldId(QWebEngineScript::ApplicationWorld);
        snapshot.setRunsOnSubFrames(true);
        p->scripts()->insert(snapshot);
        return p;
    }();
    return profile;
}

TWebBrowser::TWebBrowser(QWidget* parent) : QWebEngineView(parent) {
    setPage(new TBrowserPage(BrowserProfile(), this,
                             [this](const ReportLine& line) { TakeReport(line); }));
    page()->setUrlRequestInterceptor(new TRequestWatch(this));
    connect(this, &QWebEngineView::loadFinished, this, &TWebBrowser::DocumentComplete);
}

TWebBrowser::~TWebBrowser() {
    *alive_ = false;
}

void TWebBrowser::Navigate(const QString& address) {
    // Completing an address typed without a scheme is the browser's part.
    load(QUrl::fromUserInput(address));
}

void TWebBrowser::RequestSnapshot(SnapshotReady ready, int frameBudgetMs, bool deep) {
    const QString scan = RandomHex(1);
    snapshots_.emplace(scan, PendingSnapshot{SnapshotCollector(scan), std::move(ready)});
    page()->runJavaScript(
        QString("window.__vimbrelSnapshot ? window.__vimbrelSnapshot.start('%1', %2) : -1")
            .arg(scan, deep ? "true" : "false"),
        QWebEngineScript::ApplicationWorld,
        [this, alive = std::weak_ptr<bool>(alive_), scan](const QVariant& frames) {
            if (alive.lock() && *alive.lock() && (!frames.isValid() || frames.toInt() < 0)) {
                Finish(scan, "The page could not be read.");
            }
        });
    QTimer::singleShot(frameBudgetMs, this, [this, scan] {
        Finish(scan, "The page took too long to describe itself.");
    });
}

void TWebBrowser::TakeReport(const ReportLine& line) {
    const auto it = snapshots_.find(line.scan);
    if (it == snapshots_.end()) {
        return;  // a late answer to a snapshot already taken
    }
    it->second.collector.Add(line);
    if (it->second.collector.Complete()) {
        Finish(line.scan, QString());
    }
}

void TWebBrowser::Finish(const QString& scan, const QString& errorIfNoTop) {
    const auto it = snapshots_.find(scan);
    if (it == snapshots_.end()) {
        return;
    }
    PendingSnapshot pending = std::move(it->second);
    snapshots_.erase(it);
    auto tree = pending.collector.Assemble();
    pending.ready(std::move(tree), tree ? QString() : errorIfNoTop);
}
