// The status bar: the status text, the progress bar over panel 1, and the end of a copy.
#include <QProgressBar>

#include "app/MainFrm.h"
#include "widgets/StatusBar.h"

void TMainFrm::ShowStatus(const QString& text) {
    StatusBar1->SetText(text);
}

void TMainFrm::SetProgress(int position) {
    // The bar shows more than 100 % as full, and nothing below 0.
    ProgressBar->setValue(std::clamp(position, 0, 100));
}

void TMainFrm::FinishTransfer() {
    core_->FinishTransfer();
}

void TMainFrm::StatusBar1Resize() {
    if (!ProgressBar) {
        return;
    }
    StatusBar1->SetPanelWidth(0, FirstPanelWidth(StatusBar1->width(), StatusBar1->PanelWidths()));
    const QRect panel0 = StatusBar1->PanelRect(0);
    const int panel0Width = StatusBar1->PanelWidths()[0];
    ProgressBar->setGeometry(panel0Width + panel0.left(), panel0.top(),
                             StatusBar1->PanelWidths()[1], panel0.bottom() + 1 - panel0.top());
}
