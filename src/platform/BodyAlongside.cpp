#include "platform/BodyAlongside.h"

#include "platform/FileOps.h"

namespace {
constexpr qint64 kInline = 1024 * 1024;           // taken at once: a thread would cost more
constexpr qint64 kMostWaiting = 8 * 1024 * 1024;  // not taken yet
constexpr size_t kPiece = 256 * 1024;  // handed over at once: small enough to stay in the cache
}  // namespace

TBodyAlongside::~TBodyAlongside() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;  // what waits is dropped: the body is not wanted any more
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool TBodyAlongside::Add(QByteArrayView data) {
    if (failed_) {
        return false;
    }
    added_ += data.size();
    if (!thread_.joinable() && added_ <= kInline) {
        Take(data);
        return !failed_;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Work(); });
    }
    filling_.insert(filling_.end(), data.begin(), data.end());
    if (filling_.size() >= kPiece) {
        HandOver();
    }
    return true;
}

void TBodyAlongside::Take(QByteArrayView data) {
    digest_.Add(data);
    if (file_ && !failed_ && !file_->Write(data.data(), static_cast<size_t>(data.size()))) {
        failed_ = true;
    }
}

void TBodyAlongside::HandOver() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waitingBytes_ < kMostWaiting; });
    waitingBytes_ += static_cast<qint64>(filling_.size());
    waiting_.push_back(std::move(filling_));
    filling_ = std::vector<char>();
    if (!spare_.empty()) {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    }
    filling_.clear();
    filling_.reserve(kPiece + 64 * 1024);
    changed_.notify_all();
}

void TBodyAlongside::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
        if (ending_) {
            return;
        }
        std::vector<char> piece = std::move(waiting_.front());
        waiting_.pop_front();
        working_ = true;
        lock.unlock();
        Take(QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size())));
        lock.lock();
        working_ = false;
        waitingBytes_ -= static_cast<qint64>(piece.size());
        spare_.push_back(std::move(piece));
        changed_.notify_all();
    }
}

void TBodyAlongside::WaitUntilTaken() {
    if (!filling_.empty()) {
        HandOver();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && !working_; });
}

bool TBodyAlongside::Written() {
    WaitUntilTaken();
    return !failed_;
}

QByteArray TBodyAlongside::Result() {
    WaitUntilTaken();
    added_ = 0;
    return digest_.Result();
}

void TBodyAlongside::Reset() {
    Result();
    failed_ = false;
}
