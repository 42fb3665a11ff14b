// Reading what the commands are given: addresses from arguments, files and standard input,
// folders to write into, times.
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "Version.h"
#include "app/cli/CliCommand.h"
#include "logic/AddressResolution.h"
#include "logic/WarcWriter.h"

namespace {
QStringList Lines(QIODevice& device) {
    QStringList out;
    QTextStream in(&device);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith('#')) {
            out << line;
        }
    }
    return out;
}

QStringList ReadList(const QString& name) {
    QFile file;
    if (name == "-") {
        file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(name);
        if (!file.open(QIODevice::ReadOnly)) {
            throw UsageError{"cannot read " + name + ": " + file.errorString()};
        }
    }
    return Lines(file);
}
}  // namespace

void CliAddressOptions::Add(QCommandLineParser& parser, const QString& what) {
    parser.addOption({{"i", "input"},
                      "Read the " + what + " from FILE, one a line (- for standard input).",
                      "FILE"});
    parser.addPositionalArgument("URL", "The " + what + "; - reads them from standard input.",
                                 "[URL...]");
}

QStringList CliAddressOptions::Read(const QCommandLineParser& parser) {
    QStringList addresses;
    for (const QString& argument : parser.positionalArguments()) {
        if (argument == "-") {
            addresses << ReadList("-");
        } else {
            addresses << argument;
        }
    }
    for (const QString& file : parser.values("input")) {
        addresses << ReadList(file);
    }
    if (addresses.isEmpty()) {
        throw UsageError{"no address given"};
    }
    for (const QString& address : addresses) {
        if (!IsHttpAddress(address)) {
            throw UsageError{"not an http or https address: " + address};
        }
    }
    return addresses;
}

QString WritableFolder(const QString& path) {
    const QFileInfo folder(path);
    if (!folder.isDir()) {
        throw UsageError{"no such folder: " + path};
    }
    if (::access(QFile::encodeName(folder.absoluteFilePath()).constData(), W_OK | X_OK) != 0) {
        throw UsageError{"cannot write into " + path + ": permission denied"};
    }
    const QString absolute = folder.absoluteFilePath();
    return absolute.endsWith('/') ? absolute : absolute + "/";
}

int Milliseconds(const QCommandLineParser& parser, const QString& option) {
    bool ok = false;
    const double seconds = parser.value(option).toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 24 * 3600) {
        throw UsageError{"--" + option + " takes a number of seconds, not '" +
                         parser.value(option) + "'"};
    }
    return static_cast<int>(seconds * 1000);
}

void AddJsonOption(QCommandLineParser& parser) {
    parser.addOption({"json", "Write JSON Lines with named fields."});
}

void AddWarcOption(QCommandLineParser& parser) {
    parser.addOption({"warc",
                      "Also record every request and answer in the web archive FILE "
                      "(WARC 1.1; gzip-compressed records when it ends in .gz).",
                      "FILE"});
}

std::unique_ptr<TWarcWriter> OpenWarc(const QCommandLineParser& parser) {
    if (!parser.isSet("warc")) {
        return nullptr;
    }
    auto warc = std::make_unique<TWarcWriter>(parser.value("warc"));
    const TOutcome opened = warc->Open("Vimbrel " VIMBREL_VERSION);
    if (!opened) {
        throw UsageError{opened.reason};
    }
    return warc;
}
