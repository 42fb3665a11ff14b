#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/FindCacheThread.h"

TEST(ExamineEntry, ListsOnlyLocalFilesNamedSwfInAnyCase) {
    auto row = ExamineEntry({"/c/ab12/movie[1].SWF", 1234}, 4);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->index, 5);
    EXPECT_EQ(row->name, "movie[1].SWF");
    EXPECT_EQ(row->size, "1234");
    EXPECT_EQ(row->localPath, "/c/ab12/movie[1].SWF");

    EXPECT_FALSE(ExamineEntry({"/c/movie.swf.tmp", 1}, 0));
    EXPECT_FALSE(ExamineEntry({"/c/swf", 1}, 0));
    EXPECT_FALSE(ExamineEntry({"/c.swf/movie", 1}, 0));
}

TEST(ExamineEntry, SizeShowsLow32BitsUnsigned) {
    EXPECT_EQ(ExamineEntry({"/a.swf", 0x1'0000'0005ULL}, 0)->size, "5");
    EXPECT_EQ(ExamineEntry({"/a.swf", 3'000'000'000ULL}, 0)->size, "3000000000");
}

TEST(FindCacheEntryThread, AppendsSwfRowsInOrderWithoutGaps) {
    std::vector<UrlCacheEntry> entries = {
        {"/s/a.swf", 10}, {"/s/b.txt", 20}, {"/s/c.Swf", 30}, {"/s/d", 40}};
    std::vector<CacheRow> rows;
    bool done = false;
    new TFindCacheEntryThread([entries] { return entries; },
                              [&](const CacheRow& row) { rows.push_back(row); },
                              [&] { done = true; });
    ASSERT_TRUE(WaitUntil([&] { return done; }));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].index, 1);
    EXPECT_EQ(rows[0].name, "a.swf");
    EXPECT_EQ(rows[1].index, 2);
    EXPECT_EQ(rows[1].name, "c.Swf");
}
