#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <stdexcept>

#include "TestUtil.h"
#include "logic/WorkerThread.h"

namespace {
// A worker whose body is given by the test.
class LambdaWorker : public TWorkerThread {
  public:
    using Body = std::function<void(LambdaWorker&)>;
    LambdaWorker(Body body, Completion done, QObject* context = nullptr)
        : TWorkerThread(std::move(done), context), body_(std::move(body)) {
        Start();
    }
    using TWorkerThread::Post;
    using TWorkerThread::Synchronize;

  protected:
    void Execute() override { body_(*this); }

  private:
    Body body_;
};

bool OnUiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}
}  // namespace

TEST(WorkerThread, CompletionRunsOnUiThreadAfterBodyThenWorkerIsReleased) {
    std::atomic<bool> bodyRanOffUi{false};
    std::atomic<bool> bodyDone{false};
    bool completed = false;
    bool completionOnUi = false;
    bool bodyDoneBeforeCompletion = false;
    new LambdaWorker(
        [&](LambdaWorker&) {
            bodyRanOffUi = !OnUiThread();
            bodyDone = true;
        },
        [&] {
            completionOnUi = OnUiThread();
            bodyDoneBeforeCompletion = bodyDone;
            completed = true;
        });
    ASSERT_TRUE(WaitUntil([&] { return completed && TWorkerThread::LiveCount() == 0; }));
    EXPECT_TRUE(bodyRanOffUi);
    EXPECT_TRUE(completionOnUi);
    EXPECT_TRUE(bodyDoneBeforeCompletion);
}

TEST(WorkerThread, SynchronizedCallRunsOnUiThreadWhileWorkerWaits) {
    int written = 0;  // touched by the UI thread only while the worker waits
    std::atomic<int> seenAfterCall{-1};
    std::atomic<bool> callOnUi{false};
    bool completed = false;
    new LambdaWorker(
        [&](LambdaWorker& self) {
            self.Synchronize([&] {
                callOnUi = OnUiThread();
                QThread::msleep(100);  // the worker must not go on meanwhile
                written = 42;
            });
            seenAfterCall = written;
        },
        [&] { completed = true; });
    ASSERT_TRUE(WaitUntil([&] { return completed; }));
    EXPECT_TRUE(callOnUi);
    EXPECT_EQ(seenAfterCall, 42);
}

TEST(WorkerThread, ExceptionsAreHandedBackOrKeptAndCompletionStillRuns) {
    std::string handedBack;
    int completed = 0;
    new LambdaWorker(
        [&](LambdaWorker& self) {
            try {
                self.Synchronize([] { throw std::runtime_error("boom"); });
            } catch (const std::runtime_error& e) {
                handedBack = e.what();
            }
        },
        [&] { ++completed; });
    // A body that lets an exception out ends quietly.
    new LambdaWorker([](LambdaWorker&) { throw std::runtime_error("kept"); }, [&] { ++completed; });
    ASSERT_TRUE(WaitUntil([&] { return completed == 2 && TWorkerThread::LiveCount() == 0; }));
    EXPECT_EQ(handedBack, "boom");
}

TEST(WorkerThread, ManyWorkersAllCompleteAndRelease) {
    int completed = 0;
    std::atomic<int> progressCalls{0};
    for (int i = 0; i < 40; ++i) {
        new LambdaWorker(
            [&](LambdaWorker& self) {
                for (int k = 0; k < 5; ++k) {
                    self.Synchronize([&] { ++progressCalls; });
                }
            },
            [&] { ++completed; });
    }
    ASSERT_TRUE(WaitUntil([&] { return completed == 40 && TWorkerThread::LiveCount() == 0; }));
    EXPECT_EQ(progressCalls, 200);
}

TEST(WorkerThread, AWindowGoneBeforeTheWorkerEndsIsNeverTouched) {
    auto* window = new QObject;
    std::atomic<bool> release{false};
    int touched = 0;  // what the calls below would do to the window
    new LambdaWorker(
        [&](LambdaWorker& self) {
            while (!release) {
                QThread::msleep(1);
            }
            self.Synchronize([&] { ++touched; });
            self.Post([&] { ++touched; });
        },
        [&] { ++touched; }, window);
    delete window;
    release = true;
    ASSERT_TRUE(WaitUntil([] { return TWorkerThread::LiveCount() == 0; }));
    EXPECT_EQ(touched, 0);
}
