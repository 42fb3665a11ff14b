#pragma once

#include "TestUtil.h"
#include "logic/Job.h"

// Starts the job and processes events until it has delivered Finished; false when it has not
// within the time.
inline bool RunToEnd(TJob& job, int timeoutMs = 30000) {
    bool finished = false;
    QObject::connect(&job, &TJob::Finished, [&finished] { finished = true; });
    job.Start();
    return WaitUntil([&finished] { return finished; }, timeoutMs);
}
