#include "web/MoviePlays.h"

#include <QTimer>
#include <algorithm>

#include "web/FlashPlayer.h"

namespace {
// The size movies play at: their stage scales to it, as in the preview pane.
constexpr int kPlayerWidth = 550;
constexpr int kPlayerHeight = 400;
// How long a movie may take to be fetched and handed to its player.
constexpr int kMostStartMs = 60000;
}  // namespace

TMoviePlays::TMoviePlays(int playMs, std::shared_ptr<TWarcWriter> archive, QObject* parent)
    : QObject(parent), playMs_(playMs), archive_(std::move(archive)) {}

TMoviePlays::~TMoviePlays() {
    for (TFlashPlayer* player : playing_) {
        delete player;
    }
}

void TMoviePlays::Play(const QStringList& movies, std::function<void(const Results&)> done) {
    done_ = std::move(done);
    results_.clear();
    waiting_.assign(movies.begin(), movies.end());
    StartNext();
}

void TMoviePlays::StartNext() {
    while (playing_.size() < kMostAtOnce && !waiting_.empty()) {
        const QString movie = waiting_.front();
        waiting_.pop_front();
        if (results_.count(movie) > 0) {
            continue;  // one play for each address
        }
        results_[movie] = Played();
        auto* player = new TFlashPlayer();
        playing_.push_back(player);
        // Drawn as if on screen, so the movie runs, but never shown.
        player->setAttribute(Qt::WA_DontShowOnScreen);
        player->resize(kPlayerWidth, kPlayerHeight);
        player->show();
        player->SetArchive(archive_);
        connect(player, &TFlashPlayer::FileLoaded, this,
                [this](const QString& played, const TLoadedFile& file, bool limitReached) {
                    Played& result = results_[played];
                    result.loads.push_back(file);
                    result.limitReached = result.limitReached || limitReached;
                });
        connect(player, &TFlashPlayer::MovieFailed, this,
                [this, player](const QString& played, const QString& reason) {
                    results_[played].failed = reason;
                    Stop(player);
                });
        // Each plays its time from its start; one that never starts is given up.
        connect(player, &TFlashPlayer::MovieStarted, this, [this, player] {
            QTimer::singleShot(playMs_, player, [this, player] { Stop(player); });
        });
        QTimer::singleShot(playMs_ + kMostStartMs, player, [this, player] { Stop(player); });
        player->SetMovie(movie);
    }
    if (playing_.empty() && waiting_.empty() && done_) {
        std::exchange(done_, nullptr)(results_);
    }
}

void TMoviePlays::Stop(TFlashPlayer* player) {
    const auto it = std::find(playing_.begin(), playing_.end(), player);
    if (it == playing_.end()) {
        return;
    }
    playing_.erase(it);
    player->disconnect(this);
    player->deleteLater();  // it may be delivering the signal that stopped it
    QTimer::singleShot(0, this, [this] { StartNext(); });
}
