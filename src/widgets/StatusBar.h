#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

// Panel 0's width when it takes what the later panels leave of the bar.
int FirstPanelWidth(int barWidth, const std::vector<int>& panelWidths);

// A status bar of fixed-width panels side by side; the last one reaches the right edge. Panel 0
// shows a text. It reports each panel's rectangle so a control can be laid over a panel.
class TStatusBar : public QWidget {
    Q_OBJECT
  public:
    explicit TStatusBar(QWidget* parent = nullptr);

    void SetPanelWidths(const std::vector<int>& widths);
    const std::vector<int>& PanelWidths() const { return widths_; }
    void SetPanelWidth(int panel, int width);

    // The panel's bounding rectangle in the bar's coordinates; right and bottom exclusive.
    QRect PanelRect(int panel) const;

    void SetText(const QString& text);
    QString Text() const { return text_; }

  signals:
    void Resized();
    void TextChanged(const QString& text);

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    static constexpr int kTopBorder = 2;
    std::vector<int> widths_;
    QString text_;
};
