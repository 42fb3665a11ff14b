#pragma once

// Runs the built command-line program as a script would: without a display, its output read
// whole once it has ended.
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <vector>

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

inline QProcess* StartVimbrel(const QStringList& arguments, const QString& workingFolder = {}) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(name);  // no display at all
    }
    process->setProcessEnvironment(env);
    if (!workingFolder.isEmpty()) {
        process->setWorkingDirectory(workingFolder);
    }
    process->start(QCoreApplication::applicationDirPath() + "/vimbrel", arguments);
    return process;
}

inline Ran FinishVimbrel(QProcess* process, int timeoutMs = 60000) {
    Ran run;
    if (process->waitForFinished(timeoutMs) && process->exitStatus() == QProcess::NormalExit) {
        run.status = process->exitCode();
    }
    run.out = QString::fromUtf8(process->readAllStandardOutput());
    run.err = QString::fromUtf8(process->readAllStandardError());
    delete process;
    return run;
}

inline Ran Vimbrel(const QStringList& arguments) {
    return FinishVimbrel(StartVimbrel(arguments));
}

inline QStringList Lines(const QString& text) {
    return text.split('\n', Qt::SkipEmptyParts);
}

// The JSON lines of an output, and those of them that tell a movie (they have an address).
inline std::vector<QJsonObject> JsonLines(const QString& out) {
    std::vector<QJsonObject> rows;
    for (const QString& line : Lines(out)) {
        rows.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
    }
    return rows;
}
inline std::vector<QJsonObject> MovieLines(const QString& out) {
    std::vector<QJsonObject> rows;
    for (const QJsonObject& row : JsonLines(out)) {
        if (row.contains("address")) {
            rows.push_back(row);
        }
    }
    return rows;
}

// The records of a web archive as a real WARC reader reads them (tests/support/ReadWarc.mjs):
// empty, and ok false, when it cannot read the archive to its end.
struct WarcRecords {
    bool ok = false;
    QString error;
    std::vector<QJsonObject> records;
};
inline WarcRecords ReadWarc(const QString& path) {
    WarcRecords read;
    QProcess reader;
    reader.start("node", {VIMBREL_SOURCE_DIR "/tests/support/ReadWarc.mjs", path});
    read.ok = reader.waitForFinished(60000) && reader.exitCode() == 0;
    read.error = QString::fromUtf8(reader.readAllStandardError());
    read.records = JsonLines(QString::fromUtf8(reader.readAllStandardOutput()));
    return read;
}
