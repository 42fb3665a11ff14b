#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Digest.h"

// A digest of a body taken beside its transfer: past the first megabyte, the data is hashed on a
// thread of its own, so that a large download goes at the network's speed rather than the hash's.
// Holds at most a few megabytes it has not hashed yet; Add waits when it is that far behind.
class TDigestAlongside {
  public:
    explicit TDigestAlongside(TDigest::Kind kind) : digest_(kind) {}
    ~TDigestAlongside();
    TDigestAlongside(const TDigestAlongside&) = delete;
    TDigestAlongside& operator=(const TDigestAlongside&) = delete;

    void Add(QByteArrayView data);
    // The digest of everything added since the start or the last Reset; starts again.
    QByteArray Result();
    void Reset() { Result(); }

  private:
    void Hash();
    void WaitUntilHashed(std::unique_lock<std::mutex>& lock);

    TDigest digest_;  // used by the hashing thread while it runs
    qint64 added_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> waiting_;
    std::vector<std::vector<char>> spare_;  // pieces hashed, their memory kept for the next
    qint64 waitingBytes_ = 0;
    bool hashing_ = false;  // the thread holds a piece
    bool ending_ = false;
    std::thread thread_;
};
