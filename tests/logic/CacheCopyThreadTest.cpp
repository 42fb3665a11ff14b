#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/CacheCopyThread.h"
#include "logic/Progress.h"
#include "support/Files.h"
#include "support/Jobs.h"

namespace {
struct Report {
    int position;
    QString target;
    TOutcome outcome;
};

std::vector<Report> Copy(const QString& folder, const QStringList& files) {
    std::vector<Report> reports;
    TJobInstance<TCacheCopyThread> copy(folder, files);
    QObject::connect(&copy, &TCacheCopyThread::FileCopied,
                     [&](int position, const QString& target, const TOutcome& outcome) {
                         reports.push_back({position, target, outcome});
                     });
    EXPECT_TRUE(RunToEnd(copy));
    return reports;
}

std::vector<int> Positions(const std::vector<Report>& reports) {
    std::vector<int> out;
    for (const auto& r : reports) {
        out.push_back(r.position);
    }
    return out;
}
}  // namespace

TEST(ProgressPosition, RoundsHalvesToEvenWithoutOverflow) {
    EXPECT_EQ(ProgressPosition(1025, 3000), 35);
    EXPECT_EQ(ProgressPosition(2050, 3000), 69);
    EXPECT_EQ(ProgressPosition(3000, 3000), 100);
    EXPECT_EQ(ProgressPosition(50, 100), 50);
    EXPECT_EQ(ProgressPosition(51, 100), 52);
    EXPECT_EQ(ProgressPosition(333, 1000), 34);
    EXPECT_EQ(ProgressPosition(2'147'483'647, 2'147'483'647), 100);
    EXPECT_EQ(ProgressPosition(1'073'741'824, 2'147'483'648), 50);
    EXPECT_EQ(ProgressPosition(4000, 3000), 134);  // more than announced
}

TEST(CacheCopyThread, ReportsPositionAndDestinationAfterEveryFile) {
    QTemporaryDir src, dst;
    QStringList files;
    for (const char* name : {"a.swf", "b.swf", "c.swf", "d.swf"}) {
        WriteFile(src.filePath(name), name);
        files << src.filePath(name);
    }
    const QString folder = dst.path() + "/";
    auto four = Copy(folder, files);
    EXPECT_EQ(Positions(four), (std::vector<int>{26, 50, 76, 100}));
    EXPECT_EQ(four[3].target, folder + "d.swf");
    EXPECT_EQ(ReadAll(folder + "c.swf"), "c.swf");

    QTemporaryDir dst3;
    auto three = Copy(dst3.path() + "/", files.mid(0, 3));
    EXPECT_EQ(Positions(three), (std::vector<int>{34, 67, 100}));
}

TEST(CacheCopyThread, SameNamesAreKeptApartAndOlderFilesReplaced) {
    QTemporaryDir src, dst;
    WriteFile(src.filePath("one/movie[1].swf"), "first");
    WriteFile(src.filePath("two/movie[1].swf"), "second");
    WriteFile(dst.filePath("movie[1].swf"), "there before");
    const QString folder = dst.path() + "/";
    auto reports =
        Copy(folder, {src.filePath("one/movie[1].swf"), src.filePath("two/movie[1].swf")});
    EXPECT_EQ(ReadAll(folder + "movie[1].swf"), "first");
    EXPECT_EQ(ReadAll(folder + "movie[1] (2).swf"), "second");
    EXPECT_EQ(reports[1].target, folder + "movie[1] (2).swf");
}

TEST(CacheCopyThread, FailuresCountAsHandledAndLeaveNothingBehind) {
    QTemporaryDir src, dst;
    WriteFile(src.filePath("ok.swf"), "ok");
    WriteFile(dst.filePath("gone.swf"), "kept");
    const QString folder = dst.path() + "/";
    auto reports = Copy(folder, {src.filePath("gone.swf"), src.filePath("ok.swf")});
    EXPECT_EQ(Positions(reports), (std::vector<int>{50, 100}));
    EXPECT_EQ(reports[0].target, folder + "gone.swf");
    EXPECT_EQ(reports[0].outcome.reason,
              "cannot read " + src.filePath("gone.swf") + ": No such file or directory");
    EXPECT_TRUE(reports[1].outcome.ok);
    EXPECT_EQ(ReadAll(folder + "gone.swf"), "kept");  // a vanished source destroys nothing
    EXPECT_EQ(ReadAll(folder + "ok.swf"), "ok");
    EXPECT_EQ(QDir(dst.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    auto missingFolder = Copy(dst.filePath("absent") + "/", {src.filePath("ok.swf")});
    EXPECT_EQ(Positions(missingFolder), (std::vector<int>{100}));
    EXPECT_TRUE(
        missingFolder[0].outcome.reason.startsWith("cannot create " + dst.filePath("absent")));
    EXPECT_FALSE(QDir(dst.filePath("absent")).exists());
}

// A cached movie that loaded files when it played is copied into a folder of its own with them
// and their manifest, as a download is saved; the others are copied alone.
TEST(CacheCopyThread, AMovieThatLoadedFilesIsCopiedWithThem) {
    QTemporaryDir cache;
    QTemporaryDir target;
    ASSERT_TRUE(WriteFile(cache.filePath("game[1].swf"), "FWS game"));
    ASSERT_TRUE(WriteFile(cache.filePath("plain[1].swf"), "FWS plain"));
    ASSERT_TRUE(WriteFile(cache.filePath("load-1"), "FWS level"));
    TLoadedFile level;
    level.address = "http://site/games/levels/one.swf";
    level.status = 200;
    level.localFile = cache.filePath("load-1");
    TJobInstance<TCacheCopyThread> copy(
        target.path() + "/",
        QStringList{cache.filePath("game[1].swf"), cache.filePath("plain[1].swf")});
    copy.CopyWithLoads(0, "http://site/games/game.swf", {level});
    ASSERT_TRUE(RunToEnd(copy));
    EXPECT_EQ(ReadAll(target.filePath("game[1]/game[1].swf")), "FWS game");
    EXPECT_EQ(ReadAll(target.filePath("game[1]/levels/one.swf")), "FWS level");
    EXPECT_TRUE(ReadAll(target.filePath("game[1]/manifest.json")).contains("levels/one.swf"));
    EXPECT_EQ(ReadAll(target.filePath("plain[1].swf")), "FWS plain");
}
