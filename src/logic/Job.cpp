#include "logic/Job.h"

#include <QMetaObject>
#include <exception>

TJobThread::TJobThread()
    : thread_([this] {
          std::unique_lock<std::mutex> lock(mutex_);
          for (;;) {
              wake_.wait(lock, [this] { return ending_ || !bodies_.empty(); });
              if (bodies_.empty()) {
                  return;
              }
              std::function<void()> body = std::move(bodies_.front());
              bodies_.pop_front();
              lock.unlock();
              body();
              lock.lock();
          }
      }) {}

TJobThread::~TJobThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void TJobThread::Run(std::function<void()> body) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bodies_.push_back(std::move(body));
    }
    wake_.notify_all();
}

TJob::TJob(QObject* owner) : QObject(owner) {}

TJob::~TJob() {
    Stop();
}

bool TJob::Start(TJobThread* on) {
    if (running_) {
        return false;  // a job runs once at a time; its thread is never replaced while it runs
    }
    running_ = true;
    if (on) {
        ended_ = std::make_shared<Ended>();
        on->Run([this, ended = ended_] {
            Run();
            std::lock_guard<std::mutex> lock(ended->mutex);
            ended->ended = true;  // the last touch of the job
            ended->changed.notify_all();
        });
        return true;
    }
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        running_ = false;
        throw;
    }
    return true;
}

void TJob::Cancel() {
    cancelled_ = true;
    std::lock_guard<std::mutex> lock(wakeMutex_);
    if (wake_) {
        wake_();
    }
}

void TJob::SetWaker(std::function<void()> wake) {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    wake_ = std::move(wake);
    if (wake_ && cancelled_) {
        wake_();  // cancelled before the body could be woken
    }
}

void TJob::Stop() {
    if (thread_.joinable()) {
        Cancel();
        thread_.join();
    } else if (ended_) {
        Cancel();
        std::unique_lock<std::mutex> lock(ended_->mutex);
        ended_->changed.wait(lock, [this] { return ended_->ended; });
    }
}

void TJob::Post(std::function<void()> fn) {
    // Events for an object that is gone are dropped with it.
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void TJob::Run() {
    TOutcome outcome;
    try {
        outcome = Execute();
    } catch (const std::exception& e) {
        outcome = TOutcome::Failed(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        outcome = TOutcome::Failed("an unexpected error");
    }
    SetWaker(nullptr);
    Post([this, outcome] {
        // The body has returned: its thread ends at once.
        if (thread_.joinable()) {
            thread_.join();
        }
        running_ = false;
        outcome_ = outcome;
        emit Finished(outcome_);
    });
}
