#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "TestUtil.h"
#include "support/Files.h"
#include "support/RawHttpServer.h"

namespace {
// Starts a program of the build, waits until started() holds, ends the session and returns how
// long the program took to exit (-1 when it did not).
qint64 EndSessionDuring(const QString& program, const QStringList& args,
                        const std::function<bool()>& started) {
    QProcess probe;
    probe.start(QCoreApplication::applicationDirPath() + "/" + program, args);
    if (!probe.waitForStarted(10000) || !WaitUntil(started, 20000)) {
        return -1;
    }
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(probe.processId()), SIGTERM);
    const bool ended = probe.waitForFinished(5000);
    EXPECT_EQ(probe.exitCode(), 128 + SIGTERM);
    return ended ? timer.elapsed() : -1;
}

QStringList Hidden(const QString& folder) {
    return QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden);
}
}  // namespace

TEST(SessionEnd, ADownloadEndsWithinASecondLeavingTheFolderAsItWas) {
    std::atomic<bool> sending{false};
    std::atomic<bool> stop{false};
    RawHttpServer slow(SlowBody(100000000, 64 * 1024, sending, stop));
    QTemporaryDir folder;
    ASSERT_TRUE(WriteFile(folder.filePath("movie.swf"), "the old movie"));
    // The command line's download, stopped as Ctrl+C or a log-out stops it.
    const qint64 took = EndSessionDuring(
        "vimbrel", {"get", "--to", folder.path(), QString::fromStdString(slow.Url("/movie.swf"))},
        [&] { return sending && !Hidden(folder.path()).isEmpty(); });
    stop = true;
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
    EXPECT_TRUE(Hidden(folder.path()).isEmpty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"movie.swf"}));
    EXPECT_EQ(ReadAll(folder.filePath("movie.swf")), "the old movie");
}

TEST(SessionEnd, ACopyEndsWithinASecondLeavingOnlyWholeFiles) {
    QTemporaryDir sources;
    QTemporaryDir target;
    const QByteArray body(256 * 1024, 'c');
    for (int i = 0; i < 1500; ++i) {
        ASSERT_TRUE(WriteFile(sources.filePath(QString("m%1.swf").arg(i, 4, 10, QChar('0'))),
                              body + QByteArray::number(i)));
    }
    const qint64 took =
        EndSessionDuring("session_end_probe", {target.path() + "/", sources.path()},
                         [&] { return QDir(target.path()).entryList(QDir::Files).size() >= 20; });
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
    EXPECT_TRUE(Hidden(target.path()).isEmpty());
    const QStringList copied = QDir(target.path()).entryList(QDir::Files);
    EXPECT_LT(copied.size(), 1500);
    for (const QString& name : copied) {
        EXPECT_EQ(ReadAll(target.filePath(name)), ReadAll(sources.filePath(name)))
            << name.toStdString();
    }
}
