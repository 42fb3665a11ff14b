#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <stdexcept>

#include "TestUtil.h"
#include "logic/Job.h"
#include "support/Jobs.h"

namespace {
bool OnOwnersThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// A job whose body is given by the test.
class Lambda : public TJob {
  public:
    using Body = std::function<TOutcome(Lambda&)>;
    using TJob::IsCancelled;
    using TJob::Post;

  protected:
    explicit Lambda(Body body) : body_(std::move(body)) {}
    TOutcome Execute() override { return body_(*this); }

  private:
    Body body_;
};
using LambdaJob = TJobInstance<Lambda>;
}  // namespace

TEST(Job, ReportsArriveInOrderOnTheOwnersThreadThenFinished) {
    std::vector<int> reports;
    bool bodyOffOwnersThread = false;
    bool reportsOnOwnersThread = true;
    LambdaJob job([&](Lambda& self) {
        bodyOffOwnersThread = !OnOwnersThread();
        for (int i = 0; i < 100; ++i) {
            self.Post([&, i] {
                reportsOnOwnersThread = reportsOnOwnersThread && OnOwnersThread();
                reports.push_back(i);
            });
        }
        return TOutcome::Done();
    });
    size_t reportsBeforeFinished = 0;
    QObject::connect(&job, &TJob::Finished, [&] { reportsBeforeFinished = reports.size(); });
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_TRUE(bodyOffOwnersThread);
    EXPECT_TRUE(reportsOnOwnersThread);
    EXPECT_EQ(reportsBeforeFinished, 100u);
    EXPECT_EQ(reports.front(), 0);
    EXPECT_EQ(reports.back(), 99);
    EXPECT_FALSE(job.IsRunning());
    EXPECT_TRUE(job.Outcome().ok);
}

TEST(Job, AnExceptionEndsTheBodyAsAFailureWithItsText) {
    LambdaJob job([](Lambda&) -> TOutcome { throw std::runtime_error("the disk went away"); });
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_FALSE(job.Outcome().ok);
    EXPECT_EQ(job.Outcome().reason, "the disk went away");
}

TEST(Job, DestroyingARunningJobCancelsItAndDeliversNothingMore) {
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
    int delivered = 0;
    {
        LambdaJob job([&](Lambda& self) {
            started = true;
            while (!self.IsCancelled()) {
                QThread::msleep(1);
            }
            sawCancel = true;
            self.Post([&] { ++delivered; });
            return TOutcome::Done();
        });
        QObject::connect(&job, &TJob::Finished, [&] { ++delivered; });
        ASSERT_TRUE(job.Start());
        ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
        EXPECT_FALSE(job.Start());  // refused while the body runs
    }
    EXPECT_TRUE(sawCancel);
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 0);
}
