#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class TLoadRecorder;
class TWarcWriter;
class TPlayerServer;
struct TLoadedFile;

// Plays the Flash movies of the embedded browser's pages: each page's movie plays in a frame
// served from the program's loopback player server, which fetches the movie and what it loads
// (see TPlayerServer), so a movie plays wherever it is served from and its loads are told
// (FileLoaded) as the preview's are. The copies its loads leave are kept within the store's limit.
class TPagePlayers : public QObject {
    Q_OBJECT
  public:
    explicit TPagePlayers(const QString& runtimeFolder, QObject* parent = nullptr);
    ~TPagePlayers() override;

    bool IsRunning() const;
    // Why they cannot play, when they cannot.
    QString Error() const;
    // Where a page's player frame comes from: "…/frame", asked with "?movie=…".
    QString FrameUrl() const;
    // Whether the address is one of the player server's (a frame, the runtime, a load).
    bool Serves(const QString& address) const;
    // Records the movies fetched from now on, and what they load, in archive (none: null).
    void SetArchive(std::shared_ptr<TWarcWriter> archive);

  signals:
    // A page's movie loaded a file (movie: its address); limitReached the first time its loads
    // passed a limit.
    void FileLoaded(const QString& movie, const TLoadedFile& file, bool limitReached);
    // A page's movie is not played, and why (an HTTP status, a refusal, "not a Flash movie").
    void MovieFailed(const QString& movie, const QString& reason);

  private:
    std::unique_ptr<TLoadRecorder> loads_;  // outlives the server, whose threads use it
    std::unique_ptr<TPlayerServer> server_;
    QTimer prune_;  // a while after loads arrived, the copies are pruned
};

// The page players of this process, made on first use and ended with the application.
TPagePlayers& SharedPagePlayers();
// Whether the address is the page players' (their runtime, frames, movies and loads), if they run.
bool IsPagePlayerAddress(const QString& address);
