#include "widgets/AlignLayout.h"

#include <QWidget>

std::vector<QRect> ComputeAlignedRects(const QRect& area,
                                       const std::vector<TAlignedControl>& controls) {
    std::vector<QRect> rects(controls.size());
    int left = area.left();
    int top = area.top();
    int right = area.left() + area.width();  // exclusive
    int bottom = area.top() + area.height();
    // Sides are served in a fixed order, each in creation order, as the designer does.
    const TAlignLayout::Align order[] = {TAlignLayout::Top, TAlignLayout::Bottom,
                                         TAlignLayout::Left, TAlignLayout::Right,
                                         TAlignLayout::Client};
    for (auto side : order) {
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i].align != side) {
                continue;
            }
            const int e = controls[i].extent;
            switch (side) {
                case TAlignLayout::Top:
                    rects[i] = QRect(left, top, right - left, e);
                    top += e;
                    break;
                case TAlignLayout::Bottom:
                    rects[i] = QRect(left, bottom - e, right - left, e);
                    bottom -= e;
                    break;
                case TAlignLayout::Left:
                    rects[i] = QRect(left, top, e, bottom - top);
                    left += e;
                    break;
                case TAlignLayout::Right:
                    rects[i] = QRect(right - e, top, e, bottom - top);
                    right -= e;
                    break;
                case TAlignLayout::Client:
                    rects[i] =
                        QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
                    break;
            }
        }
    }
    return rects;
}

TAlignLayout::TAlignLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TAlignLayout::~TAlignLayout() {
    for (auto& e : entries_) {
        delete e.item;
    }
}

void TAlignLayout::AddAligned(QWidget* widget, Align align, int designExtent) {
    addChildWidget(widget);
    entries_.push_back({new QWidgetItem(widget), align, designExtent});
    invalidate();
}

void TAlignLayout::addItem(QLayoutItem* item) {
    entries_.push_back({item, Client, 0});
}

QLayoutItem* TAlignLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? entries_[index].item : nullptr;
}

QLayoutItem* TAlignLayout::takeAt(int index) {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    QLayoutItem* item = entries_[index].item;
    entries_.erase(entries_.begin() + index);
    return item;
}

int TAlignLayout::count() const {
    return static_cast<int>(entries_.size());
}

QSize TAlignLayout::sizeHint() const {
    int w = 0;
    int h = 0;
    for (const auto& e : entries_) {
        if (e.align == Top || e.align == Bottom) {
            h += e.extent;
        } else if (e.align == Left || e.align == Right) {
            w += e.extent;
        }
    }
    return QSize(w, h);
}

QSize TAlignLayout::minimumSize() const {
    return QSize(0, 0);
}

void TAlignLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    std::vector<TAlignedControl> controls;
    for (const auto& e : entries_) {
        controls.push_back({e.align, e.extent});
    }
    const auto rects = ComputeAlignedRects(contentsRect(), controls);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (auto* w = entries_[i].item->widget()) {
            w->setGeometry(rects[i]);  // bypasses size hints: design sizes hold
        } else {
            entries_[i].item->setGeometry(rects[i]);
        }
    }
}
