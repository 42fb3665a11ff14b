#include "widgets/ListGrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

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

void ConfigureReportList(QTreeWidget* list, const QStringList& columns,
                         const std::vector<int>& widths) {
    list->setColumnCount(columns.size());
    list->setHeaderLabels(columns);
    for (int i = 0; i < columns.size() && i < static_cast<int>(widths.size()); ++i) {
        list->setColumnWidth(i, widths[i]);
    }
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->header()->setSectionsClickable(false);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    list->setContextMenuPolicy(Qt::NoContextMenu);  // the window opens its own on a press
    list->setItemDelegate(new GridDelegate(list));
}

QTreeWidgetItem* AppendReportRow(QTreeWidget* list, const QStringList& texts) {
    auto* row = new QTreeWidgetItem(texts);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                  Qt::ItemNeverHasChildren);
    row->setCheckState(0, Qt::Unchecked);
    list->addTopLevelItem(row);
    return row;
}

bool IsTicked(const QTreeWidgetItem* row) {
    return row->checkState(0) == Qt::Checked;
}

void SetTicked(QTreeWidgetItem* row, bool ticked) {
    row->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}
