#include "widgets/LbButtonThread.h"

#include <QCoreApplication>
#include <QMetaObject>

TLbButtonThread::TLbButtonThread(std::function<void(TLbButtonThread*)> onTick)
    : onTick_(std::make_shared<std::function<void(TLbButtonThread*)>>(std::move(onTick))),
      thread_([this] { Run(); }) {}

TLbButtonThread::~TLbButtonThread() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->terminated = true;
        *onTick_ = nullptr;  // a tick already posted finds nothing to run
    }
    shared_->wake.notify_all();
    thread_.join();  // the ticker never waits for the UI thread once terminated
}

void TLbButtonThread::Resume() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->parked = false;
    }
    shared_->wake.notify_all();
}

void TLbButtonThread::Suspend() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->parked = true;
}

bool TLbButtonThread::Suspended() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->parked;
}

void TLbButtonThread::Run() {
    auto shared = shared_;
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->terminated || !shared->parked; });
        if (shared->terminated) {
            return;
        }
        if (shared->wake.wait_for(lock, std::chrono::milliseconds(kTickMs),
                                  [&] { return shared->terminated; })) {
            return;
        }
        // The tick runs on the UI thread; the ticker waits for it (or for the end).
        shared->tickDone = false;
        auto onTick = onTick_;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [shared, onTick, self = this] {
                if (*onTick) {
                    (*onTick)(self);
                }
                {
                    std::lock_guard<std::mutex> done(shared->mutex);
                    shared->tickDone = true;
                }
                shared->wake.notify_all();
            },
            Qt::QueuedConnection);
        shared->wake.wait(lock, [&] { return shared->terminated || shared->tickDone; });
        if (shared->terminated) {
            return;
        }
    }
}
