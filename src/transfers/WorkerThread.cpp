#include "transfers/WorkerThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace {
std::atomic<int> liveWorkers{0};

bool OnUiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
}  // namespace

TWorkerThread::TWorkerThread(Completion onCompletion) : onCompletion_(std::move(onCompletion)) {
    ++liveWorkers;
}

TWorkerThread::~TWorkerThread() {
    --liveWorkers;
}

int TWorkerThread::LiveCount() {
    return liveWorkers.load();
}

void TWorkerThread::Start() {
    // Detached: the object is released on the user-interface thread after its completion
    // handler, so nothing ever joins the thread.
    std::thread([this] { Run(); }).detach();
}

void TWorkerThread::Run() {
    try {
        Execute();
    } catch (...) {
        // A worker reports nothing; its completion handler still runs.
    }
    // The last touch of this object from the worker thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { Complete(); }, Qt::QueuedConnection);
}

void TWorkerThread::Complete() {
    struct Release {
        TWorkerThread* worker;
        ~Release() { delete worker; }
    } release{this};
    if (onCompletion_) {
        onCompletion_();
    }
}

void TWorkerThread::Synchronize(const std::function<void()>& fn) {
    if (OnUiThread()) {
        fn();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                fn();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error) {
        std::rethrow_exception(error);
    }
}
