#include "logic/Job.h"

#include <QMetaObject>
#include <exception>

TJob::TJob(QObject* owner) : QObject(owner) {}

TJob::~TJob() {
    Stop();
}

void TJob::Start() {
    running_ = true;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        running_ = false;
        throw;
    }
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
}

void TJob::Stop() {
    if (thread_.joinable()) {
        Cancel();
        thread_.join();
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
