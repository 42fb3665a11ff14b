#include "widgets/PaneFocus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
bool TakesTabFocus(const QWidget* w) {
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
           !w->focusProxy();
}

// The widget that takes a pane's keys: the view's own once it has made it. That one holds the
// pane's place in the tab order; the view itself may stand elsewhere.
QWidget* KeyWidget(QWidget* pane) {
    QWidget* const proxy = pane->focusProxy();
    return proxy && pane->isAncestorOf(proxy) ? proxy : pane;
}
}  // namespace

QWidget* NextControlOutside(QWidget* pane, bool forward) {
    QWidget* const from = KeyWidget(pane);
    QWidget* w = from;
    do {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w != pane && !pane->isAncestorOf(w) && w->window() == pane->window() &&
            TakesTabFocus(w)) {
            return w;
        }
    } while (w && w != from);
    return nullptr;
}

QWidget* NextStop(const QList<QWidget*>& stops, const QWidget* focus) {
    int at = -1;
    for (int i = 0; i < stops.size() && focus; ++i) {
        if (stops[i] == focus || stops[i]->isAncestorOf(focus)) {
            at = i;
        }
    }
    for (int step = 1; step <= stops.size(); ++step) {
        QWidget* next = stops[(at + step) % stops.size()];
        if (next->isVisible() && next->isEnabled()) {
            return next;
        }
    }
    return nullptr;
}

TTabLeavesPanes::TTabLeavesPanes(const QList<QWidget*>& panes, QObject* parent) : QObject(parent) {
    for (QWidget* pane : panes) {
        panes_ << pane;
        QWidget* before = pane->previousInFocusChain();
        // The toolkit orders only widgets that take focus.
        while (before != pane &&
               (pane->isAncestorOf(before) || before->focusPolicy() == Qt::NoFocus)) {
            before = before->previousInFocusChain();
        }
        before_ << (before != pane ? before : nullptr);
    }
    // The widget inside a web view that takes the keys is made by the view when it likes; only
    // the application sees every one of them first.
    qApp->installEventFilter(this);
}

TTabLeavesPanes::~TTabLeavesPanes() {
    qApp->removeEventFilter(this);
}

void TTabLeavesPanes::KeepPlace(int pane) {
    if (!panes_[pane] || !before_[pane]) {
        return;
    }
    QWidget* const keys = KeyWidget(panes_[pane]);
    if (keys->previousInFocusChain() != before_[pane]) {
        QWidget::setTabOrder(before_[pane], keys);
    }
}

bool TTabLeavesPanes::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    const bool backTab = key->key() == Qt::Key_Backtab ||
                         (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
    if ((!tab && !backTab) || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return false;
    }
    // Before any Tab is handled, here or by the toolkit, each pane is where it belongs.
    for (int pane = 0; pane < panes_.size(); ++pane) {
        KeepPlace(pane);
    }
    auto* target = static_cast<QWidget*>(watched);
    for (const QPointer<QWidget>& pane : panes_) {
        if (pane && (pane == target || pane->isAncestorOf(target))) {
            if (QWidget* next = NextControlOutside(pane, tab)) {
                next->setFocus(tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            }
            return true;
        }
    }
    return false;
}
