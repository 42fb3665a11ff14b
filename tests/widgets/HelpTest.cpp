#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "platform/ChmToc.h"
#include "platform/DataFiles.h"
#include "support/TestEnvironment.h"
#include "support/UrlOpenings.h"
#include "widgets/HelpWindow.h"
#include "widgets/HtmlHlp.h"

namespace {
class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetHelpEngine(); }
    void TearDown() override { ResetHelpEngine(); }
    QString BuiltHelp() { return QCoreApplication::applicationDirPath() + "/help.chm"; }
};

THelpWindow* OpenHelp(const QString& file) {
    return reinterpret_cast<THelpWindow*>(
        HtmlHelp(nullptr, QFile::encodeName(file).constData(), HH_DISPLAY_TOC, 0));
}
}  // namespace

TEST(HelpFilePath, IsTheExecutablesFolderAndHelpChm) {
    EXPECT_EQ(HelpFilePathFor("/vimbrel"), "/help.chm");
    EXPECT_EQ(HelpFilePathFor("/opt/x/vimbrel"), "/opt/x/help.chm");
}

TEST(HelpContents, NestedListsBecomeATree) {
    const auto toc = ParseContents(R"(<UL>
      <LI><OBJECT type="text/sitemap"><param name="Name" value="Top"><param name="Local" value="a.html"></OBJECT>
      <UL><LI><OBJECT type="text/sitemap"><PARAM NAME="Name" VALUE="Child"><param name="Local" value="b.html"></OBJECT></UL>
      <LI><object type='text/sitemap'><param name=Name value=Next></object>
      <LI><OBJECT type="text/site properties"><param name="Name" value="ignored"></OBJECT>
    </UL>)");
    ASSERT_EQ(toc.size(), 2u);
    EXPECT_EQ(toc[0].name, "Top");
    EXPECT_EQ(toc[0].local, "a.html");
    ASSERT_EQ(toc[0].children.size(), 1u);
    EXPECT_EQ(toc[0].children[0].local, "b.html");
    EXPECT_EQ(toc[1].name, "Next");
    EXPECT_TRUE(toc[1].local.isEmpty());
}

TEST_F(HelpTest, ContentLoadsTheEngineOnceAndClosingTheWindowClosesTheHelp) {
    TMainFrm frm(TestFolders());
    frm.show();
    EXPECT_EQ(frm.HelpFilePath, BuiltHelp());
    EXPECT_FALSE(HelpLoader().HelpLoadTried);
    frm.Content1->trigger();
    EXPECT_EQ(HelpLoader().LoadCount, 1);
    EXPECT_NE(HelpLoader().HtmlHelpProc, nullptr);
    EXPECT_EQ(THelpWindow::OpenCount(), 1);
    frm.Content1->trigger();
    EXPECT_EQ(HelpLoader().LoadCount, 1);  // reused
    EXPECT_EQ(THelpWindow::OpenCount(), 2);
    EXPECT_TRUE(frm.close());
    QCoreApplication::processEvents();
    EXPECT_EQ(THelpWindow::OpenCount(), 0);
}

TEST_F(HelpTest, HomePageOpensTheHelpUntilTheProjectHasASite) {
    TUrlOpenings desktop;
    TMainFrm frm(TestFolders());
    frm.WebPage1->trigger();
    EXPECT_EQ(THelpWindow::OpenCount(), 1);
    EXPECT_TRUE(desktop.opened.isEmpty()) << desktop.opened.join(' ').toStdString();
}

TEST_F(HelpTest, ClosingWithoutHelpLoadsNothing) {
    TMainFrm frm(TestFolders());
    frm.show();
    EXPECT_TRUE(frm.close());
    EXPECT_FALSE(HelpLoader().HelpLoadTried);
    EXPECT_EQ(HelpLoader().LoadCount, 0);
}

TEST_F(HelpTest, AFailedLoadIsNotTriedAgain) {
    HelpLoader().HelpLibraryName = "libvimbrel-no-such-help-engine.so.1";
    TMainFrm frm(TestFolders());
    frm.Content1->trigger();
    EXPECT_TRUE(HelpLoader().HelpLoadTried);
    EXPECT_EQ(HelpLoader().HelpLibrary, nullptr);
    EXPECT_EQ(THelpWindow::OpenCount(), 0);
    HelpLoader().HelpLibraryName = "libchm.so.1";
    frm.Content1->trigger();
    EXPECT_EQ(HelpLoader().LoadCount, 0);
    EXPECT_EQ(THelpWindow::OpenCount(), 0);
}

TEST_F(HelpTest, TheWindowShowsTheContentsAndThePagesWithTheirImages) {
    THelpWindow* window = OpenHelp(BuiltHelp());
    ASSERT_NE(window, nullptr);
    QTreeWidget* toc = window->Contents;
    ASSERT_EQ(toc->topLevelItemCount(), 1);
    QTreeWidgetItem* welcome = toc->topLevelItem(0);
    EXPECT_EQ(welcome->text(0), "Welcome to Vimbrel");
    ASSERT_EQ(welcome->childCount(), 4);
    EXPECT_EQ(welcome->child(2)->text(0), "Downloading movies");
    EXPECT_EQ(welcome->child(2)->child(0)->text(0), "What the row statuses mean");
    EXPECT_TRUE(window->Page->toPlainText().contains("Vimbrel finds Flash movies"));
    EXPECT_EQ(window->windowTitle(), "Welcome to Vimbrel");
    EXPECT_FALSE(
        window->Page->loadResource(QTextDocument::ImageResource, QUrl("chm:///mainwindow.png"))
            .toByteArray()
            .isEmpty());

    toc->setCurrentItem(welcome->child(2)->child(0));
    EXPECT_TRUE(window->Page->toPlainText().contains("Failed"));
    window->Page->setSource(QUrl("chm:///web.html"));  // as a link on a page does
    EXPECT_TRUE(window->Page->toPlainText().contains("Address :"));

    EXPECT_EQ(OpenHelp("/nonexistent/help.chm"), nullptr);  // shows and reports nothing
    EXPECT_EQ(THelpWindow::OpenCount(), 1);
}

// A link to another help page opens it in the help window, its contents following, Back and
// Forward too; only web links go to the desktop, and nothing else is followed.
TEST_F(HelpTest, LinksBetweenHelpPagesStayInTheHelpWindow) {
    TUrlOpenings desktop;
    THelpWindow* window = OpenHelp(BuiltHelp());
    ASSERT_NE(window, nullptr);
    window->show();
    QCoreApplication::processEvents();
    QTextDocument* page = window->Page->document();
    QPoint link;
    for (QTextBlock block = page->begin(); block.isValid() && link.isNull(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorHref() == "cache.html") {
                QTextCursor at(page);
                at.setPosition(it.fragment().position() + 1);
                link = window->Page->cursorRect(at).center();
                break;
            }
        }
    }
    ASSERT_FALSE(link.isNull());
    QTest::mouseClick(window->Page->viewport(), Qt::LeftButton, {}, link);
    EXPECT_EQ(window->Page->source().path(), "/cache.html");
    EXPECT_EQ(window->Contents->currentItem()->text(0), "Copying cached movies");
    EXPECT_TRUE(desktop.opened.isEmpty()) << desktop.opened.join(' ').toStdString();
    // Back and Forward move the contents with the page.
    const QString first = window->Contents->topLevelItem(0)->text(0);
    QTest::keyClick(window->Page, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window->Contents->currentItem()->text(0), first);
    QTest::keyClick(window->Page, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window->Contents->currentItem()->text(0), "Copying cached movies");

    for (const char* other :
         {"https://example.org/flash", "file:///etc/passwd", "javascript:x()"}) {
        window->FollowLink(QUrl(other));
    }
    EXPECT_EQ(desktop.opened, QStringList{"https://example.org/flash"});
    EXPECT_EQ(window->Page->source().path(), "/cache.html");
}

TEST(BesideOrInstalled, BesideTheProgramFirstThenItsInstalledDataFolder) {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath("bin");
    QDir().mkpath(bin);
    EXPECT_EQ(BesideOrInstalled(bin, "help.chm"), bin + "/help.chm");  // neither: beside
    QDir().mkpath(prefix.filePath("share/vimbrel/ruffle"));
    QFile(prefix.filePath("share/vimbrel/help.chm")).open(QIODevice::WriteOnly);
    EXPECT_EQ(BesideOrInstalled(bin, "help.chm"), prefix.filePath("share/vimbrel/help.chm"));
    EXPECT_EQ(BesideOrInstalled(bin, "ruffle"), prefix.filePath("share/vimbrel/ruffle"));
    QFile(bin + "/help.chm").open(QIODevice::WriteOnly);
    EXPECT_EQ(BesideOrInstalled(bin, "help.chm"), bin + "/help.chm");
}
