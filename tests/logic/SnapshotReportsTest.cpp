#include <gtest/gtest.h>

#include "TestUtil.h"
#include "logic/SnapshotReports.h"

namespace {
const QString kSecret = "5ec7e7";

TReportLine Line(const QString& path, const QString& json, int part = 0, int parts = 1) {
    return {"scan1", path, part, parts, json};
}

QString Doc(const QString& url, const QString& extra = QString()) {
    return QString(R"({"url":"%1","embeds":[]%2})").arg(url, extra);
}

QStringList Urls(const TDocumentSnapshot& doc) {
    QStringList out = {doc.url};
    for (const auto& frame : doc.frames) {
        out << "(" + Urls(frame).join(" ") + ")";
    }
    return out;
}
}  // namespace

TEST(ParseReportLine, OnlyWellFormedLinesWithThisRunsSecret) {
    const auto line = ParseReportLine(kSecret + " scan1 /0/12 1/3 {\"a\": \"b c\"}", kSecret);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->scan, "scan1");
    EXPECT_EQ(line->path, "/0/12");
    EXPECT_EQ(line->part, 1);
    EXPECT_EQ(line->parts, 3);
    EXPECT_EQ(line->text, "{\"a\": \"b c\"}");
    EXPECT_TRUE(ParseReportLine(kSecret + " s / 0/1 ", kSecret));  // the top, empty text
    for (const QString& bad :
         {QString("5ec7e8 s / 0/1 {}"), QString(" s / 0/1 {}"), kSecret + "x s / 0/1 {}",
          kSecret + " s 0 0/1 {}", kSecret + " s /a 0/1 {}", kSecret + " s /-1 0/1 {}",
          kSecret + " s // 0/1 {}", kSecret + " s / 1/1 {}", kSecret + " s / 0/0 {}",
          kSecret + " s / 0/99999 {}", kSecret + " s / 0/1", kSecret, QString()}) {
        EXPECT_FALSE(ParseReportLine(bad, kSecret)) << bad.toStdString();
    }
    EXPECT_FALSE(ParseReportLine(" s / 0/1 {}", QString()));  // no secret, no reports
}

TEST(TSnapshotCollector, BuildsTheTreeInDocumentOrderWhateverOrderReportsArriveIn) {
    TSnapshotCollector collector("scan1");
    // Frames may report before the top's list; one arrives in two parts.
    const QString deep = Doc("http://b/deep");
    collector.Add(Line("/0/0", deep.left(5), 0, 2));
    collector.Add(Line("/1", Doc("http://c/second")));
    collector.Add({"other-scan", "/0", 0, 1, Doc("http://evil/")});
    EXPECT_FALSE(collector.Assemble());  // nothing without the top
    collector.Add(Line("/", Doc("http://a/top", R"(,"framePaths":[[0],[0,0],[0,1],[1],[2]])")));
    collector.Add(Line("/0/0", deep.mid(5), 1, 2));
    collector.Add(Line("/0", Doc("http://a/first")));
    collector.Add(Line("/0", Doc("http://evil/again")));  // a repeat changes nothing
    collector.Add(Line("/9", Doc("http://unlisted/")));
    EXPECT_FALSE(collector.Complete());
    collector.Add(Line("/0/1", R"({"absent":true})"));
    EXPECT_FALSE(collector.Complete());  // /2 is still owed
    EXPECT_EQ(
        Urls(*collector.Assemble()),
        QStringList({"http://a/top", "(http://a/first (http://b/deep))", "(http://c/second)"}));
    collector.Add(Line("/2", "not json"));
    EXPECT_TRUE(collector.Complete());
}

TEST(TSnapshotCollector, AFrameThatNeverReportedGivesWayToItsOwnFrames) {
    TSnapshotCollector collector("scan1");
    collector.Add(Line("/", Doc("http://a/top", R"(,"framePaths":[[0],[0,0],[1]])")));
    collector.Add(Line("/0/0", Doc("http://b/inner")));
    collector.Add(Line("/1", Doc("http://c/last")));
    EXPECT_FALSE(collector.Complete());
    EXPECT_EQ(Urls(*collector.Assemble()),
              QStringList({"http://a/top", "(http://b/inner)", "(http://c/last)"}));
}
