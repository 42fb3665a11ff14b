#pragma once

#include <QLayout>
#include <QRect>
#include <vector>

// Docks child widgets the way the form designer does: every control is aligned to one side of
// what its earlier siblings left (top, bottom, left, right) or fills the rest (client). Controls
// keep their design height (top, bottom) or width (left, right). No minimum size is imposed, so
// the window can be made as small as the user likes.
class TAlignLayout : public QLayout {
  public:
    enum Align { Top, Bottom, Left, Right, Client };

    explicit TAlignLayout(QWidget* parent);
    ~TAlignLayout() override;

    // designExtent is the height for Top/Bottom, the width for Left/Right, unused for Client.
    void AddAligned(QWidget* widget, Align align, int designExtent = 0);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

  private:
    struct Entry {
        QLayoutItem* item;
        Align align;
        int extent;
    };
    std::vector<Entry> entries_;
};

// The rectangles that aligned controls get inside area, in the order they were given.
struct TAlignedControl {
    TAlignLayout::Align align;
    int extent;
};
std::vector<QRect> ComputeAlignedRects(const QRect& area,
                                       const std::vector<TAlignedControl>& controls);
