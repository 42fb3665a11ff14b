#include "logic/WorkerThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace {
std::atomic<int> liveWorkers{0};
std::atomic<int> runningBodies{0};
std::atomic<bool> aborting{false};

bool OnUiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
}  // namespace

TWorkerThread::TWorkerThread(Completion onCompletion, QObject* context)
    : onCompletion_(std::move(onCompletion)), hasContext_(context != nullptr), context_(context) {
    ++liveWorkers;
}

TWorkerThread::~TWorkerThread() {
    --liveWorkers;
}

int TWorkerThread::LiveCount() {
    return liveWorkers.load();
}

int TWorkerThread::RunningCount() {
    return runningBodies.load();
}

void TWorkerThread::AbortAll() {
    aborting = true;
}

void TWorkerThread::ResumeAfterAbort() {
    aborting = false;
}

bool TWorkerThread::Aborting() {
    return aborting.load();
}

bool TWorkerThread::FinishAllBeforeExit(int timeoutMs) {
    AbortAll();
    QDeadlineTimer deadline(timeoutMs);
    // Bodies end, then their completions (queued here) release the workers.
    while ((runningBodies.load() > 0 || liveWorkers.load() > 0) && !deadline.hasExpired()) {
        // A body may be waiting for a synchronised call: let it have it.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(1);
    }
    return runningBodies.load() == 0;
}

void TWorkerThread::Start() {
    // Detached: the object is released on the user-interface thread after its completion
    // handler, so nothing ever joins the thread.
    ++runningBodies;
    try {
        std::thread([this] { Run(); }).detach();
    } catch (...) {
        --runningBodies;
        throw;
    }
}

void TWorkerThread::Run() {
    try {
        Execute();
    } catch (...) {
        // A worker reports nothing; its completion handler still runs.
    }
    --runningBodies;
    // The last touch of this object from the worker thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { Complete(); }, Qt::QueuedConnection);
}

void TWorkerThread::Complete() {
    struct Release {
        TWorkerThread* worker;
        ~Release() { delete worker; }
    } release{this};
    if (onCompletion_ && !ContextGone()) {
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
            if (ContextGone()) {
                return;  // the window it reported to has gone
            }
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

void TWorkerThread::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, fn = std::move(fn)] {
            if (!ContextGone()) {
                fn();
            }
        },
        Qt::QueuedConnection);
}
