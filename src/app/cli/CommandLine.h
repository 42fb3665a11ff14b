#pragma once

// Whether the program's arguments name a command (or ask for help or the version) rather than
// the window, which starts with no argument or one address.
bool WantsCommandLine(int argc, char** argv);

// Runs the command the arguments name, without a window or a display; the exit status.
int RunCommandLine(int argc, char** argv);
