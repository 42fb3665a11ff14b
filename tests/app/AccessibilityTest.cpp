#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/ListRows.h"
#include "support/TestEnvironment.h"
#include "web/FlashPlayer.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/LbSpeedButtonAccessible.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

namespace {
QAccessibleInterface* Reader(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}
}  // namespace

TEST(Accessibility, FlatButtonsArePushButtonsNamedByTheirCaptionWithAPressAction) {
    TMainFrm frm(TestFolders());
    frm.show();
    EXPECT_EQ(QFontInfo(frm.font()).family(), "Carlito");
    const struct {
        TLbSpeedButton* button;
        const char* name;
    } buttons[] = {{frm.LbSpeedButton1, "Select All"},
                   {frm.LbSpeedButton2, "Deselect All"},
                   {frm.LbSpeedButton3, "Download Flash"},
                   {frm.LbSpeedButton5, "Address :"},
                   {frm.LbSpeedButton6, "GO!"}};
    for (const auto& b : buttons) {
        QAccessibleInterface* reader = Reader(b.button);
        ASSERT_NE(reader, nullptr) << b.name;
        EXPECT_EQ(reader->role(), QAccessible::Button) << b.name;
        EXPECT_EQ(reader->text(QAccessible::Name), b.name);
        // The installed form font leaves every caption whole on screen too.
        EXPECT_EQ(b.button->ShownCaption(), b.button->Caption()) << b.name;
        ASSERT_NE(reader->actionInterface(), nullptr) << b.name;
        EXPECT_EQ(reader->actionInterface()->actionNames(),
                  QStringList({QAccessibleActionInterface::pressAction()}));
    }
    EXPECT_EQ(SpokenCaption("&Save  &&Go "), "Save &Go");
    // The press action clicks the button; the accelerator is offered with it.
    TLbSpeedButton withAccelerator(&frm);
    withAccelerator.SetCaption("&Save");
    QAccessibleActionInterface* actions = Reader(&withAccelerator)->actionInterface();
    QSignalSpy clicks(&withAccelerator, &TLbSpeedButton::OnClick);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList({QKeySequence(Qt::ALT | Qt::Key_S).toString(QKeySequence::NativeText)}));
}

TEST(Accessibility, ControlsAreNamedStatusAndProgressFollowTheWork) {
    TMainFrm frm(TestFolders());
    frm.show();
    EXPECT_EQ(Reader(frm.UrlComBox)->text(QAccessible::Name), "Address");
    EXPECT_EQ(Reader(frm.ShockwaveFlash1)->text(QAccessible::Name), "Preview");
    EXPECT_EQ(Reader(frm.ListView1)->text(QAccessible::Name), "Internet Flash Movies");
    EXPECT_EQ(Reader(frm.ListView2)->text(QAccessible::Name), "IE Cache Files");
    frm.ShowStatus("Downloading http://127.0.0.1/a.swf");
    EXPECT_EQ(Reader(frm.StatusBar1)->text(QAccessible::Name),
              "Downloading http://127.0.0.1/a.swf");
    frm.SetProgress(40);
    ASSERT_NE(Reader(frm.ProgressBar)->valueInterface(), nullptr);
    EXPECT_EQ(Reader(frm.ProgressBar)->valueInterface()->currentValue().toInt(), 40);
    // The popup menu shows its items to a screen reader while it is open.
    frm.PopupMenu1->popup(frm.mapToGlobal(QPoint(100, 100)));
    QAccessibleInterface* popup = Reader(frm.PopupMenu1);
    EXPECT_EQ(popup->role(), QAccessible::PopupMenu);
    EXPECT_EQ(popup->childCount(), frm.PopupMenu1->actions().size());
    frm.PopupMenu1->close();
}

TEST(Accessibility, TabReachesTheFlatButtonsWhichSpaceAndEnterPress) {
    TMainFrm frm(TestFolders());
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    // Left to right: "Address :", the box, "GO!".
    frm.UrlComBox->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), frm.LbSpeedButton5);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), frm.UrlComBox);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), frm.LbSpeedButton6);
    QSignalSpy clicks(frm.LbSpeedButton6, &TLbSpeedButton::OnClick);
    QTest::keyClick(frm.LbSpeedButton6, Qt::Key_Space);
    QTest::keyClick(frm.LbSpeedButton6, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);
}

// Space on the current row ticks or unticks it whichever column has the focus, in both lists,
// and a screen reader finds the new state. (Whether it is told at once cannot be seen here: the
// off-screen platform has no accessibility bridge, so no event reaches a test.)
TEST(Accessibility, SpaceTicksTheCurrentRowAndAScreenReaderHearsIt) {
    TMainFrm frm(TestFolders());
    frm.show();
    ListMovies(frm, {"http://h/a.swf", "http://h/b.swf"});
    AddCacheRow(frm, 1, "/c/one.swf");
    for (TReportList* list : {frm.ListView1, frm.ListView2}) {
        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 1));  // the focus on a column without a box
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_TRUE(Ticked(list, 0)) << list->objectName().toStdString();
        QAccessibleInterface* cell = Reader(list)->tableInterface()->cellAt(0, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(cell->state().checked);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_FALSE(Ticked(list, 0));
        EXPECT_FALSE(cell->state().checked);
    }
}

// What the columns do not say: where a saved movie went, why a row failed, where a cached movie
// came from, in what a screen reader reads for each row and in its tooltip, which also has the
// address (or the cached file's path) whole, however narrow its column.
TEST(Accessibility, RowsTellWhereTheirFilesWentAndCameFrom) {
    TMainFrm frm(TestFolders());
    frm.show();
    ListMovies(frm, {"http://h/red.swf", "http://h/gone.swf"});
    frm.Core().WebMovies().SetStatus(0, TMovieStatus::Saved, {}, "/movies/red (2).swf");
    frm.Core().WebMovies().SetStatus(1, TMovieStatus::Failed, "HTTP 404 Not Found");
    TMovieRow cached;
    cached.index = 1;
    cached.localFile = "/store/red[2].swf";
    cached.address = "http://other/red.swf";
    cached.browser = "Chromium";
    frm.Core().CacheMovies().Append(cached);
    QCoreApplication::processEvents();  // the lists lay their rows out
    const struct {
        TReportList* list;
        int row;
        QString told;
        QString tip;
    } rows[] = {{frm.ListView1, 0, "Saved to /movies/red (2).swf",
                 "http://h/red.swf\nSaved to /movies/red (2).swf"},
                {frm.ListView1, 1, "HTTP 404 Not Found", "http://h/gone.swf\nHTTP 404 Not Found"},
                {frm.ListView2, 0, "http://other/red.swf, from the cache of Chromium",
                 "http://other/red.swf, from the cache of Chromium\n/store/red[2].swf"}};
    for (const auto& r : rows) {
        for (int column = 0; column < r.list->model()->columnCount(); ++column) {
            EXPECT_EQ(r.list->model()->index(r.row, column).data(Qt::ToolTipRole).toString(),
                      r.tip);
            QAccessibleInterface* cell = Reader(r.list)->tableInterface()->cellAt(r.row, column);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->text(QAccessible::Description), r.told);
        }
    }
}
