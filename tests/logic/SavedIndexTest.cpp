#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "logic/SavedIndex.h"
#include "support/Files.h"

// What a folder records of its movies is found again by a later run, as long as the file is
// still there whole; lines cut short or naming a way out of the folder count for nothing.
TEST(SavedIndex, ALaterRunFindsWhatIsStillThere) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    ASSERT_TRUE(WriteFile(folder + "a.swf", "FWS a"));
    ASSERT_TRUE(WriteFile(folder + "b.swf", "FWS b"));
    {
        TSavedIndex index(folder);
        ASSERT_TRUE(index.Record("http://h/a.swf", folder + "a.swf", 5, "aa"));
        ASSERT_TRUE(index.Record("http://h/b.swf", folder + "b.swf", 5, "bb"));
        ASSERT_TRUE(index.Record("http://h/gone.swf", folder + "gone.swf", 5, "cc"));
        EXPECT_TRUE(index.Find("http://h/a.swf"));  // this run's own, too
    }
    QFile file(folder + TSavedIndex::kFileName);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("{\"address\":\"http://h/up.swf\",\"file\":\"../a.swf\",\"size\":5}\n");
    file.write("{\"address\":\"http://h/cut.swf\",\"file\":\"a.swf\",\"si");
    file.close();
    ASSERT_TRUE(WriteFile(folder + "b.swf", "FWS b, changed since"));

    const TSavedIndex later(folder);
    const auto a = later.Find("http://h/a.swf");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->file, "a.swf");
    EXPECT_EQ(a->sha256, "aa");
    for (const char* address : {"http://h/b.swf", "http://h/gone.swf", "http://h/up.swf",
                                "http://h/cut.swf", "http://h/never.swf"}) {
        EXPECT_FALSE(later.Find(address)) << address;
    }
}
