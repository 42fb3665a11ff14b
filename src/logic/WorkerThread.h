#pragma once

#include <QPointer>
#include <functional>

class QObject;

// One object per job: the derived constructor stores its parameters and ends by calling Start().
// The body (Execute) runs once on a thread of its own; afterwards the completion handler runs on
// the user-interface thread, and then the object deletes itself. Nobody waits for or cancels a
// worker, and the user-interface thread never blocks on one.
//
// A worker given a context object (the window it reports to) hands nothing to the user-interface
// thread once that object is gone: its completion handler, synchronised and posted calls are
// dropped, so none can reach a window that no longer exists.
class TWorkerThread {
  public:
    using Completion = std::function<void()>;

    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Number of workers alive in this process (created and not yet released).
    static int LiveCount();
    // Number of bodies still running.
    static int RunningCount();
    // The session is ending: every body stops at its next chance and leaves nothing half done.
    static void AbortAll();
    static bool Aborting();
    // Lets workers run again after AbortAll, for tests that go on in the same process.
    static void ResumeAfterAbort();
    // Ends the session's workers before the program exits: asks them to stop and waits at most
    // timeoutMs for their bodies to end and the workers to be released. True when none is left
    // running.
    static bool FinishAllBeforeExit(int timeoutMs);

  protected:
    explicit TWorkerThread(Completion onCompletion, QObject* context = nullptr);
    virtual ~TWorkerThread();

    // Starts the thread; the last step of every derived constructor. Throws when the system
    // cannot start one.
    void Start();

    // The job. Exceptions it lets out are kept by the worker and go no further.
    virtual void Execute() = 0;

    // Runs fn on the user-interface thread while this worker waits; an exception thrown by fn
    // is rethrown here, in the worker.
    void Synchronize(const std::function<void()>& fn);
    // Hands fn to the user-interface thread and goes on at once; calls run in the order posted,
    // all before the completion handler.
    void Post(std::function<void()> fn);

  private:
    void Run();
    void Complete();
    bool ContextGone() const { return hasContext_ && !context_; }

    Completion onCompletion_;
    const bool hasContext_;
    QPointer<QObject> context_;  // read on the user-interface thread only
};
