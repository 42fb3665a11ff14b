#include <gtest/gtest.h>
#include <utime.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/Pruning.h"
#include "platform/Settings.h"
#include "support/Files.h"

namespace {
// A file of size bytes last used minutesAgo minutes ago.
void Place(const QString& path, int size, int minutesAgo) {
    ASSERT_TRUE(WriteFile(path, QByteArray(size, 'x')));
    const time_t when = time(nullptr) - minutesAgo * 60;
    const utimbuf times{when, when};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
}
}  // namespace

// The least recently used go first, until the folder is within its limit; what is named to be
// kept, what was written a moment ago and what lies behind a link stay.
TEST(PruneFolder, TheLeastRecentlyUsedGoFirst) {
    QTemporaryDir dir;
    QTemporaryDir outside;
    const QString d = dir.path();
    ASSERT_TRUE(QDir(d).mkpath("movie"));
    Place(d + "/old.swf", 400, 90);
    Place(d + "/movie/older", 400, 120);
    Place(d + "/.index", 400, 200);
    Place(d + "/used.swf", 400, 10);
    Place(d + "/new.swf", 400, 0);
    Place(outside.path() + "/theirs", 400, 300);
    ASSERT_TRUE(QFile::link(outside.path(), d + "/link"));
    EXPECT_EQ(PruneFolder(d, 1200, {".index"}), 800);
    EXPECT_FALSE(QFile::exists(d + "/old.swf"));
    EXPECT_FALSE(QFile::exists(d + "/movie/older"));
    for (const QString& stays :
         {d + "/.index", d + "/used.swf", d + "/new.swf", outside.path() + "/theirs"}) {
        EXPECT_TRUE(QFile::exists(stays)) << stays.toStdString();
    }
    EXPECT_EQ(PruneFolder(d, 0, {".index"}), 400);  // all but the one written a moment ago
    EXPECT_TRUE(QFile::exists(d + "/new.swf"));
}

// An option that cannot be written (the settings file cannot be made) says so, and why, rather
// than being lost at the next start without a word.
TEST(Settings, AWriteThatFailsSaysSo) {
    QTemporaryDir home;
    const TUserFolders folders = UserFoldersUnder(home.path());
    TSettings settings(folders);
    EXPECT_TRUE(settings.SetSaveLoadedFiles(false));
    EXPECT_FALSE(settings.SaveLoadedFiles());
    const QString file = folders.configHome + "/vimbrel/vimbrel.conf";
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkpath(file));  // a folder where the file goes
    const TOutcome written = settings.SetPlayFlashInPages(false);
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.reason.contains(file)) << written.reason.toStdString();
}
