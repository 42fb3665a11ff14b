#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/BusyChain.h"
#include "support/FramedSite.h"
#include "support/ListRows.h"
#include "support/TestEnvironment.h"
#include "web/FlashPlayer.h"
#include "web/WebBrowser.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

namespace {
class BrowserScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frm.show();
        QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                         [this](const QString& text) { statuses << text; });
    }
    QString A(const QString& path) { return site.A(path); }

    // Types the address and presses "GO!", then waits for the page scan to finish.
    bool Open(const QString& typed) {
        statuses.clear();
        frm.UrlComBox->setEditText(typed);
        frm.LbSpeedButton6Click();
        return WaitUntil([this] { return statuses.contains("Done"); }, 30000);
    }

    QStringList Rows(int column) { return Column(frm.ListView1, column); }

    TFramedSite site;
    PageServer& pagesA = site.pagesA;
    PageServer& pagesB = site.pagesB;
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
    frm.Core().WebMovies().SetStatus(3, TMovieStatus::Saved);
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

// Relative movies resolve against the document's base: a <base href>, and for a frame written
// inline (srcdoc) the base of the document holding it.
TEST_F(BrowserScanTest, RelativeMoviesResolveAgainstTheDocumentsBase) {
    pagesA.Add("/based/page.html",
               WithPorts("<base href='http://127.0.0.1:{A}/assets/'><embed src='game.swf'>"
                         "<iframe srcdoc=\"<embed src='sd.swf'>\"></iframe>",
                         pagesA.Port(), pagesB.Port()));
    pagesA.Add("/plain/page.html", "<iframe srcdoc=\"<embed src='inline.swf'>\"></iframe>");
    ASSERT_TRUE(Open(A("/based/page.html")));
    EXPECT_EQ(Rows(1), QStringList({A("/assets/game.swf"), A("/assets/sd.swf")}));
    ASSERT_TRUE(Open(A("/plain/page.html")));
    EXPECT_EQ(Rows(1), QStringList({A("/plain/inline.swf")}));
}
