#pragma once

// Ends the program promptly when the session ends (SIGTERM, SIGINT or SIGHUP: a log-out, Ctrl+C
// in a terminal): running transfers stop, leaving no temporary or partial file and every file
// either complete or as it was, and the event loop quits with 128 + the signal's number.
void InstallSessionEndHandling();
