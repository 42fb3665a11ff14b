#pragma once

#include <QString>
#include <QWebEngineView>
#include <memory>

class TPlayerServer;
class THttpGetThread;
class TLoadRecorder;
class TResponseRecorder;
class TWarcWriter;
struct TLoadedFile;

// The preview pane: plays the movie of an address or a local file. A web address is fetched by
// the program itself and handed to the player from the loopback player server, so the movie's
// server needs to allow nothing and the player page needs no special rights. What the movie
// loads while it plays goes the same way: fetched by the program, resolved against the movie's
// folder, and told (FileLoaded) so that it can be saved with the movie.
class TFlashPlayer : public QWebEngineView {
    Q_OBJECT
  public:
    // The largest movie the preview fetches.
    static constexpr qint64 kMostPreviewBytes = 256LL * 1024 * 1024;
    // From this size on, the pane tells how much of a movie has arrived.
    static constexpr qint64 kShowBytesFrom = 512 * 1024;

    explicit TFlashPlayer(QWidget* parent = nullptr, const QString& runtimeFolder = QString());
    ~TFlashPlayer() override;

    // Loads and plays the movie of a web address, fetched over http or https; an address of any
    // other scheme plays nothing. The last movie set wins.
    void SetMovie(const QString& movie);
    // Loads and plays a movie file on this machine; address: where it came from, when known,
    // which its loads resolve against.
    void SetMovieFile(const QString& path, const QString& address = QString());
    QString Movie() const { return movie_; }
    // Stops the movie (and its fetch) and shows nothing.
    void Clear();
    // Pauses the movie playing, or lets it go on.
    void SetPaused(bool paused);
    // Records the movies fetched from now on, and what they load, in archive (none: null).
    void SetArchive(std::shared_ptr<TWarcWriter> archive);

  signals:
    // The movie known as movie (its address, or its file's path) loaded a file; limitReached the
    // first time its loads passed a limit.
    void FileLoaded(const QString& movie, const TLoadedFile& file, bool limitReached);
    // The movie asked for last could not be fetched, and why.
    void MovieFailed(const QString& movie, const QString& reason);
    // The movie asked for last was handed to the player, which starts it.
    void MovieStarted(const QString& movie);

  private:
    void Play(const QString& localFile, const QString& base, const QString& loads, int request);
    void RunWhenReady(const QString& script);
    // Shows a text in the pane instead of a movie.
    void Tell(const QString& text);
    // Keeps the store and the copies of loads within their limit, in the background.
    void PruneStores();

    std::unique_ptr<TLoadRecorder> loads_;  // outlives the server, whose threads use it
    std::unique_ptr<TPlayerServer> server_;
    std::shared_ptr<TWarcWriter> archive_;
    // The archive the movie being fetched is recorded in, and its stream: they outlive the fetch.
    std::shared_ptr<TWarcWriter> fetchArchive_;
    std::unique_ptr<TResponseRecorder> fetchRecord_;
    std::unique_ptr<THttpGetThread> fetch_;  // the movie being fetched, if any
    QString movie_;
    int request_ = 0;
    QWebEnginePage* page_ = nullptr;  // made once the window holding the player is up
    bool ready_ = false;
    QString pendingScript_;
    bool pendingStart_ = false;  // the script waiting starts a movie
};
