#pragma once

#include <functional>

// One object per job: the derived constructor stores its parameters and ends by calling Start().
// The body (Execute) runs once on a thread of its own; afterwards the completion handler runs on
// the user-interface thread, and then the object deletes itself. Nobody waits for or cancels a
// worker, and the user-interface thread never blocks on one.
class TWorkerThread {
  public:
    using Completion = std::function<void()>;

    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Number of workers alive in this process (created and not yet released).
    static int LiveCount();

  protected:
    explicit TWorkerThread(Completion onCompletion);
    virtual ~TWorkerThread();

    // Starts the thread; the last step of every derived constructor.
    void Start();

    // The job. Exceptions it lets out are kept by the worker and go no further.
    virtual void Execute() = 0;

    // Runs fn on the user-interface thread while this worker waits; an exception thrown by fn
    // is rethrown here, in the worker.
    void Synchronize(const std::function<void()>& fn);

  private:
    void Run();
    void Complete();

    Completion onCompletion_;
};
