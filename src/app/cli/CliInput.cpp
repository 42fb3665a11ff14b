// Reading what the commands are given: addresses from arguments, files and standard input,
// folders to write into, times.
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QStringDecoder>

#include "Version.h"
#include "app/cli/CliCommand.h"
#include "logic/AddressResolution.h"
#include "logic/WarcWriter.h"

namespace {
// The lines of a list that say something: blank lines and "#" notes are passed over.
QList<QByteArray> Lines(QIODevice& device) {
    QList<QByteArray> out;
    while (!device.atEnd()) {
        const QByteArray line = device.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith('#')) {
            out << line;
        }
    }
    return out;
}

QList<QByteArray> ReadList(const QString& name) {
    QFile file;
    if (name == "-") {
        file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(name);
        if (!file.open(QIODevice::ReadOnly)) {
            throw TUsageError{"cannot read " + name + ": " + file.errorString()};
        }
    }
    return Lines(file);
}

bool IsUnsafeToShow(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || (c >= 0x200e && c <= 0x200f) ||
           (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

void Take(const QByteArray& line, TGivenAddresses& given) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(line);
    if (utf8.hasError()) {
        given.refused.push_back({Printable(line), "not text (UTF-8)"});
    } else if (Printable(text) != text || !IsHttpAddress(text)) {
        given.refused.push_back({Printable(text), "not an http or https address"});
    } else {
        given.addresses << text;
    }
}
}  // namespace

QString Printable(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    if (!utf8.hasError()) {
        return Printable(text);
    }
    QString out;
    for (const char byte : raw) {
        const auto b = static_cast<unsigned char>(byte);
        out +=
            b >= 0x20 && b < 0x7f ? QString(QChar(b)) : QString("\\x%1").arg(b, 2, 16, QChar('0'));
    }
    return out;
}

QString Printable(const QString& text) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (IsUnsafeToShow(c)) {
            out += c < 0x100 ? QString("\\x%1").arg(static_cast<uint>(c), 2, 16, QChar('0'))
                             : QString("\\u{%1}").arg(static_cast<uint>(c), 4, 16, QChar('0'));
        } else {
            out += QString::fromUcs4(&c, 1);
        }
    }
    return out;
}

void TCliAddressOptions::Add(QCommandLineParser& parser, const QString& what) {
    parser.addOption({{"i", "input"},
                      "Read the " + what + " from FILE, one a line (- for standard input).",
                      "FILE"});
    parser.addPositionalArgument("URL", "The " + what + "; - reads them from standard input.",
                                 "[URL...]");
}

TGivenAddresses TCliAddressOptions::Read(const QCommandLineParser& parser) {
    QList<QByteArray> lines;
    for (const QString& argument : parser.positionalArguments()) {
        if (argument == "-") {
            lines << ReadList("-");
        } else {
            lines << argument.toUtf8();
        }
    }
    for (const QString& file : parser.values("input")) {
        lines << ReadList(file);
    }
    if (lines.isEmpty()) {
        throw TUsageError{"no address given"};
    }
    TGivenAddresses given;
    for (const QByteArray& line : lines) {
        Take(line, given);
    }
    return given;
}

void ReportRefused(const TGivenAddresses& given, TCliOutput& output) {
    for (const TGivenAddresses::Refused& refused : given.refused) {
        output.Failure(refused.text + ": " + refused.reason);
        output.Result(QString(), QJsonObject{{"address", refused.text},
                                             {"status", "Failed"},
                                             {"reason", refused.reason}});
    }
}

QString WritableFolder(const QString& path) {
    const QFileInfo folder(path);
    if (!folder.isDir()) {
        throw TUsageError{"no such folder: " + path};
    }
    if (::access(QFile::encodeName(folder.absoluteFilePath()).constData(), W_OK | X_OK) != 0) {
        throw TUsageError{"cannot write into " + path + ": permission denied"};
    }
    const QString absolute = folder.absoluteFilePath();
    return absolute.endsWith('/') ? absolute : absolute + "/";
}

int Milliseconds(const QCommandLineParser& parser, const QString& option, bool zeroAllowed) {
    bool ok = false;
    const double seconds = parser.value(option).toDouble(&ok);
    const int ms =
        ok && seconds >= 0 && seconds <= 24 * 3600 ? static_cast<int>(seconds * 1000) : -1;
    if (ms < 0 || (ms == 0 && !zeroAllowed)) {
        throw TUsageError{"--" + option + " takes a number of seconds" +
                          (zeroAllowed ? "" : " above 0") + ", not '" + parser.value(option) + "'"};
    }
    return ms;
}

void AddDownloadOptions(QCommandLineParser& parser) {
    parser.addOption({"overwrite",
                      "Replace a file of the same name already in the folder (by default a "
                      "movie takes the next free name, \"movie (2).swf\")."});
    parser.addOption({"skip-existing",
                      "Pass over movies this folder's record says were saved into it and are "
                      "still there, so an interrupted run can be started again."});
    parser.addOption(
        {"user-agent", "Name the program TEXT to servers (HTTPGET by default).", "TEXT"});
    parser.addOption({"retries",
                      "Try a busy server (429, 502, 503, 504) or a cut connection again up to N "
                      "times, waiting longer each time (2 by default).",
                      "N", "2"});
    parser.addOption({"delay", "Wait SECONDS between two requests to one host.", "SECONDS", "0"});
}

TCliDownloadOptions ReadDownloadOptions(const QCommandLineParser& parser) {
    TCliDownloadOptions options;
    options.overwrite = parser.isSet("overwrite");
    options.skipExisting = parser.isSet("skip-existing");
    if (parser.isSet("user-agent")) {
        options.userAgent = parser.value("user-agent");
        if (options.userAgent.isEmpty() || Printable(options.userAgent) != options.userAgent) {
            throw TUsageError{"--user-agent takes printable text"};
        }
    }
    bool ok = false;
    options.retries = parser.value("retries").toInt(&ok);
    if (!ok || options.retries < 0 || options.retries > 100) {
        throw TUsageError{"--retries takes a number from 0 to 100, not '" +
                          parser.value("retries") + "'"};
    }
    options.delayMs = Milliseconds(parser, "delay");
    return options;
}

void AddJsonOption(QCommandLineParser& parser) {
    parser.addOption({"json", "Write JSON Lines with named fields."});
}

void AddWarcOption(QCommandLineParser& parser) {
    parser.addOption({"warc",
                      "Also record every request and answer in the web archive FILE "
                      "(WARC 1.1; gzip-compressed records when it ends in .gz; a WACZ package "
                      "when it ends in .wacz).",
                      "FILE"});
}

std::unique_ptr<TWarcWriter> OpenWarc(const QCommandLineParser& parser) {
    if (!parser.isSet("warc")) {
        return nullptr;
    }
    auto warc = std::make_unique<TWarcWriter>(parser.value("warc"));
    const TOutcome opened = warc->Open("Vimbrel " VIMBREL_VERSION);
    if (!opened) {
        throw TUsageError{opened.reason};
    }
    return warc;
}

void CloseWarc(TWarcWriter* warc, TCliOutput& output) {
    if (!warc) {
        return;
    }
    const TOutcome closed = warc->Close();
    if (!closed) {
        output.Failure(closed.reason);
    }
}
