#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/Core.h"
#include "support/Files.h"
#include "support/RawHttpServer.h"
#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"

namespace {
void Add(TMovieListModel& list, const QString& address) {
    TMovieRow row;
    row.address = address;
    row.ticked = true;
    list.Append(row);
}

QStringList Reasons(const TMovieListModel& list) {
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) {
        out << StatusText(list.Row(i).status) + ": " + list.Row(i).reason;
    }
    return out;
}

std::string Serve(const std::string& request) {
    static const std::string big(2 * 1024 * 1024, 'F');
    const std::string line = RequestLine(request);
    if (line.find("/missing.swf") != std::string::npos) {
        return RawHttpServer::Response(404, "no");
    }
    return RawHttpServer::Response(200, line.find("/big.swf") != std::string::npos ? big : "m");
}
}  // namespace

// Without any window: each way a download fails keeps its own reason.
TEST(Core, EachFailureOfTheChainCarriesItsReason) {
    RawHttpServer server(Serve);
    QTemporaryDir folder;
    TCore core(TestFolders());
    for (const char* path : {"/a.swf", "/missing.swf"}) {
        Add(core.WebMovies(), QString::fromStdString(server.Url(path)));
    }
    Add(core.WebMovies(), QString("dict://127.0.0.1:%1/d.swf?http://x").arg(server.Port()));
    ASSERT_TRUE(core.Chain().Start(folder.path() + "/"));
    ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 30000));
    EXPECT_EQ(Reasons(core.WebMovies()), QStringList({"Saved: ", "Failed: HTTP 404 Not Found",
                                                      "Failed: not an http or https address"}));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.swf"});
}

// A full disk fails a download and a copy with that reason, and leaves no part of either.
TEST(Core, AFullDiskFailsTheDownloadAndTheCopyWithItsReason) {
    TSmallDisk disk;
    if (!disk.Mounted()) {
        GTEST_SKIP() << "a small file system needs root";
    }
    RawHttpServer server(Serve);
    TCore core(TestFolders());
    for (const char* path : {"/a.swf", "/big.swf"}) {
        Add(core.WebMovies(), QString::fromStdString(server.Url(path)));
    }
    ASSERT_TRUE(core.Chain().Start(disk.Folder()));
    ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 30000));
    EXPECT_EQ(
        Reasons(core.WebMovies()),
        QStringList({"Saved: ", "Failed: cannot write " + disk.Folder() + "big.swf: disk full"}));
    EXPECT_EQ(QDir(disk.Folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.swf"});

    QTemporaryDir source;
    ASSERT_TRUE(WriteFile(source.filePath("large.swf"), QByteArray(2 * 1024 * 1024, 'F')));
    TMovieRow cached;
    cached.localFile = source.filePath("large.swf");
    cached.ticked = true;
    core.CacheMovies().Append(cached);
    TOutcome copied;
    QObject::connect(&core, &TCore::CopyFinished, [&](const TOutcome& o) { copied = o; });
    core.StartCopy(disk.Folder());
    ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 30000));
    EXPECT_EQ(core.CacheMovies().Row(0).reason,
              "cannot write " + disk.Folder() + "large.swf: disk full");
    EXPECT_FALSE(copied.ok);
    EXPECT_EQ(QDir(disk.Folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.swf"});
}
