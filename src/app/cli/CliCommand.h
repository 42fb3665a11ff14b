#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/cli/CliOutput.h"

class TWarcWriter;

// Exit statuses: everything worked, something failed (each failure told on standard error), the
// command was not understood (a one-line hint on standard error).
enum ExitStatus { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// One command of the command line ("scan", "get" …): its options, and its work, which runs in the
// event loop and ends by calling Done with its exit status.
class TCliCommand {
  public:
    virtual ~TCliCommand() = default;
    virtual QString Name() const = 0;
    virtual QString Summary() const = 0;
    virtual void AddOptions(QCommandLineParser& parser) = 0;
    // Starts the work, whose end is told to done; a usage error ends it at once, told as an
    // UsageError exception.
    virtual void Start(const QCommandLineParser& parser, std::function<void(int)> done) = 0;
    // Whether it needs the web engine (and so a GUI application, off screen).
    virtual bool NeedsBrowser(const QCommandLineParser&) const { return false; }
    // Stops the work at once (Ctrl+C, the session's end), leaving no partial file.
    virtual void Cancel() {}
};

// A command that cannot run as written: the text says why.
struct UsageError {
    QString text;
};

// The commands that need no browser: get, cache, tabs.
std::vector<std::unique_ptr<TCliCommand>> CoreCommands();

// Shared by the commands.
struct CliAddressOptions {
    static void Add(QCommandLineParser& parser, const QString& what);
    // The addresses given: arguments ("-": standard input) and --input files, one a line. Each
    // must be an http or https address.
    static QStringList Read(const QCommandLineParser& parser);
};
// A folder that exists and can be written into, ending with "/".
QString WritableFolder(const QString& path);
// A whole number of seconds given to an option, in milliseconds.
int Milliseconds(const QCommandLineParser& parser, const QString& option);
// The options --json and --warc FILE, and the archive --warc names, opened (nothing without).
void AddJsonOption(QCommandLineParser& parser);
void AddWarcOption(QCommandLineParser& parser);
std::unique_ptr<TWarcWriter> OpenWarc(const QCommandLineParser& parser);
