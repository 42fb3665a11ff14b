#include "web/PagePlayers.h"

#include <QCoreApplication>

#include "logic/AddressResolution.h"
#include "logic/Job.h"
#include "logic/LoadRecorder.h"
#include "platform/Pruning.h"
#include "platform/Settings.h"
#include "platform/UserFolders.h"
#include "web/PlayerServer.h"

namespace {
QString LoadsFolder() {
    return ProgramFolders().cacheHome + "/vimbrel/page-loads";
}
}  // namespace

TPagePlayers::TPagePlayers(const QString& runtimeFolder, QObject* parent)
    : QObject(parent),
      loads_(std::make_unique<TLoadRecorder>(
          LoadsFolder(),
          [this](const QString& movie, const TLoadedFile& file, bool limitReached) {
              // Told on a server thread.
              QMetaObject::invokeMethod(
                  this,
                  [this, movie, file, limitReached] {
                      // The fetch of a frame's movie itself is not its load.
                      if (IsHttpAddress(movie)) {
                          emit FileLoaded(movie, file, limitReached);
                      }
                      if (!prune_.isActive()) {
                          prune_.start();  // at most every few seconds, however much arrives
                      }
                  },
                  Qt::QueuedConnection);
          })),
      server_(std::make_unique<TPlayerServer>(runtimeFolder, loads_.get())) {
    server_->OnPageMovieFailed([this](const QString& movie, const QString& why) {
        QMetaObject::invokeMethod(
            this, [this, movie, why] { emit MovieFailed(movie, why); }, Qt::QueuedConnection);
    });
    prune_.setSingleShot(true);
    prune_.setInterval(5000);
    connect(&prune_, &QTimer::timeout, this, [this] {
        const qint64 limit = TSettings(ProgramFolders()).StoreLimitBytes();
        RunInBackground<qint64>(
            this, [limit] { return PruneFolder(LoadsFolder(), limit); }, [](qint64) {});
    });
}

TPagePlayers::~TPagePlayers() {
    loads_->Stop();  // the loads under way end before the server waits for them
    server_.reset();
}

bool TPagePlayers::IsRunning() const {
    return server_->IsRunning();
}

QString TPagePlayers::Error() const {
    return server_->Error();
}

QString TPagePlayers::FrameUrl() const {
    return server_->FrameUrl();
}

void TPagePlayers::SetArchive(std::shared_ptr<TWarcWriter> archive) {
    loads_->SetArchive(std::move(archive));
}

bool TPagePlayers::Serves(const QString& address) const {
    return address.startsWith(server_->BaseUrl() + "/");
}

namespace {
TPagePlayers* shared = nullptr;
}

TPagePlayers& SharedPagePlayers() {
    if (!shared) {
        shared = new TPagePlayers(PlayerRuntimeFolder());
        // Ended with the application, after its pages are gone.
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return *shared;
}

bool IsPagePlayerAddress(const QString& address) {
    return shared && shared->Serves(address);
}
