#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The fade ticker: every 30 ms it runs OnTick on the user-interface thread and waits for it.
// It starts parked; while parked it does not tick. Stopping never waits on a tick the
// user-interface thread has not run yet, so it is safe from that thread at any moment.
class TLbButtonThread {
  public:
    static constexpr int kTickMs = 30;

    explicit TLbButtonThread(std::function<void(TLbButtonThread*)> onTick);
    ~TLbButtonThread();  // stops the ticker

    void Resume();
    void Suspend();
    bool Suspended() const;

  private:
    void Run();

    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        bool parked = true;
        bool terminated = false;
        bool tickDone = false;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    // Cleared when the ticker is stopped: a tick posted just before is then dropped.
    std::shared_ptr<std::function<void(TLbButtonThread*)>> onTick_;
    std::thread thread_;
};
