#pragma once

#include <QTreeView>
#include <vector>

class QAbstractItemModel;

// A report list over a model whose first column carries each row's tick: check boxes, full-row
// single selection, grid lines, no editing, headers that do nothing when clicked. Space ticks or
// unticks the current row whichever column has the focus, as lists of check boxes do, and a
// screen reader hears the new state. Long texts are cut in the middle, so an address keeps its
// file name in sight.
class TReportList : public QTreeView {
    Q_OBJECT
  public:
    TReportList(QWidget* parent, const char* name, QAbstractItemModel* model,
                const std::vector<int>& widths);

    // The column that takes the width the others leave (never narrower than it started), so the
    // columns always fill the list.
    void SetFillColumn(int column);

  protected:
    void resizeEvent(QResizeEvent* event) override;

    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FillWidth();

    int fillColumn_ = -1;
    int fillLeast_ = 0;
    bool filling_ = false;
};
