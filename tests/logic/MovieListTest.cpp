// The two movie lists as the views read them: each its own columns, what a cleared web list
// still knows, and row numbers that no longer name a row.
#include <gtest/gtest.h>

#include "logic/MovieList.h"

namespace {
QStringList Headers(const TMovieListModel& list) {
    QStringList names;
    for (int c = 0; c < list.columnCount(); ++c) {
        names << list.headerData(c, Qt::Horizontal).toString();
    }
    return names;
}

QStringList Cells(const TMovieListModel& list, int row) {
    QStringList cells;
    for (int c = 0; c < list.columnCount(); ++c) {
        cells << list.index(row, c).data().toString();
    }
    return cells;
}
}  // namespace

TEST(MovieLists, EachListShowsItsOwnColumns) {
    TWebMovieModel web;
    web.SetFound({{"http://site/a.swf", TMovieSource::Page, "http://site/"}});
    TLoadedFile level;
    level.address = "http://site/level.swf";
    web.RecordLoad("http://site/a.swf", level);
    web.SetStatus(0, TMovieStatus::Failed, "HTTP 404 Not Found");
    EXPECT_EQ(Headers(web), QStringList({"Index", "Flash", "Status", "Loads"}));
    EXPECT_EQ(Cells(web, 0), QStringList({"1", "http://site/a.swf", "Failed", "1"}));
    EXPECT_EQ(web.index(0, TWebMovieModel::StatusColumn).data().toString(), "Failed");

    TCacheMovieModel cache;
    TMovieRow cached;
    cached.index = 7;
    cached.localFile = "/cache/game[1].swf";
    cached.size = 5000000000;  // shown as the original showed it: its low 32 bits
    cached.address = "http://site/game.swf";
    cache.Append(cached);
    cache.RecordLoad("/cache/game[1].swf", level);
    EXPECT_EQ(Headers(cache), QStringList({"Index", "Flash", "Size", "Local Path"}));
    EXPECT_EQ(Cells(cache, 0),
              QStringList({"7", "game[1].swf", "705032704", "/cache/game[1].swf"}));
    EXPECT_EQ(cache.Row(0).loads.size(), 1u);
    EXPECT_TRUE(cache.index(0, 0).data(Qt::ToolTipRole).toString().contains("/cache/game[1].swf"));
}

TEST(MovieLists, AClearedWebListRemembersItsMoviesAndGoneRowsAreIgnored) {
    TWebMovieModel web;
    web.SetFound({{"http://site/A.swf", TMovieSource::Page, ""}});
    web.Clear();
    EXPECT_EQ(web.Count(), 0);
    EXPECT_TRUE(web.WasFound("http://site/a.swf"));  // not listed again when fetched again
    web.ShowAllFound();
    EXPECT_EQ(web.Count(), 1);

    for (const int gone : {-1, 1, 100}) {
        web.SetStatus(gone, TMovieStatus::Saved);
        web.SetTicked(gone, true);
        web.SetLoadsSaved(gone);
        EXPECT_TRUE(web.Row(gone).address.isEmpty()) << gone;
    }
    EXPECT_EQ(web.Row(0).status, TMovieStatus::New);
    EXPECT_FALSE(web.index(0, 9).data().isValid());

    TCacheMovieModel cache;
    cache.Append(TMovieRow());
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0);
}
