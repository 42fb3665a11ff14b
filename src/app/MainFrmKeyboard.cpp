// The keyboard as in browsers: Ctrl+L and Alt+D put the caret in the address box, F6 goes from
// pane to pane, and Tab leaves the player and the web page whatever they do with it.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "app/MainFrm.h"
#include "web/FlashPlayer.h"
#include "web/WebBrowser.h"
#include "widgets/PaneFocus.h"
#include "widgets/ReportList.h"

void TMainFrm::CreateKeyboardActions() {
    FocusAddress1 = new QAction("Address", this);
    FocusAddress1->setObjectName("FocusAddress1");
    FocusAddress1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D)});
    connect(FocusAddress1, &QAction::triggered, this, &TMainFrm::FocusAddressBox);
    addAction(FocusAddress1);
    NextPane1 = new QAction("Next pane", this);
    NextPane1->setObjectName("NextPane1");
    NextPane1->setShortcut(Qt::Key_F6);
    connect(NextPane1, &QAction::triggered, this, &TMainFrm::FocusNextPane);
    addAction(NextPane1);
    new TTabLeavesPanes({ShockwaveFlash1, WebBrowser1}, this);
}

void TMainFrm::FocusAddressBox() {
    if (PageControl1->currentIndex() != 0) {
        SelectPageInCode(0);
        PageControl1Change();  // as if the user had chosen the tab
    }
    UrlComBox->setFocus(Qt::ShortcutFocusReason);
    UrlComBox->lineEdit()->selectAll();
}

void TMainFrm::FocusNextPane() {
    if (QWidget* next = NextStop({UrlComBox, ActiveList(), ShockwaveFlash1}, focusWidget())) {
        next->setFocus(Qt::OtherFocusReason);
    }
}
