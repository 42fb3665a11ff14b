#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TCliCommand;

// Whether the program's arguments name a command (or ask for help or the version) rather than
// the window, which starts with no argument or one address.
bool WantsCommandLine(int argc, char** argv);

// Why the window cannot open here (no display to show it on); empty when it can.
QString WindowDisplayProblem();

// The commands one executable runs, and the application they run in.
struct TCommandSet {
    // profileFolder: where a browser profile of this process's own may go.
    std::function<std::vector<std::unique_ptr<TCliCommand>>(const QString& profileFolder)> commands;
    std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)> makeApplication;
};

// Runs the command the arguments name, without a window or a display; the exit status. A
// command the set does not hold is a usage error.
int RunCommandLine(int argc, char** argv, const TCommandSet& set);

// The names of the commands, as typed.
namespace CommandNames {
constexpr const char* kScan = "scan";
constexpr const char* kGet = "get";
constexpr const char* kCache = "cache";
constexpr const char* kTabs = "tabs";
}  // namespace CommandNames

// What the help says of a command.
QString CommandSummary(const QString& name);
// Whether the command needs the web engine, and so runs in the browser part.
bool CommandNeedsBrowser(const char* name);
