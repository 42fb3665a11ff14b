#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/FindCacheThread.h"
#include "logic/MovieList.h"
#include "support/Jobs.h"

namespace {
TUrlCacheEntry Entry(const QString& path, quint64 size) {
    return {path, size, QString(), QString()};
}
}  // namespace

TEST(ExamineEntry, ListsOnlyLocalFilesNamedSwfInAnyCase) {
    auto row = ExamineEntry(Entry("/c/ab12/movie[1].SWF", 1234), 4);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->index, 5);
    EXPECT_EQ(row->name, "movie[1].SWF");
    EXPECT_EQ(row->size, 1234u);
    EXPECT_EQ(row->localPath, "/c/ab12/movie[1].SWF");

    EXPECT_FALSE(ExamineEntry(Entry("/c/movie.swf.tmp", 1), 0));
    EXPECT_FALSE(ExamineEntry(Entry("/c/swf", 1), 0));
    EXPECT_FALSE(ExamineEntry(Entry("/c.swf/movie", 1), 0));
}

TEST(ExamineEntry, SizeShowsLow32BitsUnsigned) {
    TCacheMovieModel list;
    for (const quint64 size : {0x1'0000'0005ULL, 3'000'000'000ULL}) {
        TMovieRow row;
        row.size = static_cast<qint64>(size);
        list.Append(row);
    }
    EXPECT_EQ(list.index(0, TCacheMovieModel::SizeColumn).data().toString(), "5");
    EXPECT_EQ(list.index(1, TCacheMovieModel::SizeColumn).data().toString(), "3000000000");
}

TEST(FindCacheEntryThread, AppendsSwfRowsInOrderWithoutGaps) {
    std::vector<TUrlCacheEntry> entries = {Entry("/s/a.swf", 10), Entry("/s/b.txt", 20),
                                           Entry("/s/c.Swf", 30), Entry("/s/d", 40)};
    std::vector<TCacheRow> rows;
    TJobInstance<TFindCacheEntryThread> scan([entries](TOutcome*) { return entries; });
    QObject::connect(&scan, &TFindCacheEntryThread::RowFound,
                     [&](const TCacheRow& row) { rows.push_back(row); });
    ASSERT_TRUE(RunToEnd(scan));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].index, 1);
    EXPECT_EQ(rows[0].name, "a.swf");
    EXPECT_EQ(rows[1].index, 2);
    EXPECT_EQ(rows[1].name, "c.Swf");
}
