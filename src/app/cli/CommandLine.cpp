#include "app/cli/CommandLine.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Version.h"
#include "app/cli/CliCommand.h"
#include "logic/SessionEnd.h"
#include "platform/UserFolders.h"

namespace {
// Every command of the program, in the order its help lists them.
struct CommandEntry {
    const char* name;
    const char* summary;
    bool needsBrowser;
};
const CommandEntry kCommands[] = {
    {CommandNames::kScan, "Load pages as the window's browser does and list their movies.", true},
    {CommandNames::kGet, "Download movies one after another, named as the window names them.",
     false},
    {CommandNames::kCache, "List the movies of the browsers' caches, as the cache tab does.",
     false},
    {CommandNames::kTabs, "List the pages open in the desktop's browsers.", false},
};

bool IsCommandName(const QString& name) {
    for (const CommandEntry& command : kCommands) {
        if (name == command.name) {
            return true;
        }
    }
    return false;
}

void Print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}

int Usage(const QString& command, const QString& text) {
    const QString help = command.isEmpty() ? "vimbrel --help" : "vimbrel " + command + " --help";
    Print(stderr, QString("vimbrel%1: %2 (see '%3')\n")
                      .arg(command.isEmpty() ? QString() : " " + command, text, help));
    return kExitUsage;
}

QString Overview() {
    QString text =
        "Usage: vimbrel [URL]\n"
        "       vimbrel COMMAND [OPTIONS] [URL...]\n\n"
        "Vimbrel finds Flash movies on web pages and in the browsers' caches, plays and saves "
        "them.\nWith no command it opens its window (on URL when one is given).\n\nCommands:\n";
    for (const CommandEntry& command : kCommands) {
        text += QString("  %1  %2\n").arg(command.name, -6).arg(command.summary);
    }
    return text +
           "\nOptions:\n  -h, --help     Show this help; 'vimbrel COMMAND --help' shows a "
           "command's.\n  -v, --version  Show the version.\n";
}

// Standard error carries the command's failures: the libraries' chatter is left out, all but
// what stops the program.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "vimbrel: %s\n", message.toLocal8Bit().constData());
    }
}
}  // namespace

bool WantsCommandLine(int argc, char** argv) {
    if (argc < 2) {
        return false;
    }
    const QString first = QString::fromLocal8Bit(argv[1]);
    // A lone word is a command, known or not; an address has a dot, a colon or a slash.
    static const QRegularExpression word("^[A-Za-z][A-Za-z0-9_-]*$");
    return argc > 2 || first.startsWith('-') || IsCommandName(first) ||
           (word.match(first).hasMatch() && first != "localhost");
}

QString WindowDisplayProblem() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return "the window needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set "
               "(the commands need none: see 'vimbrel --help')";
    }
    return QString();
}

bool CommandNeedsBrowser(const char* name) {
    for (const CommandEntry& command : kCommands) {
        if (std::strcmp(name, command.name) == 0) {
            return command.needsBrowser;
        }
    }
    return false;
}

QString CommandSummary(const QString& name) {
    for (const CommandEntry& command : kCommands) {
        if (name == command.name) {
            return command.summary;
        }
    }
    return QString();
}

int RunCommandLine(int argc, char** argv, const TCommandSet& set) {
    const QString name = QString::fromLocal8Bit(argv[1]);
    if (qEnvironmentVariableIsEmpty("VIMBREL_DEBUG")) {
        qInstallMessageHandler(QuietMessages);
    }
    // Goes last, once the web engine has let go of the profile in it.
    QTemporaryDir profileFolder(QDir::tempPath() + "/vimbrel-XXXXXX");
    auto app = set.makeApplication(argc, argv);
    app->setApplicationName("vimbrel");
    app->setApplicationVersion(VIMBREL_VERSION);
    UseProgramFolders(UserFoldersFromEnvironment());
    auto commands = set.commands(profileFolder.path());
    if (name == "-h" || name == "--help" || name == "help") {
        Print(stdout, Overview());
        return kExitOk;
    }
    if (name == "-v" || name == "--version") {
        Print(stdout, "vimbrel " VIMBREL_VERSION "\n");
        return kExitOk;
    }
    TCliCommand* command = nullptr;
    for (const auto& candidate : commands) {
        if (candidate->Name() == name) {
            command = candidate.get();
        }
    }
    if (!command) {
        return Usage(QString(), name.startsWith('-') ? QString("unknown option '%1'").arg(name)
                                                     : QString("unknown command '%1'").arg(name));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(command->Summary());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{"h", "help"}, "Show this help."});
    command->AddOptions(parser);
    QStringList arguments = app->arguments();
    arguments.removeAt(1);
    arguments[0] = "vimbrel " + name;
    if (!parser.parse(arguments)) {
        return Usage(name, parser.errorText().toLower().remove(QRegularExpression("\\.$")));
    }
    if (parser.isSet("help")) {
        // The parser names the program by its path: the command's name reads better.
        QString help = parser.helpText();
        help.replace(0, help.indexOf(' ', 7), "Usage: vimbrel " + name);
        Print(stdout, help);
        return kExitOk;
    }
    InstallSessionEndHandling([command] { command->Cancel(); });
    int status = -1;
    try {
        command->Start(parser, [&status, &app](int code) {
            status = code;
            app->exit(code);
        });
    } catch (const TUsageError& error) {
        return Usage(name, error.text);
    }
    return status >= 0 ? status : app->exec();
}
