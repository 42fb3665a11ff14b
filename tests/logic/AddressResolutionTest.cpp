#include <gtest/gtest.h>

#include "logic/AddressResolution.h"

TEST(EncodeSpaces, TrimsAndEncodesOnlySpaces) {
    EXPECT_EQ(EncodeSpaces(""), "");
    EXPECT_EQ(EncodeSpaces("movie.swf"), "movie.swf");
    EXPECT_EQ(EncodeSpaces("   "), "");
    EXPECT_EQ(EncodeSpaces("  my movie.swf "), "my%20movie.swf");
    EXPECT_EQ(EncodeSpaces("a  b"), "a%20%20b");
    EXPECT_EQ(EncodeSpaces("\ta b\t"), "\ta%20b\t");
}

TEST(ResolveMovieAddress, TheRulesOnAPageWithAQuery) {
    const QString page = "http://host/games/flash/play.html?level=2";
    EXPECT_EQ(PageDirectory(page), "http://host/games/flash/");
    EXPECT_EQ(ParentDirectory(page), "http://host/games/");
    EXPECT_EQ(SiteRoot(page), "http://host/");
    EXPECT_EQ(ResolveMovieAddress(page, "intro.swf"), "http://host/games/flash/intro.swf");
    EXPECT_EQ(ResolveMovieAddress(page, "/media/intro.swf"), "http://host/media/intro.swf");
    EXPECT_EQ(ResolveMovieAddress(page, "../intro.swf"), "http://host/games/intro.swf");
    EXPECT_EQ(ResolveMovieAddress(page, "../../intro.swf"), "http://host/games/../intro.swf");
    EXPECT_EQ(ResolveMovieAddress(page, "HTTP://other/intro.swf"), "HTTP://other/intro.swf");
    EXPECT_EQ(ResolveMovieAddress(page, "my movie.swf"), "http://host/games/flash/my%20movie.swf");
    EXPECT_EQ(ResolveMovieAddress("http://h/a/p.html?u=x/y/z", "m.swf"), "http://h/a/m.swf");
    EXPECT_EQ(ResolveMovieAddress("http://h/a/b/", "m.swf"), "http://h/a/b/m.swf");
}

TEST(ResolveMovieAddress, MendedCasesGiveCorrectAbsoluteAddresses) {
    // Any scheme is absolute; secure pages and ports keep their host in the root.
    EXPECT_EQ(ResolveMovieAddress("http://h/p.html", "https://cdn/x.swf"), "https://cdn/x.swf");
    EXPECT_EQ(ResolveMovieAddress("https://h:8443/a/p.html", "/x.swf"), "https://h:8443/x.swf");
    EXPECT_EQ(SiteRoot("https://h/a/p.html"), "https://h/");
    EXPECT_EQ(ResolveMovieAddress("https://h/a/p.html", "//cdn.h/x.swf"), "https://cdn.h/x.swf");
    EXPECT_EQ(ResolveMovieAddress("http://h/a/p.html", "//cdn.h/x.swf"), "http://cdn.h/x.swf");
    // ".." only counts at the start, and never climbs above the root.
    EXPECT_EQ(ResolveMovieAddress("http://host/page.html", "../x.swf"), "http://host/x.swf");
    EXPECT_EQ(ResolveMovieAddress("http://h/a/p.html", "b/../x.swf"), "http://h/a/b/../x.swf");
    // "http://" inside the query does not make an address absolute.
    EXPECT_EQ(ResolveMovieAddress("http://h/a/p.html", "go.swf?next=http://other/"),
              "http://h/a/go.swf?next=http://other/");
    // A page without a path still has its host as folder.
    EXPECT_EQ(ResolveMovieAddress("http://h:81", "m.swf"), "http://h:81/m.swf");
    EXPECT_EQ(ResolveMovieAddress("http://h?x=/y", "m.swf"), "http://h/m.swf");
}
