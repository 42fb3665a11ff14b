#include "discovery/WebBrowser.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

// The resources live in a static library: make sure they are linked and registered.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
constexpr int kPollMs = 50;

QString SnapshotScriptSource() {
    InitResources();
    QFile file(":/snapshot.js");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
}  // namespace

QWebEngineProfile* BrowserProfile() {
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile("vimbrel", QCoreApplication::instance());
        const QString cache =
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        p->setCachePath(cache + "/vimbrel/browser");
        p->setPersistentStoragePath(data + "/vimbrel/browser");
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
    setPage(new QWebEnginePage(BrowserProfile(), this));
    connect(this, &QWebEngineView::loadFinished, this, &TWebBrowser::DocumentComplete);
}

TWebBrowser::~TWebBrowser() {
    *alive_ = false;
}

void TWebBrowser::Navigate(const QString& address) {
    // Completing an address typed without a scheme is the browser's part.
    load(QUrl::fromUserInput(address));
}

void TWebBrowser::RequestSnapshot(SnapshotReady ready, int frameBudgetMs) {
    const int attempts = (frameBudgetMs + 3000) / kPollMs;
    page()->runJavaScript(
        QString("window.__vimbrelSnapshot ? window.__vimbrelSnapshot.start(%1) : -1")
            .arg(frameBudgetMs),
        QWebEngineScript::ApplicationWorld,
        [this, alive = std::weak_ptr<bool>(alive_), attempts, ready](const QVariant& id) {
            if (!alive.lock() || !*alive.lock()) {
                return;
            }
            if (!id.isValid() || id.toInt() < 0) {
                ready(std::nullopt, "The page could not be read.");
                return;
            }
            Poll(id.toInt(), attempts, ready);
        });
}

void TWebBrowser::Poll(int id, int attemptsLeft, SnapshotReady ready) {
    page()->runJavaScript(
        QString("window.__vimbrelSnapshot ? window.__vimbrelSnapshot.take(%1) : ''").arg(id),
        QWebEngineScript::ApplicationWorld,
        [this, alive = std::weak_ptr<bool>(alive_), id, attemptsLeft,
         ready](const QVariant& result) {
            if (!alive.lock() || !*alive.lock()) {
                return;
            }
            if (result.isNull() || (result.isValid() && result.userType() == QMetaType::Nullptr)) {
                if (attemptsLeft <= 0) {
                    ready(std::nullopt, "The page took too long to describe itself.");
                    return;
                }
                QTimer::singleShot(kPollMs, this, [=] { Poll(id, attemptsLeft - 1, ready); });
                return;
            }
            const QString json = result.toString();
            if (json.isEmpty()) {
                // A new document replaced the one being described.
                ready(std::nullopt, "The page changed while it was being read.");
                return;
            }
            QString error;
            auto snapshot = SnapshotFromJson(json.toUtf8(), &error);
            ready(std::move(snapshot), error);
        });
}
