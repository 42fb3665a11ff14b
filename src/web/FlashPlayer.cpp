#include "web/FlashPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "logic/AddressResolution.h"
#include "logic/HttpGetThread.h"
#include "logic/Job.h"
#include "logic/LoadRecorder.h"
#include "logic/WarcWriter.h"
#include "platform/Pruning.h"
#include "platform/Settings.h"
#include "platform/UrlCache.h"
#include "platform/UrlCacheStore.h"
#include "platform/UserFolders.h"
#include "web/PlayerServer.h"
#include "web/WebResources.h"
#include "web/WindowShown.h"

namespace {
// "1.5 MB", "640 kB": a size as a person reads it.
QString SizeText(qint64 bytes) {
    return bytes >= 1024 * 1024 ? QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + " MB"
                                : QString::number(bytes / 1024) + " kB";
}
}  // namespace

TFlashPlayer::TFlashPlayer(QWidget* parent, const QString& runtimeFolder)
    : QWebEngineView(parent),
      loads_(std::make_unique<TLoadRecorder>(
          PreviewLoadsFolder(),
          [this](const QString& movie, const TLoadedFile& file, bool limitReached) {
              // Told on a server thread; heard here only while the player is there.
              QMetaObject::invokeMethod(
                  this,
                  [this, movie, file, limitReached] { emit FileLoaded(movie, file, limitReached); },
                  Qt::QueuedConnection);
          })),
      server_(std::make_unique<TPlayerServer>(
          runtimeFolder.isEmpty() ? PlayerRuntimeFolder() : runtimeFolder, loads_.get())) {
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        ready_ = ok;
        if (ok && !pendingScript_.isEmpty()) {
            page()->runJavaScript(pendingScript_);
            pendingScript_.clear();
            if (std::exchange(pendingStart_, false)) {
                emit MovieStarted(movie_);
            }
        }
    });
    // The browser engine starts with the first page made, which takes a while: a window holding
    // the player is up first. Till then the view stays hidden, as a view shown makes a page of
    // its own.
    const bool inWindow = parent != nullptr;
    if (inWindow) {
        hide();
    }
    const auto makePage = [this, inWindow] {
        // Off the record: the player keeps nothing on disk.
        page_ = new QWebEnginePage(new QWebEngineProfile(this), this);
        setPage(page_);
        if (server_->IsRunning()) {
            load(QUrl(server_->PlayerPageUrl()));
        }
        if (inWindow) {
            show();
        }
    };
    if (inWindow) {
        WhenWindowShown(this, makePage);
    } else {
        QTimer::singleShot(0, this, makePage);
    }
    PruneStores();
}

void TFlashPlayer::PruneStores() {
    const qint64 limit = TSettings(ProgramFolders()).StoreLimitBytes();
    const QString store = TUrlCacheStore::Shared().Folder();
    const QString loads = PreviewLoadsFolder();
    RunInBackground<qint64>(
        this,
        [store, loads, limit] {
            return PruneFolder(store, limit, {".index", ".lock"}) + PruneFolder(loads, limit);
        },
        [](qint64) {});
}

TFlashPlayer::~TFlashPlayer() {
    fetch_.reset();  // stops a fetch under way
    loads_->Stop();  // and the loads under way, before the server waits for them
    server_.reset();
    // The page goes before the profile it was made from.
    delete page_;
}

void TFlashPlayer::SetMovie(const QString& movie) {
    movie_ = movie;
    const int request = ++request_;
    loads_->CancelLoads();  // the movie that made them is gone
    if (!server_->IsRunning()) {
        emit MovieFailed(movie, server_->Error());  // the pane has no player to show it
        return;
    }
    if (!IsHttpAddress(movie)) {
        // Addresses come from web pages: another scheme is neither fetched nor read.
        Tell("The movie cannot be played: not an http or https address");
        emit MovieFailed(movie, "not an http or https address");
        return;
    }
    // The movie playing goes at once; the pane says what it does meanwhile.
    Tell("Loading the movie…");
    // Every movie the preview fetches is kept in the store, where the cache tab lists it.
    TUrlCacheStore& store = TUrlCacheStore::Shared();
    QDir().mkpath(store.Folder());
    const QString file = store.PathFor(movie);
    // A new selection takes over from a fetch still under way.
    THttpGetOptions options;
    options.maxBytes = kMostPreviewBytes;
    fetch_.reset();
    fetchRecord_.reset();
    fetchArchive_ = archive_;
    fetchRecord_ = archive_ ? archive_->Stream() : nullptr;
    options.recorder = fetchRecord_.get();
    fetch_ = std::make_unique<TJobInstance<THttpGetThread>>(movie, file, options);
    connect(fetch_.get(), &THttpGetThread::Received, this, [this](qint64 bytes, qint64 total) {
        if (bytes >= kShowBytesFrom) {
            Tell("Loading the movie… " + SizeText(bytes) +
                 (total > 0 ? " of " + SizeText(total) : QString()));
        }
    });
    connect(fetch_.get(), &TJob::Finished, this, [this, file, movie, request] {
        bool saved = fetch_->Result().saved;
        QString reason = fetch_->Result().reason;
        if (saved && !IsMovieFile(file)) {
            // An error page sent as a success, an empty body: nothing for the player or the store.
            QFile::remove(file);
            saved = false;
            reason = "not a Flash movie";
        }
        if (!saved && request == request_) {
            Tell("The movie cannot be played: " + reason);
            emit MovieFailed(movie, reason);
        }
        fetch_.release()->deleteLater();  // it is still delivering this signal
        // A movie that cannot be fetched is not shown; the window tells why.
        if (saved) {
            PruneStores();
            const TOutcome recorded = TUrlCacheStore::Shared().Record(movie, "preview");
            if (!recorded) {
                qWarning("%s", qPrintable(recorded.reason));
            }
            // Its loads resolve against its folder, as they did on its page.
            Play(file, PageDirectory(movie), server_->LoadPrefix(movie, movie), request);
        }
    });
    fetch_->Start();
}

void TFlashPlayer::Clear() {
    movie_.clear();
    ++request_;  // a fetch under way plays nothing when it ends
    fetch_.reset();
    loads_->CancelLoads();
    RunWhenReady("vimbrelStop();");
}

void TFlashPlayer::Tell(const QString& text) {
    RunWhenReady(QString("vimbrelTell(%1);").arg(JsString(text)));
}

void TFlashPlayer::SetPaused(bool paused) {
    if (ready_) {
        page()->runJavaScript(QString("vimbrelPause(%1);").arg(paused ? "true" : "false"));
    }
}

void TFlashPlayer::SetArchive(std::shared_ptr<TWarcWriter> archive) {
    archive_ = archive;
    loads_->SetArchive(std::move(archive));
}

void TFlashPlayer::SetMovieFile(const QString& path, const QString& address) {
    movie_ = path;
    const int request = ++request_;
    loads_->CancelLoads();
    if (IsHttpAddress(address)) {
        Play(path, PageDirectory(address), server_->LoadPrefix(path, address), request);
    } else {
        Play(path, QUrl::fromLocalFile(QFileInfo(path).absolutePath() + "/").toString(), QString(),
             request);
    }
}

void TFlashPlayer::Play(const QString& localFile, const QString& base, const QString& loads,
                        int request) {
    if (request != request_) {
        return;  // a later selection has taken over
    }
    TouchFile(localFile);  // the store keeps what was played last longest
    const QString address = server_->RegisterMovie(localFile);
    RunWhenReady(QString("vimbrelPlay(%1, %2, %3);")
                     .arg(JsString(address), JsString(base), JsString(loads)));
    pendingStart_ = !ready_;
    if (ready_) {
        emit MovieStarted(movie_);
    }
}

void TFlashPlayer::RunWhenReady(const QString& script) {
    if (ready_) {
        page()->runJavaScript(script);
    } else {
        pendingScript_ = script;
        pendingStart_ = false;
    }
}
