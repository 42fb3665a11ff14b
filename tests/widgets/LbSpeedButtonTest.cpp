#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/ModalAnswers.h"
#include "support/TestEnvironment.h"
#include "widgets/AboutDlg.h"
#include "widgets/LbSpeedButton.h"

namespace {
void Enter(QWidget* w) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(w, &enter);
}
void Leave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
}

// Notes the fade level at every paint.
class RecordingButton : public TLbSpeedButton {
  public:
    using TLbSpeedButton::TLbSpeedButton;
    std::vector<int> levels;

  protected:
    void paintEvent(QPaintEvent* e) override {
        levels.push_back(FadeLevel());
        TLbSpeedButton::paintEvent(e);
    }
};

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent.resize(400, 100);
        parent.show();
    }
    TLbSpeedButton* Make(int x = 0) {
        auto* b = new TLbSpeedButton(&parent);
        b->setGeometry(x, 0, 100, 30);
        b->show();
        return b;
    }
    QWidget parent;
};
}  // namespace

TEST_F(ButtonTest, ADisabledButtonIgnoresEntryButStillClearsOnExit) {
    TLbSpeedButton* b = Make();
    int enters = 0, exits = 0;
    QObject::connect(b, &TLbSpeedButton::OnMouseEnter, [&] { ++enters; });
    QObject::connect(b, &TLbSpeedButton::OnMouseExit, [&] { ++exits; });
    EXPECT_EQ(b->size(), QSize(100, 30));
    Enter(b);
    EXPECT_TRUE(b->MouseInside());
    EXPECT_EQ(b->FadeLevel(), 8);
    b->setEnabled(false);
    Leave(b);
    EXPECT_FALSE(b->MouseInside());
    EXPECT_EQ(b->FadeLevel(), 0);
    Enter(b);
    EXPECT_FALSE(b->MouseInside());
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 0);
}

TEST_F(ButtonTest, GroupedButtonsKeepOneDown) {
    TLbSpeedButton* b1 = Make(0);
    TLbSpeedButton* b2 = Make(110);
    TLbSpeedButton* b3 = Make(220);
    for (auto* b : {b1, b2, b3}) {
        b->SetGroupIndex(1);
    }
    QTest::mouseClick(b1, Qt::LeftButton);
    EXPECT_TRUE(b1->Down());
    QTest::mouseClick(b2, Qt::LeftButton);
    EXPECT_FALSE(b1->Down());
    EXPECT_TRUE(b2->Down());
    QTest::mouseClick(b2, Qt::LeftButton);
    EXPECT_TRUE(b2->Down());  // no all-up without AllowAllUp
    b2->SetAllowAllUp(true);
    QTest::mouseClick(b2, Qt::LeftButton);
    EXPECT_FALSE(b2->Down());
    EXPECT_FALSE(b3->Down());

    TLbSpeedButton* plain = Make(330);
    int clicks = 0;
    QObject::connect(plain, &TLbSpeedButton::OnClick, [&] { ++clicks; });
    QTest::mousePress(plain, Qt::LeftButton);
    EXPECT_TRUE(plain->Down());
    QTest::mouseRelease(plain, Qt::LeftButton, {}, QPoint(500, 5));  // released outside
    EXPECT_FALSE(plain->Down());
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, TheAcceleratorFiresOneClickAndKeepsDown) {
    TLbSpeedButton* b = Make();
    b->SetCaption("&Select All");
    int clicks = 0;
    bool downDuringClick = false;
    QObject::connect(b, &TLbSpeedButton::OnClick, [&] {
        ++clicks;
        downDuringClick = b->Down();
    });
    EXPECT_FALSE(b->DialogChar('x'));
    // Alt and the underlined letter, typed in the window.
    parent.activateWindow();
    QApplication::setActiveWindow(&parent);
    QTest::keyClick(&parent, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(downDuringClick);
    EXPECT_FALSE(b->Down());
    EXPECT_TRUE(b->DialogChar('s'));
    EXPECT_EQ(clicks, 2);
    b->setEnabled(false);
    EXPECT_FALSE(b->DialogChar('s'));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, PresetsAreAppliedNotRemembered) {
    TLbSpeedButton* b = Make();
    b->SetColorStyle(lcsGold);
    EXPECT_EQ(b->ColorStyle(), lcsCustom);
    EXPECT_EQ(b->Color(), RGBColor(192, 192, 0));
    EXPECT_EQ(b->LightColor(), RGBColor(255, 255, 0));
    EXPECT_EQ(b->ShadowColor(), RGBColor(128, 128, 0));
    EXPECT_EQ(b->HotTrackColor(), RGBColor(223, 223, 0));
    EXPECT_EQ(b->Style(), bsModern);

    auto realDepth = TLbSpeedButton::ScreenBitsPerPixel;
    TLbSpeedButton::ScreenBitsPerPixel = [] { return 8; };
    b->SetStyle(bsModern);
    EXPECT_EQ(b->Style(), bsNormal);  // a palette screen gets the plain style
    b->SetColorStyle(lcsChrome);
    EXPECT_EQ(b->Style(), bsModern);  // presets keep theirs
    TLbSpeedButton::ScreenBitsPerPixel = realDepth;
}

TEST_F(ButtonTest, ADropDownMenuOpensUnderTheButtonBeforeTheClick) {
    TLbSpeedButton* b = Make();
    QMenu menu;
    menu.addAction("One");
    b->SetPopupMenu(&menu);
    bool menuOpenAtClick = false;
    QObject::connect(b, &TLbSpeedButton::OnClick, [&] { menuOpenAtClick = menu.isVisible(); });
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(menuOpenAtClick);
    EXPECT_EQ(menu.pos(), b->mapToGlobal(QPoint(0, b->height())));
    menu.hide();
}

TEST_F(ButtonTest, SlowDeceaseFadesInEightTicksAndReentryRestarts) {
    auto* b = new RecordingButton(&parent);
    b->setGeometry(0, 0, 100, 30);
    b->show();
    b->SetColor(RGBColor(0, 0, 0));
    b->SetHotTrackColor(RGBColor(240, 240, 240));
    b->SetSlowDecease(true);
    EXPECT_TRUE(b->FadeTickerParked());
    Enter(b);
    EXPECT_EQ(b->FadeLevel(), 8);
    QCoreApplication::processEvents();  // paints still owed from the set-up
    b->levels.clear();
    Leave(b);
    EXPECT_EQ(b->FadeLevel(), 8);  // the ticker takes it down
    ASSERT_TRUE(WaitUntil([&] { return b->FadeLevel() == 0 && b->FadeTickerParked(); }));
    EXPECT_EQ(b->levels, (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
    QTest::qWait(100);
    EXPECT_EQ(b->levels.size(), 8u);  // parked: no more ticks

    // Re-entering during a fade: back to 8, and the running ticker counts down again.
    Leave(b);
    ASSERT_TRUE(WaitUntil([&] { return b->FadeLevel() <= 5; }));
    Enter(b);
    EXPECT_TRUE(b->MouseInside());
    ASSERT_TRUE(WaitUntil([&] { return b->FadeLevel() == 0 && b->FadeTickerParked(); }));
    EXPECT_TRUE(b->MouseInside());

    b->SetSlowDecease(false);  // stops the ticker
    EXPECT_TRUE(b->FadeTickerParked());
    delete b;
}

TEST(AboutBox, OpensModallyFromTheMenuAndClosesOnEnter) {
    TMainFrm frm(TestFolders());
    frm.show();
    int shown = 0;
    TModalAnswers closeOnEnter([&](QDialog& dialog) {
        auto* box = qobject_cast<TAboutBox*>(&dialog);
        EXPECT_NE(box, nullptr);
        if (!box) {
            return int(QDialog::Rejected);
        }
        EXPECT_EQ(box->windowTitle(), "About");
        EXPECT_EQ(box->size(), QSize(422, 249));
        EXPECT_TRUE(box->OKButton->isDefault());
        ++shown;
        box->show();
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_FALSE(box->isVisible());
        return box->result();
    });
    frm.About1->trigger();
    frm.About1->trigger();
    EXPECT_EQ(shown, 2);
    // Active again once the box is gone, the window moves to its place.
    EXPECT_TRUE(WaitUntil([&] { return frm.pos() == QPoint(50, 25); })) << frm.pos().x();
}
