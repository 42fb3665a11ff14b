#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// A file a movie asked for while it played, as the program fetched it for the movie.
struct TLoadedFile {
    QString address;    // as the movie asked for it, resolved
    long status = 0;    // the HTTP status of the answer, 0 when none came
    QString type;       // its Content-Type
    qint64 size = 0;    // bytes
    QByteArray sha256;  // of the body, hex
    QString localFile;  // the copy kept of a whole 2xx answer; empty otherwise
    QString refused;    // why it was not fetched or not kept, if it was not
};

// What one movie's loads may spend.
struct TLoadLimits {
    int files = 500;
    qint64 bytes = 500LL * 1024 * 1024;  // every byte received counts, kept or not
    int loadMs = 60000;                  // one load, from start to end
    qint64 movieMs = 600000;             // all of a movie's loads together
};

// Fetches what a playing movie loads, for the player, keeping a copy of each file answered with
// a 2xx status, written to disk as it arrives. A movie reaches only what the plugin let it
// reach: http and https (redirects within them), no private or loopback address unless the
// movie came from one, never the program's own servers, no credentials; another host's data
// (anything but movies, images, sounds and videos) only where that host's /crossdomain.xml
// allows the movie's host. Each movie's loads are held to its limits; past them, loads are
// refused. Safe from any thread.
class TLoadRecorder {
  public:
    // The movie a load is for: its key (its address, or its file's path; one budget each), the
    // address it came from (empty when unknown), and the name its loads are told under (the key
    // when empty: a player of its own for a movie another player plays too).
    struct Movie {
        Movie() = default;
        Movie(QString key, QString address, QString name = {})
            : key(std::move(key)), address(std::move(address)), name(std::move(name)) {}
        QString key;
        QString address;
        QString name;
        const QString& Name() const { return name.isEmpty() ? key : name; }
    };
    struct Answer {
        int status = 0;
        QByteArray type;
        QString file;     // the body, kept on disk; or else
        QByteArray body;  // a short one (an error page, a refusal)
        QString refused;  // why it was not fetched or not kept, if it was not
    };
    // Told of every load, on the thread that fetched it; limitReached the first time a movie's
    // loads pass a limit.
    using Recorded =
        std::function<void(const QString& movie, const TLoadedFile& file, bool limitReached)>;

    // folder: where the copies are kept, a folder per movie.
    TLoadRecorder(QString folder, Recorded recorded, TLoadLimits limits = {});
    ~TLoadRecorder();

    // Fetches url for movie, and records it.
    Answer Fetch(const Movie& movie, const QString& url);
    // Stops the fetches under way at once (the program is ending).
    void Stop() {
        stopping_ = true;
        CancelRunning();
    }
    // Stops the fetches under way at once (another movie is played); later ones go on.
    void CancelLoads() {
        ++generation_;
        CancelRunning();
    }
    // Records every load fetched from now on, redirects and error answers included, in
    // archive (none: null); a load the movie was refused is not recorded.
    void SetArchive(std::shared_ptr<class TWarcWriter> archive) {
        std::lock_guard<std::mutex> lock(mutex_);
        archive_ = std::move(archive);
    }
    // The program's own servers, which no load may reach.
    void ForbidOwnPort(int port);
    // What the movie known as movie loaded when a recorder kept its copies in folder, as far as
    // those copies are still there (at most as many as a movie's budget allows).
    static std::vector<TLoadedFile> Kept(const QString& folder, const QString& movie,
                                         const TLoadLimits& limits = {});

  private:
    struct Budget {
        int files = 0;
        qint64 bytes = 0;
        qint64 ms = 0;
        bool full = false;
        int allowPrivate = -1;  // unknown yet
    };
    class Transfer;
    class Running;
    void CancelRunning();
    bool Spend(const QString& movie, qint64 bytes);
    bool AllowsPrivate(const Movie& movie);
    bool PolicyLetsRead(const Movie& movie, const QString& url, bool allowPrivate);
    QByteArray FetchPolicy(const QString& policyUrl, bool allowPrivate);
    QString MovieFolder(const QString& movie) const;
    static QString MovieFolderIn(const QString& folder, const QString& movie);
    // Tells of a load; one counted against the movie's budget is kept in its journal too.
    void Tell(const Movie& movie, const TLoadedFile& file, bool limitReached, bool counted);

    const QString folder_;
    const Recorded recorded_;
    const TLoadLimits limits_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> generation_{0};
    std::shared_ptr<class TWarcWriter> archive_;  // each load keeps the one it began with
    std::mutex mutex_;
    QHash<QString, Budget> budgets_;       // by movie
    QHash<QString, QByteArray> policies_;  // by policy address
    QList<int> ownPorts_;
    std::set<class THttpClient*> running_;  // the fetches under way
};

// Where the preview keeps the copies of what its movies load.
QString PreviewLoadsFolder();
