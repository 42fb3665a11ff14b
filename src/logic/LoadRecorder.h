#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

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

// Fetches what a playing movie loads, for the player, keeping a copy of each file answered with
// a 2xx status: http and https only (redirects within them), at most kMaxFiles files and
// kMaxBytes bytes for one movie; past that, loads are refused. Safe from any thread.
class TLoadRecorder {
  public:
    static constexpr int kMaxFiles = 500;
    static constexpr qint64 kMaxBytes = 500LL * 1024 * 1024;

    struct Answer {
        int status = 0;
        QByteArray type;
        QByteArray body;
    };
    // Told of every load, on the thread that fetched it; limitReached the first time a movie's
    // loads pass a limit.
    using Recorded =
        std::function<void(const QString& movie, const TLoadedFile& file, bool limitReached)>;

    // folder: where the copies are kept, a folder per movie.
    TLoadRecorder(QString folder, Recorded recorded);
    ~TLoadRecorder();

    // Fetches url for the movie playing under the key movie, and records it.
    Answer Fetch(const QString& movie, const QString& url);
    // Stops the fetches under way at once (the program is ending).
    void Stop() { stopping_ = true; }

  private:
    struct Budget {
        int files = 0;
        qint64 bytes = 0;
        bool full = false;
    };
    QString Keep(const QString& movie, int number, const QByteArray& body);

    const QString folder_;
    const Recorded recorded_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    QHash<QString, Budget> budgets_;  // by movie
};
