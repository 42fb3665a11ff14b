#include "platform/DigestAlongside.h"

namespace {
constexpr qint64 kInline = 1024 * 1024;           // hashed at once: a thread would cost more
constexpr qint64 kMostWaiting = 8 * 1024 * 1024;  // not hashed yet
}  // namespace

TDigestAlongside::~TDigestAlongside() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TDigestAlongside::Add(QByteArrayView data) {
    added_ += data.size();
    if (!thread_.joinable() && added_ <= kInline) {
        digest_.Add(data);
        return;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Hash(); });
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waitingBytes_ < kMostWaiting; });
    std::vector<char> piece;
    if (!spare_.empty()) {
        piece = std::move(spare_.back());
        spare_.pop_back();
    }
    piece.assign(data.begin(), data.end());
    waiting_.push_back(std::move(piece));
    waitingBytes_ += data.size();
    changed_.notify_all();
}

void TDigestAlongside::Hash() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;  // ending, with nothing left
        }
        std::vector<char> piece = std::move(waiting_.front());
        waiting_.pop_front();
        hashing_ = true;
        lock.unlock();
        digest_.Add(QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size())));
        lock.lock();
        hashing_ = false;
        waitingBytes_ -= static_cast<qint64>(piece.size());
        spare_.push_back(std::move(piece));
        changed_.notify_all();
    }
}

void TDigestAlongside::WaitUntilHashed(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return waiting_.empty() && !hashing_; });
}

QByteArray TDigestAlongside::Result() {
    std::unique_lock<std::mutex> lock(mutex_);
    WaitUntilHashed(lock);
    added_ = 0;
    return digest_.Result();
}
