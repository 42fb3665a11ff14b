#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "platform/UrlCache.h"
#include "support/Files.h"

TEST(UrlCacheStore, FilesAreNamedAfterTheirAddressesAndKeptAcrossRuns) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("store");
    TUrlCacheStore store(folder);
    const struct {
        const char* address;
        const char* file;
    } cases[] = {
        {"http://h/games/a.swf?x=1#top", "a[1].swf"}, {"https://other:8443/A.SWF", "A[1].swf"},
        {"http://other/a.swf", "a[2].swf"},  // reserved at once, before any byte is written
        {"http://h/get.php?id=7", "get[1].swf"},      {"http://h/", "movie[1].swf"},
        {"http://h/games/a.swf?x=1#top", "a[1].swf"},  // the same address keeps its file
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QFileInfo(store.PathFor(c.address)).fileName(), c.file) << c.address;
    }
    ASSERT_TRUE(WriteFile(store.PathFor("http://other/a.swf"), "FWS"));
    store.Record("http://other/a.swf", "/cache/x_0|3|1");
    store.Record("http://other/a.swf", "/cache/x_0|3|2");  // the same cache file, changed

    TUrlCacheStore again(folder);
    EXPECT_EQ(again.PathFor("http://other/a.swf"), folder + "/a[2].swf");
    EXPECT_EQ(again.PathFromOrigin("/cache/x_0|3|2"), folder + "/a[2].swf");
    EXPECT_TRUE(again.PathFromOrigin("/cache/x_0|3|1").isEmpty());
    EXPECT_EQ(QFileInfo(again.PathFor("http://new/a.swf")).fileName(), "a[1].swf");  // unwritten
    ASSERT_EQ(again.Items().size(), 1u);

    // A store that was never written and no caches: nothing, and nothing made.
    TUrlCacheStore empty(dir.filePath("absent"));
    EXPECT_TRUE(EnumerateUrlCache(empty, {}).empty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("absent")));
}

// Two processes keeping one store at once: each movie keeps its own file, and neither loses
// the other's records.
TEST(UrlCacheStore, TwoProcessesAtOnceLoseNothing) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("store");
    TUrlCacheStore first(folder);
    TUrlCacheStore second(folder);
    EXPECT_TRUE(first.Items().empty());
    EXPECT_TRUE(second.Items().empty());  // both have read the index before either writes
    const QString mine = first.PathFor("http://one/a.swf");
    const QString theirs = second.PathFor("http://two/a.swf");
    ASSERT_EQ(mine, theirs);  // neither knows of the other yet
    ASSERT_TRUE(WriteFile(mine, "one"));
    EXPECT_TRUE(first.Record("http://one/a.swf", "/c/1|3|1").ok);
    // The second finds the name taken when it stores, and names its movie anew.
    const QString elsewhere = second.PathElsewhere("http://two/a.swf");
    ASSERT_TRUE(WriteFile(elsewhere, "two"));
    EXPECT_TRUE(second.Record("http://two/a.swf", "/c/2|3|1").ok);

    TUrlCacheStore later(folder);
    QStringList stored;
    for (const auto& item : later.Items()) {
        stored << item.address + " " + item.file + " " + ReadAll(folder + "/" + item.file);
    }
    EXPECT_EQ(stored,
              QStringList({"http://one/a.swf a[1].swf one", "http://two/a.swf a[2].swf two"}));
}
