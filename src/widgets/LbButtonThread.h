#pragma once

#include <QTimer>
#include <functional>

// The fade ticker: every 30 ms it runs OnTick on the user-interface thread. It starts parked;
// while parked it does not tick. A timer drives it, so stopping it never waits for anything.
class TLbButtonThread {
  public:
    static constexpr int kTickMs = 30;

    explicit TLbButtonThread(std::function<void(TLbButtonThread*)> onTick);

    void Resume() { timer_.start(); }
    void Suspend() { timer_.stop(); }
    bool Suspended() const { return !timer_.isActive(); }

  private:
    QTimer timer_;
};
