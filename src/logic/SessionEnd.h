#pragma once

#include <functional>

// Ends the program promptly when the session ends (SIGTERM, SIGINT or SIGHUP: a log-out, Ctrl+C
// in a terminal): cancelJobs stops the work under way, and the event loop quits with 128 + the
// signal's number. The jobs' owners then go, each waiting for its cancelled job, so no temporary
// or partial file is left and every file is either complete or as it was.
void InstallSessionEndHandling(std::function<void()> cancelJobs);
