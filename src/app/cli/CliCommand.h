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
enum TExitStatus { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// One command of the command line ("scan", "get" …): its options, and its work, which runs in the
// event loop and ends by calling Done with its exit status.
class TCliCommand {
  public:
    virtual ~TCliCommand() = default;
    virtual QString Name() const = 0;
    virtual QString Summary() const = 0;
    virtual void AddOptions(QCommandLineParser& parser) = 0;
    // Starts the work, whose end is told to done; a usage error ends it at once, told as an
    // TUsageError exception.
    virtual void Start(const QCommandLineParser& parser, std::function<void(int)> done) = 0;
    // Stops the work at once (Ctrl+C, the session's end), leaving no partial file.
    virtual void Cancel() {}
};

// A command that cannot run as written: the text says why.
struct TUsageError {
    QString text;
};

// The commands that need no browser: get, cache, tabs.
std::vector<std::unique_ptr<TCliCommand>> CoreCommands();

// The addresses a command was given: those it takes (http and https), and those it cannot,
// each as it can be shown on a terminal and with why it was refused.
struct TGivenAddresses {
    QStringList addresses;
    struct Refused {
        QString text;
        QString reason;
    };
    std::vector<Refused> refused;
};

// Shared by the commands.
struct TCliAddressOptions {
    static void Add(QCommandLineParser& parser, const QString& what);
    // The addresses given: arguments ("-": standard input) and --input files, one a line. None
    // at all, or a list that cannot be read, is a usage error.
    static TGivenAddresses Read(const QCommandLineParser& parser);
};
// Tells each refused address as a failure (and a JSON row).
void ReportRefused(const TGivenAddresses& given, TCliOutput& output);
// Text from outside shown safely on a terminal: control and bidi characters and bytes that are
// no UTF-8 are written as \xNN or \u{NNNN}.
QString Printable(const QByteArray& raw);
QString Printable(const QString& text);
// A folder that exists and can be written into, ending with "/".
QString WritableFolder(const QString& path);
// A number of seconds given to an option, in milliseconds; positive unless zero is allowed.
int Milliseconds(const QCommandLineParser& parser, const QString& option, bool zeroAllowed = true);

// How the downloads of a command go about their work.
struct TCliDownloadOptions {
    bool overwrite = false;     // an older file of the same name is replaced
    bool skipExisting = false;  // a movie the folder's record says was saved is passed over
    QString userAgent = "HTTPGET";
    int retries = 2;
    int delayMs = 0;  // between two requests to one host
    TWarcWriter* warc = nullptr;
};
void AddDownloadOptions(QCommandLineParser& parser);
TCliDownloadOptions ReadDownloadOptions(const QCommandLineParser& parser);
// The options --json and --warc FILE, and the archive --warc names, opened (nothing without).
void AddJsonOption(QCommandLineParser& parser);
void AddWarcOption(QCommandLineParser& parser);
std::unique_ptr<TWarcWriter> OpenWarc(const QCommandLineParser& parser);
// Completes the archive, if there is one (a package is put in place); a failure is told.
void CloseWarc(TWarcWriter* warc, class TCliOutput& output);
