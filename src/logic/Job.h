#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Outcome.h"

// A thread that runs the bodies of jobs one after another, so that a run of many small jobs (a
// chain of downloads) pays for one thread. Ends once it has run what it was given.
class TJobThread {
  public:
    TJobThread();
    ~TJobThread();
    TJobThread(const TJobThread&) = delete;
    TJobThread& operator=(const TJobThread&) = delete;
    void Run(std::function<void()> body);

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> bodies_;
    bool ending_ = false;
    std::thread thread_;
};

// A piece of background work, owned by whoever started it (its parent). The body runs once, on
// a thread of its own or a job thread's; what it reports and its end (Finished) arrive on the
// owner's thread.
// Cancel() asks the body to stop at its next chance. Destroying a job cancels it and waits for
// its body; nothing it reported is delivered afterwards.
//
// A job is made as a TJobInstance<Job> (its constructors are protected), whose destructor ends the
// body before any member of the job's class goes.
class TJob : public QObject {
    Q_OBJECT
  public:
    ~TJob() override;

    // Runs the body on a thread of its own, or on a job thread; throws std::system_error when
    // the system cannot start a thread. False, and nothing done, when the job is running already.
    bool Start(TJobThread* on = nullptr);
    // From any thread.
    void Cancel();
    // Started, and Finished not yet delivered.
    bool IsRunning() const { return running_; }
    const TOutcome& Outcome() const { return outcome_; }

  signals:
    void Finished(const TOutcome& outcome);

  protected:
    explicit TJob(QObject* owner = nullptr);
    // The body. An exception it lets out ends it as a failure with the exception's text.
    virtual TOutcome Execute() = 0;
    bool IsCancelled() const { return cancelled_; }
    // Hands fn to the owner's thread; calls arrive in the order posted, all before Finished.
    void Post(std::function<void()> fn);
    // Run by Cancel() on its caller's thread, to wake a body that waits for something else; run
    // at once when the job has been cancelled already.
    void SetWaker(std::function<void()> wake);
    // Cancels and waits for the body to end.
    void Stop();

  private:
    void Run();

    std::thread thread_;
    // The body has ended (for a body run on a job thread).
    struct Ended {
        std::mutex mutex;
        std::condition_variable changed;
        bool ended = false;
    };
    std::shared_ptr<Ended> ended_;
    std::atomic<bool> cancelled_{false};
    std::mutex wakeMutex_;
    std::function<void()> wake_;
    bool running_ = false;
    TOutcome outcome_;
};

// A job as it is made: its body has ended before anything of the job goes.
template <typename Job>
class TJobInstance final : public Job {
  public:
    template <typename... Args>
    explicit TJobInstance(Args&&... args) : Job(std::forward<Args>(args)...) {}
    ~TJobInstance() override { this->Stop(); }
};

// A job that computes one value.
template <typename Value>
class TValueJob : public TJob {
  public:
    const Value& Result() const { return value_; }

  protected:
    TValueJob(std::function<Value()> work, QObject* owner) : TJob(owner), work_(std::move(work)) {}
    TOutcome Execute() override {
        value_ = work_();
        return TOutcome::Done();
    }

  private:
    std::function<Value()> work_;
    Value value_{};
};

// Computes work in the background and hands its value to done on owner's thread (an empty
// value when the work threw); the job is owned by owner, so nothing arrives once owner has gone.
template <typename Value>
void RunInBackground(QObject* owner, std::function<Value()> work,
                     std::function<void(const Value&)> done) {
    auto* job = new TJobInstance<TValueJob<Value>>(std::move(work), owner);
    QObject::connect(job, &TJob::Finished, owner, [job, done = std::move(done)] {
        // Work that failed still reports, with what it had (an empty value), so that no caller
        // waits for ever.
        done(job->Result());
        job->deleteLater();
    });
    job->Start();
}
