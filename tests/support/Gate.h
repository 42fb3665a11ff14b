#pragma once

#include <condition_variable>
#include <mutex>

// A gate server threads wait at until the test opens it, so a test decides when a response
// goes out instead of racing a delay. Once open it stays open.
class TGate {
  public:
    void Open() {
        std::lock_guard<std::mutex> locked(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> locked(mutex_);
        opened_.wait(locked, [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};
