#include <gtest/gtest.h>

#include "logic/TargetNames.h"

TEST(MovieFileName, CutsTheNameBeforeTheFirstSwfKeepingItsCase) {
    EXPECT_EQ(MovieFileName("http://h/dir/Intro.SWF?x=1"), "Intro.SWF");
    EXPECT_EQ(MovieFileName("http://h/get.php?f=a.swf"), "get.php?f=a.swf");
    EXPECT_EQ(MovieFileName("https://h:8443/m/a.swf"), "a.swf");
    EXPECT_EQ(MovieFileName("HTTP://H/A.Swf#top"), "A.Swf");
    EXPECT_EQ(MovieFileName("ftp://h/a.swf"), "");
    EXPECT_EQ(MovieFileName("http://h/movie.html"), "");
    EXPECT_EQ(MovieFileName("http://h/%20a.swf"), "%20a.swf");  // escapes are not decoded
    // Letters whose lower case is longer, or folds to an ASCII letter, move nothing.
    EXPECT_EQ(MovieFileName(QString::fromUtf8("http://h/\u0130\u0130.swf")),
              QString::fromUtf8("\u0130\u0130.swf"));
    EXPECT_EQ(MovieFileName(QString::fromUtf8("http://h/\u0130/x.\u017Fwf/y.SWF")), "y.SWF");
}

TEST(MovieFileName, LooksBackAtMost1024Characters) {
    const QString longName = QString(2000, 'x') + ".swf";
    const QString name = MovieFileName("http://h/" + longName);
    EXPECT_EQ(name.size(), 1024);
    EXPECT_TRUE(name.endsWith("x.swf"));
    // No "/" at all before the ".swf": the name starts at the address's first character.
    EXPECT_EQ(MovieFileName("a.swf?http://h"), "a.swf");
}

TEST(UniqueTargetPath, LaterFilesOfOneCommandGetNumberedNames) {
    auto none = [](const QString&) { return false; };
    EXPECT_EQ(UniqueTargetPath("/d/", "a.swf", {}, none), "/d/a.swf");
    EXPECT_EQ(UniqueTargetPath("/d/", "a.swf", {"/d/a.swf"}, none), "/d/a (2).swf");
    EXPECT_EQ(UniqueTargetPath("/d/", "a.swf", {"/d/a.swf", "/d/a (2).swf"}, none), "/d/a (3).swf");
    // A numbered name that already exists on disk is not overwritten.
    auto existing = [](const QString& p) { return p == "/d/a (2).swf"; };
    EXPECT_EQ(UniqueTargetPath("/d/", "a.swf", {"/d/a.swf"}, existing), "/d/a (3).swf");
    EXPECT_EQ(UniqueTargetPath("/d/", "noext", {"/d/noext"}, none), "/d/noext (2)");
}

// A name that no file system takes is shortened, and characters that reorder text go.
TEST(DiskFileName, EveryNameFitsAndReadsAsItIs) {
    EXPECT_EQ(DiskFileName("a.swf"), "a.swf");
    EXPECT_EQ(DiskFileName(QString::fromUtf8("evil\u202Efws.swf")), "evilfws.swf");
    const QString shortened = DiskFileName(QString(300, QChar(0x00e9)) + ".swf");
    EXPECT_LE(shortened.toUtf8().size(), 200);
    EXPECT_TRUE(shortened.endsWith(".swf"));
    EXPECT_NE(shortened, DiskFileName(QString(299, QChar(0x00e9)) + "x.swf"));  // the hash
}
