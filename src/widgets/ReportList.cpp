#include "widgets/ReportList.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
// Paints each cell as usual, then its right and bottom edge as a grid line.
class GridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }
};
}  // namespace

TReportList::TReportList(QWidget* parent, const char* name, QAbstractItemModel* model,
                         const std::vector<int>& widths)
    : QTreeView(parent) {
    setObjectName(name);
    setModel(model);
    for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
        setColumnWidth(i, widths[static_cast<size_t>(i)]);
    }
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setContextMenuPolicy(Qt::NoContextMenu);  // the window opens its own on a press
    setItemDelegate(new GridDelegate(this));
    setTextElideMode(Qt::ElideMiddle);
    connect(header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != fillColumn_ && !filling_) {
            FillWidth();
        }
    });
}

void TReportList::SetFillColumn(int column) {
    fillColumn_ = column;
    fillLeast_ = columnWidth(column);
    FillWidth();
}

void TReportList::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    FillWidth();
}

void TReportList::FillWidth() {
    if (fillColumn_ < 0 || !model() || fillColumn_ >= model()->columnCount()) {
        return;
    }
    int others = 0;
    for (int i = 0; i < model()->columnCount(); ++i) {
        others += i == fillColumn_ || isColumnHidden(i) ? 0 : columnWidth(i);
    }
    filling_ = true;
    setColumnWidth(fillColumn_, std::max(fillLeast_, viewport()->width() - others));
    filling_ = false;
}

void TReportList::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if ((event->key() == Qt::Key_Space || event->key() == Qt::Key_Select) && current.isValid() &&
        event->modifiers() == Qt::NoModifier) {
        const QModelIndex tick = current.siblingAtColumn(0);
        const bool ticked = tick.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
        QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
        if (QAccessibleInterface* cell = table ? table->cellAt(tick.row(), 0) : nullptr) {
            QAccessibleStateChangeEvent stateChange(cell, changed);
            QAccessible::updateAccessibility(&stateChange);
        }
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}
