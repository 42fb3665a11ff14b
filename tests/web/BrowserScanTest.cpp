#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/BusyChain.h"
#include "support/ListRows.h"
#include "support/PageServer.h"
#include "support/TestEnvironment.h"
#include "web/FlashPlayer.h"
#include "web/WebBrowser.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

namespace {
// The top page on 127.0.0.1 with frames from localhost (another origin) and back.
const char* const kTopPage = R"(<html><body>
<object classid="clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"
        codebase="http://download.MACROMEDIA.COM/pub/shockwave/cabs/flash/swflash.cab">
  <param name="movie" value="movies/first.swf"></object>
<object type="application/x-shockwave-flash" data="m.swf"></object>
<object classid="clsid:8AD9C840-044E-11D1-B3E9-00805F499D93" type="application/x-java-applet">
  <param name="movie" value="applet.swf"></object>
<embed src="media/Intro.SWF?x=1">
<embed src="shared.swf">
<script>var a = "movie.swf?v=2", b = "movie.swf.bak", c = ".swf", d = "it's.swf", e = " my movie.swf";</script>
<script>swfobject.embedSWF("game.swf", "box", "550", "400", "9");</script>
<script>var three = "three.swf" + '"';</script>
<iframe src="http://localhost:{B}/frame1.html"></iframe>
<iframe src="http://localhost:{B}/missing.html"></iframe>
<iframe src="http://127.0.0.1:1/unreachable.html"></iframe>
<iframe src="same.html"></iframe>
</body></html>)";

const char* const kFrame1 = R"(<html><body>
<embed src="frame1.swf"><embed src="http://127.0.0.1:{A}/SHARED.swf">
<iframe src="http://127.0.0.1:{A}/nested.html"></iframe>
</body></html>)";

class BrowserScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const int a = pagesA.Port();
        const int b = pagesB.Port();
        pagesA.Add("/index.html", WithPorts(kTopPage, a, b));
        pagesA.Add("/nested.html", "<embed src='nested.swf'>");
        pagesA.Add("/same.html", "<embed src='same-origin.swf'>");
        pagesA.Add("/plain.html", "<p>no movies here</p>");
        pagesB.Add("/frame1.html", WithPorts(kFrame1, a, b));
        frm.show();
        QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                         [this](const QString& text) { statuses << text; });
    }
    QString A(const QString& path) {
        return QString("http://127.0.0.1:%1%2").arg(pagesA.Port()).arg(path);
    }

    // Types the address and presses "GO!", then waits for the page scan to finish.
    bool Open(const QString& typed) {
        statuses.clear();
        frm.UrlComBox->setEditText(typed);
        frm.LbSpeedButton6Click();
        return WaitUntil([this] { return statuses.contains("Done"); }, 30000);
    }

    QStringList Rows(int column) { return Column(frm.ListView1, column); }

    PageServer pagesA;
    PageServer pagesB;
    TMainFrm frm{TestFolders()};  // an error box would fail the test
    QStringList statuses;
};
}  // namespace

TEST_F(BrowserScanTest, FindsTheMoviesOfAPageAndAllItsFrames) {
    ASSERT_TRUE(Open(A("/index.html")));
    EXPECT_EQ(statuses.first(), "Openning Page " + A("/index.html"));
    const QString b = QString("http://localhost:%1").arg(pagesB.Port());
    EXPECT_EQ(Rows(1), QStringList({A("/movies/first.swf"), A("/m.swf"), A("/media/Intro.SWF?x=1"),
                                    A("/shared.swf"), A("/movie.swf?v=2"), A("/.swf"),
                                    A("/my%20movie.swf"), A("/game.swf"), b + "/frame1.swf",
                                    A("/nested.swf"), A("/same-origin.swf")}));
    EXPECT_EQ(Rows(0).first(), "1");
    EXPECT_EQ(Rows(2), QStringList(11, "New"));
    for (int i = 0; i < 11; ++i) {
        EXPECT_TRUE(Ticked(frm.ListView1, i));
    }

    // Selecting a row plays it and marks it; a saved row keeps its mark.
    SelectRow(frm.ListView1, 2);
    EXPECT_EQ(frm.ShockwaveFlash1->Movie(), A("/media/Intro.SWF?x=1"));
    EXPECT_EQ(Rows(2)[2], "Preview");
    frm.Core().WebMovies().SetStatus(3, MovieStatus::Saved);
    SelectRow(frm.ListView1, 3);
    EXPECT_EQ(frm.ShockwaveFlash1->Movie(), A("/shared.swf"));
    EXPECT_EQ(Rows(2)[3], "Saved");
    EXPECT_EQ(Rows(2)[2], "Preview");  // losing the selection plays it again, still "Preview"

    // The next page rebuilds the list.
    ASSERT_TRUE(Open(A("/plain.html")));
    EXPECT_EQ(::Rows(frm.ListView1), 0);
}

TEST_F(BrowserScanTest, APageCompletingOnTheCacheTabStillFillsTheWebList) {
    AddCacheRow(frm, 1, "/tmp/old.swf", 3);
    frm.SelectPageInCode(1);
    ASSERT_TRUE(Open(A("/same.html")));
    ASSERT_EQ(Rows(1), QStringList({A("/same-origin.swf")}));
    EXPECT_TRUE(Ticked(frm.ListView1, 0));
    EXPECT_EQ(::Rows(frm.ListView2), 1);
    EXPECT_FALSE(Ticked(frm.ListView2, 0));
}

TEST_F(BrowserScanTest, GoFollowsTheAddressRules) {
    // Capitals and no scheme: shown lowered after "http:// ", opened as typed.
    const QString typed = QString("127.0.0.1:%1/SAME.html").arg(pagesA.Port());
    statuses.clear();
    frm.UrlComBox->setEditText(typed);
    QTest::keyClick(frm.UrlComBox, Qt::Key_Return);  // Enter acts as GO
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.first(), "Openning Page http:// " + typed.toLower());
    ASSERT_TRUE(WaitUntil([this] { return statuses.contains("Done"); }, 30000));
    EXPECT_EQ(frm.WebBrowser1->url().toString(), "http://" + typed);

    for (const QString& refused :
         {QString(), QString("FILE:///etc/passwd"), QString("x file://y")}) {
        statuses.clear();
        frm.UrlComBox->setEditText(refused);
        frm.LbSpeedButton6Click();
        EXPECT_TRUE(statuses.isEmpty()) << refused.toStdString();
    }
    TBusyChain busy(frm);
    ASSERT_TRUE(busy.Started());
    statuses.clear();
    frm.UrlComBox->setEditText(A("/index.html"));
    frm.LbSpeedButton6Click();
    EXPECT_TRUE(statuses.isEmpty());
}
