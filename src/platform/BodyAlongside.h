#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Digest.h"

class TAtomicFile;

// A body's digest taken, and the body written to its file, beside its transfer: past the first
// megabyte both happen on a thread of its own, so that a large download goes at the network's
// speed rather than the hash's. Pieces are handed over a quarter megabyte at a time rather than
// as they arrive (libcurl gives 16 kB), so that the threads wake each other rarely and the file is
// written in large writes. Holds at most a few megabytes not taken yet; Add waits when it is that
// far behind.
class TBodyAlongside {
  public:
    // Without a file, only the digest is taken.
    explicit TBodyAlongside(TDigest::Kind kind, TAtomicFile* file = nullptr)
        : digest_(kind), file_(file) {}
    ~TBodyAlongside();
    TBodyAlongside(const TBodyAlongside&) = delete;
    TBodyAlongside& operator=(const TBodyAlongside&) = delete;

    // False once a write to the file has failed (the file's Error says why): nothing more is
    // taken until Reset.
    bool Add(QByteArrayView data);
    // Waits until everything added is hashed and written: whether every write succeeded.
    bool Written();
    // The digest of everything added since the start or the last Reset; starts again.
    QByteArray Result();
    void Reset();

  private:
    void Take(QByteArrayView data);  // hashes and writes, on whichever thread runs
    void Work();
    void HandOver();  // the piece being filled, to the thread
    void WaitUntilTaken();

    TDigest digest_;           // used by the thread while it runs
    TAtomicFile* const file_;  // likewise
    std::atomic<bool> failed_{false};
    qint64 added_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char> filling_;  // the piece being filled, on the adding thread
    std::deque<std::vector<char>> waiting_;
    std::vector<std::vector<char>> spare_;  // pieces taken, their memory kept for the next
    qint64 waitingBytes_ = 0;
    bool working_ = false;  // the thread holds a piece
    bool ending_ = false;
    std::thread thread_;
};
