#include "widgets/StatusBar.h"

#include <qdrawutil.h>
#include <QPainter>
#include <numeric>

int FirstPanelWidth(int barWidth, const std::vector<int>& panelWidths) {
    int w = barWidth;
    for (size_t i = 1; i < panelWidths.size(); ++i) {
        w -= panelWidths[i];
    }
    // A bar narrower than the later panels leaves panel 0 with nothing.
    return std::max(0, w);
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

void TStatusBar::SetPanelWidths(const std::vector<int>& widths) {
    widths_ = widths;
    update();
}

void TStatusBar::SetPanelWidth(int panel, int width) {
    if (panel >= 0 && panel < static_cast<int>(widths_.size())) {
        widths_[panel] = width;
        update();
    }
}

QRect TStatusBar::PanelRect(int panel) const {
    if (panel < 0 || panel >= static_cast<int>(widths_.size())) {
        return QRect();
    }
    const int left = std::accumulate(widths_.begin(), widths_.begin() + panel, 0);
    const bool last = panel + 1 == static_cast<int>(widths_.size());
    const int right = last ? std::max(left, width()) : left + widths_[panel];
    return QRect(QPoint(left, kTopBorder), QPoint(right - 1, height() - 1));
}

void TStatusBar::SetText(const QString& text) {
    text_ = text;
    setAccessibleName(text);  // what a screen reader says of the status bar, as it changes
    update();
    emit TextChanged(text);
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < static_cast<int>(widths_.size()); ++i) {
        const QRect r = PanelRect(i);
        qDrawShadePanel(&p, r, palette(), /*sunken=*/true, 1);
        if (i == 0) {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(r.adjusted(3, 0, -2, 0),
                       Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text_);
        }
    }
}

void TStatusBar::resizeEvent(QResizeEvent*) {
    emit Resized();
}
