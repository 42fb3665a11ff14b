#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "app/ToolbarLayout.h"
#include "support/BusyChain.h"
#include "support/ListRows.h"
#include "support/ModalAnswers.h"
#include "support/TestEnvironment.h"
#include "web/FlashPlayer.h"
#include "web/WebBrowser.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

namespace {
class MainFrmTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetWindowState();
        frm = std::make_unique<TMainFrm>(TestFolders());
        frm->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        // Let a cache scan a test started finish before the window goes.
        WaitUntil([&] { return !frm->Busy(); });
    }

    // Selects a tab as the user does, with a click on the tab bar.
    void ClickTab(int page) {
        QTabBar* bar = frm->PageControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    }

    QStringList Captions(QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions()) {
            out << (a->isSeparator() ? "-" : a->text());
        }
        return out;
    }

    void AddCacheRows(int n) {
        for (int i = 0; i < n; ++i) {
            AddCacheRow(*frm, i + 1, QString("/c/m%1.swf").arg(i));
        }
    }

    std::unique_ptr<TMainFrm> frm;
};
}  // namespace

TEST_F(MainFrmTest, StartsWithTheFormsCaptionsMenusAndStatus) {
    EXPECT_EQ(frm->objectName(), "MainFrm");
    EXPECT_EQ(frm->windowTitle(), "Vimbrel v1.0.0");
    EXPECT_EQ(Captions(frm->File1), QStringList({"&Download Flash", "&Copy Flash To...",
                                                 "Save Page as &Web Archive…", "-", "E&xit"}));
    EXPECT_EQ(Captions(frm->Edit1),
              QStringList({"&Select All", "&Deselect all", "-", "&Clear list", "-", "Dee&p Scan",
                           "Save &Loaded Files", "Play Flash &in Pages", "-", "S&top"}));
    EXPECT_EQ(Captions(frm->Help1), QStringList({"&Content", "-", "&Home page", "-", "&About..."}));
    EXPECT_EQ(Captions(frm->PopupMenu1),
              QStringList({"Select All", "Deselect All", "-", "Clear List", "-", "Download Flash",
                           "Copy Flash To"}));
    EXPECT_TRUE(frm->Download1->isEnabled());
    EXPECT_TRUE(frm->Download2->isEnabled());
    EXPECT_FALSE(frm->CopyFlash1->isEnabled());
    EXPECT_FALSE(frm->CopyFlash2->isEnabled());
    EXPECT_EQ(frm->LbSpeedButton1->Caption(), "Select All");
    EXPECT_EQ(frm->LbSpeedButton2->Caption(), "Deselect All");
    EXPECT_EQ(frm->LbSpeedButton3->Caption(), "Download  Flash");
    EXPECT_EQ(frm->LbSpeedButton5->Caption(), "Address :");
    EXPECT_EQ(frm->LbSpeedButton6->Caption(), "  GO!");
    EXPECT_EQ(frm->LbSpeedButton6->Glyph().size(), QSize(25, 25));
    EXPECT_EQ(frm->LbSpeedButton1->Glyph().size(), QSize(32, 32));
    EXPECT_EQ(frm->PageControl1->tabText(0), "Internet Flash Movies");
    EXPECT_EQ(frm->PageControl1->tabText(1), "   IE Cache Files    ");
    EXPECT_EQ(frm->PageControl1->currentIndex(), 0);
    EXPECT_EQ(frm->StatusBar1->Text(), "Done");
    EXPECT_FALSE(frm->Busy());
    EXPECT_EQ(frm->ProgressBar->value(), 0);
    EXPECT_EQ(frm->ListView1->model()->headerData(1, Qt::Horizontal).toString(), "Flash");
    EXPECT_EQ(frm->ListView2->model()->headerData(3, Qt::Horizontal).toString(), "Local Path");
    EXPECT_EQ(frm->ListView2->columnWidth(3), 300);
    for (const char* name :
         {"Panel1", "Panel2", "Panel3", "Panel4", "Panel5", "Panel6", "Panel7", "Panel8", "Panel9",
          "ShockwaveFlash1", "WebBrowser1", "UrlComBox", "TabSheet1", "TabSheet2", "StatusBar1"}) {
        EXPECT_NE(frm->findChild<QWidget*>(name), nullptr) << name;
    }
    // The views show once the engine has started behind the window, each with its page.
    EXPECT_TRUE(WaitUntil(
        [&] { return frm->ShockwaveFlash1->isVisible() && frm->WebBrowser1->isVisible(); }));
    // Nothing is fetched at the start, so the network library, which slows every start, is not
    // loaded yet.
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libcurl"));
}

// Options the user sets are on at the first start and as the user left them at the next.
TEST_F(MainFrmTest, OptionsAreRememberedForTheNextStart) {
    for (QAction* option : {frm->SaveLoads1, frm->PlayInPages1}) {
        ASSERT_TRUE(option->isChecked());
        option->trigger();
        EXPECT_FALSE(
            TMainFrm(TestFolders()).findChild<QAction*>(option->objectName())->isChecked());
        option->trigger();
        EXPECT_TRUE(TMainFrm(TestFolders()).findChild<QAction*>(option->objectName())->isChecked());
    }
}

TEST_F(MainFrmTest, TabSwitchSetsMenusCaptionAndScansAnEmptyCacheList) {
    ClickTab(1);
    EXPECT_EQ(frm->PageControl1->currentIndex(), 1);
    EXPECT_FALSE(frm->Download1->isEnabled());
    EXPECT_FALSE(frm->Download2->isEnabled());
    EXPECT_TRUE(frm->CopyFlash1->isEnabled());
    EXPECT_TRUE(frm->CopyFlash2->isEnabled());
    EXPECT_EQ(frm->LbSpeedButton3->Caption(), "Copy Flash To");
    EXPECT_TRUE(frm->Busy());  // the scan runs
    EXPECT_EQ(frm->StatusBar1->Text(), "Done");
    ASSERT_TRUE(WaitUntil([&] { return !frm->Busy(); }));

    ClickTab(0);
    EXPECT_TRUE(frm->Download1->isEnabled());
    EXPECT_FALSE(frm->CopyFlash2->isEnabled());
    EXPECT_EQ(frm->LbSpeedButton3->Caption(), "Download Flash");

    // With rows present, selecting the cache tab starts nothing and leaves the status alone.
    AddCacheRows(1);
    frm->ShowStatus("something");
    ClickTab(1);
    EXPECT_FALSE(frm->Busy());
    EXPECT_EQ(frm->StatusBar1->Text(), "something");

    // Switching in code does not run the tab rules.
    frm->SelectPageInCode(0);
    EXPECT_EQ(frm->LbSpeedButton3->Caption(), "Copy Flash To");
}

TEST_F(MainFrmTest, ToolbarFollowsTheOuterWidth) {
    frm->SetOuterSize(900, 597);
    QCoreApplication::processEvents();
    EXPECT_EQ(frm->OuterWidth(), 900);
    EXPECT_EQ(frm->LbSpeedButton1->x(), 480);
    EXPECT_EQ(frm->LbSpeedButton2->x(), 600);
    EXPECT_EQ(frm->LbSpeedButton3->x(), 735);
    EXPECT_EQ(frm->StopButton->x(), 397);
    const int p = frm->Panel4->width();
    EXPECT_EQ(frm->LbSpeedButton6->x(), p - 69);
    EXPECT_EQ(frm->UrlComBox->width(), p - 177);

    frm->SetOuterSize(1000, 597);
    QCoreApplication::processEvents();
    EXPECT_EQ(frm->LbSpeedButton1->x(), 580);
    EXPECT_EQ(frm->LbSpeedButton2->x(), 700);
    EXPECT_EQ(frm->LbSpeedButton3->x(), 835);
    EXPECT_GT(frm->Panel4->width(), p);  // the lists and the player share the new width
    EXPECT_EQ(frm->LbSpeedButton6->x(), frm->Panel4->width() - 69);
    EXPECT_EQ(ArrangeToolbarPositions(300, 0).selectAllLeft, -120);
}

TEST_F(MainFrmTest, StatusPanelsAndProgressBarFollowTheWidth) {
    frm->SetOuterSize(900, 597);
    QCoreApplication::processEvents();
    ASSERT_EQ(frm->StatusBar1->width(), 892);
    EXPECT_EQ(frm->StatusBar1->height(), 21);
    EXPECT_EQ(frm->StatusBar1->PanelWidths()[0], 642);
    const int left0 = frm->StatusBar1->PanelRect(0).left();
    EXPECT_EQ(frm->ProgressBar->x(), 642 + left0);
    EXPECT_EQ(frm->ProgressBar->width(), 150);
    EXPECT_EQ(frm->ProgressBar->y(), frm->StatusBar1->PanelRect(0).top());

    frm->SetOuterSize(1000, 597);
    QCoreApplication::processEvents();
    EXPECT_EQ(frm->StatusBar1->PanelWidths()[0], 742);
    EXPECT_EQ(frm->ProgressBar->x(), 742 + left0);
    EXPECT_EQ(frm->ProgressBar->width(), 150);

    frm->SetProgress(100);
    EXPECT_EQ(frm->ProgressBar->value(), 100);
    frm->SetProgress(130);  // more than announced shows a full bar
    EXPECT_EQ(frm->ProgressBar->value(), 100);
    frm->SetProgress(0);
    EXPECT_EQ(frm->ProgressBar->value(), 0);

    // Narrower than panels 1 and 2 (the window itself goes no smaller than its design size).
    EXPECT_EQ(FirstPanelWidth(200, frm->StatusBar1->PanelWidths()), 0);
}

TEST_F(MainFrmTest, ListCommandsActOnTheActiveListOnly) {
    ListMovies(*frm, {"http://h/a.swf", "http://h/b.swf", "http://h/c.swf"});
    frm->RefreshWebList();
    ASSERT_EQ(Rows(frm->ListView1), 3);
    EXPECT_EQ(Cell(frm->ListView1, 2, 0), "3");
    EXPECT_EQ(Cell(frm->ListView1, 2, 1), "http://h/c.swf");
    EXPECT_EQ(Cell(frm->ListView1, 2, 2), "New");
    EXPECT_FALSE(Ticked(frm->ListView1, 0));
    AddCacheRows(2);

    frm->SelectPageInCode(1);
    frm->SelectAll1->trigger();
    EXPECT_TRUE(Ticked(frm->ListView2, 1));
    EXPECT_FALSE(Ticked(frm->ListView1, 0));

    frm->SelectPageInCode(0);
    frm->LbSpeedButton1->Click();
    EXPECT_TRUE(Ticked(frm->ListView1, 0));
    frm->DeselectAll2->trigger();
    EXPECT_FALSE(Ticked(frm->ListView1, 2));
    EXPECT_TRUE(Ticked(frm->ListView2, 0));

    frm->Clear1->trigger();
    EXPECT_EQ(Rows(frm->ListView1), 0);
    EXPECT_EQ(frm->Core().WebMovies().FoundMovies().size(), 3);
    EXPECT_EQ(Rows(frm->ListView2), 2);
    frm->RefreshWebList();  // the movies found are listed again
    EXPECT_EQ(Rows(frm->ListView1), 3);
}

TEST_F(MainFrmTest, RightPressAnywhereInAListOpensThePopup) {
    ListMovies(*frm, {"http://h/a.swf"});
    QWidget* viewport = frm->ListView1->viewport();
    const QPoint belowLastRow(30, viewport->height() - 5);
    QTest::mousePress(viewport, Qt::LeftButton, {}, belowLastRow);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, belowLastRow);
    EXPECT_FALSE(frm->PopupMenu1->isVisible());
    QTest::mousePress(viewport, Qt::RightButton, {}, belowLastRow);
    EXPECT_TRUE(frm->PopupMenu1->isVisible());
    frm->PopupMenu1->hide();
}

TEST_F(MainFrmTest, EverySelectionChangeReachesTheListsHandler) {
    ListMovies(*frm, {"http://h/a.swf", "http://h/b.swf"});
    using Call = std::pair<int, bool>;
    std::vector<Call> calls;
    QObject::connect(
        frm.get(), &TMainFrm::RowSelectionChanged,
        [&](TReportList*, int row, bool selected) { calls.emplace_back(row, selected); });
    SelectRow(frm->ListView1, 0);
    SelectRow(frm->ListView1, 1);
    EXPECT_EQ(calls, (std::vector<Call>{{0, true}, {0, false}, {1, true}}));
}

TEST_F(MainFrmTest, CloseIsRefusedWhileAnyWorkRunsAndACopysEndShowsDone) {
    {
        TBusyChain busy(*frm);
        ASSERT_TRUE(busy.Started());
        // A cache scan that ends while the chain runs leaves the window busy.
        ClickTab(1);
        ASSERT_TRUE(WaitUntil([&] { return !frm->Core().CacheScanRunning(); }));
        EXPECT_TRUE(frm->Busy());
        // Asked whether to stop: "Keep downloading" leaves everything as it was.
        TModalAnswers keep([](QDialog& box) { return PressButton(box, "Keep downloading"); });
        frm->Exit1->trigger();
        EXPECT_TRUE(frm->isVisible());
        EXPECT_FALSE(frm->close());
        EXPECT_TRUE(frm->Core().Chain().IsRunning());
    }
    EXPECT_FALSE(frm->Busy());

    frm->ShowStatus("Copying To: /x/a.swf");
    frm->SetProgress(50);
    frm->FinishTransfer();
    EXPECT_EQ(frm->StatusBar1->Text(), "Done");
    EXPECT_EQ(frm->ProgressBar->value(), 0);
    EXPECT_TRUE(frm->close());
}

TEST_F(MainFrmTest, ButtonsTurnBlueUnderThePointerAndActivationPlacesTheWindow) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(frm->LbSpeedButton2, &enter);
    EXPECT_EQ(frm->LbSpeedButton2->FontColor(), QColor(0, 0, 255));
    EXPECT_EQ(frm->LbSpeedButton1->FontColor(), QColor(0, 0, 0));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(frm->LbSpeedButton2, &leave);
    EXPECT_EQ(frm->LbSpeedButton2->FontColor(), QColor(0, 0, 0));

    frm->move(300, 300);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(frm.get(), &activate);
    EXPECT_EQ(frm->pos(), QPoint(50, 25));
}

// Large, the window gives its room to the lists' address columns and to the player in proportion;
// its size, the splitter and the column widths come back at the next start.
TEST_F(MainFrmTest, TheLayoutUsesItsRoomAndComesBackAfterARestart) {
    ListMovies(*frm, {"http://h/" + QString(300, 'x') + "/end.swf"});
    frm->SetOuterSize(1920, 1080);
    QCoreApplication::processEvents();
    for (TReportList* list : {frm->ListView1, frm->ListView2}) {
        frm->SelectPageInCode(list == frm->ListView1 ? 0 : 1);
        QCoreApplication::processEvents();
        int columns = 0;
        for (int i = 0; i < list->model()->columnCount(); ++i) {
            columns += list->columnWidth(i);
        }
        EXPECT_EQ(columns, list->viewport()->width()) << list->objectName().toStdString();
    }
    EXPECT_EQ(frm->ListView1->textElideMode(), Qt::ElideMiddle);
    const double playerShare = double(frm->Panel2->width()) / frm->Splitter1->width();
    EXPECT_NEAR(playerShare, 233.0 / 892, 0.03);
    EXPECT_GT(frm->ShockwaveFlash1->height(), 474 + 400);  // the player fills its pane

    frm->Splitter1->setSizes({600, 1300});
    frm->ListView1->setColumnWidth(2, 140);
    frm->ListView2->setColumnWidth(3, 420);
    ASSERT_TRUE(frm->close());
    TMainFrm next(TestFolders());
    next.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(next.size(), frm->size());
    EXPECT_NEAR(next.Splitter1->sizes().value(0), 600, 8);
    EXPECT_EQ(next.ListView1->columnWidth(2), 140);
    EXPECT_EQ(next.ListView2->columnWidth(3), 420);
    next.move(300, 300);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&next, &activate);
    EXPECT_EQ(next.pos(), QPoint(300, 300));  // its own place now, not the first start's
}
