#pragma once

#include <QTreeView>
#include <vector>

class QAbstractItemModel;

// A report list over a model whose first column carries each row's tick: check boxes, full-row
// single selection, grid lines, no editing, headers that do nothing when clicked. Space ticks or
// unticks the current row whichever column has the focus, as lists of check boxes do, and a
// screen reader hears the new state.
class TReportList : public QTreeView {
    Q_OBJECT
  public:
    TReportList(QWidget* parent, const char* name, QAbstractItemModel* model,
                const std::vector<int>& widths);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};
