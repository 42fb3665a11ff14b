// Stopping work: the Stop command, the commands disabled while a transfer runs, and a close
// request that asks whether to stop the work and quit.
#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/MainFrm.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/ModalDialogs.h"

void TMainFrm::StopClick() {
    if (core_->TransferRunning()) {
        core_->StopTransfers();
    }
}

void TMainFrm::EnableTransferCommands() {
    const bool web = PageControl1->currentIndex() == 0;
    const bool running = core_->TransferRunning();
    Download1->setEnabled(web && !running);
    Download2->setEnabled(web && !running);
    CopyFlash1->setEnabled(!web && !running);
    CopyFlash2->setEnabled(!web && !running);
    LbSpeedButton3->setEnabled(!running);
}

void TMainFrm::ShowTransferRunning(bool running) {
    EnableTransferCommands();
    StopButton->setEnabled(running);
    Stop1->setEnabled(running);
    LbSpeedButton6->setEnabled(!running);
    // A disabled command says why, where the pointer and a screen reader find it.
    const QString why = running ? core_->BusyReason() + ": Stop (Esc) ends it first" : QString();
    for (QWidget* command : std::initializer_list<QWidget*>{LbSpeedButton3, LbSpeedButton6}) {
        command->setToolTip(why);
        command->setAccessibleDescription(why);
    }
    for (QAction* command : {Download1, Download2, CopyFlash1, CopyFlash2}) {
        command->setToolTip(why);
    }
    StopButton->setToolTip(running ? "Stops the download or copy under way (Esc)" : QString());
    if (!running && quitWhenIdle_ && !Busy()) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

bool TMainFrm::AskToStopAndQuit() {
    const QString keepCaption = core_->Chain().IsRunning() ? "Keep downloading"
                                : core_->CopyRunning()     ? "Keep copying"
                                                           : "Keep reading";
    QMessageBox box(QMessageBox::Question, windowTitle(), core_->BusyReason() + ". Stop and quit?",
                    QMessageBox::NoButton, this);
    box.setObjectName("StopAndQuitBox");
    QPushButton* stop = box.addButton("Stop and quit", QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(keepCaption, QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.setAccessibleName(windowTitle());
    box.setAccessibleDescription(box.text());
    RunModal(box);
    return box.clickedButton() == stop;
}
