#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

// Drawing on an image with the classic device-context rules that the button faces are defined
// by: a line from A to B does not paint B; a filled or outlined rectangle (x1, y1, x2, y2) covers
// x1..x2-1 and y1..y2-1; one-pixel solid pen; no antialiasing.
class TCanvas {
  public:
    explicit TCanvas(QImage* image);

    void SetPenColor(const QColor& color) { pen_ = color; }
    void SetBrushColor(const QColor& color) {
        brush_ = color;
        hollow_ = false;
    }
    void SetBrushHollow() { hollow_ = true; }
    void SetFont(const QFont& font) { font_ = font; }
    const QFont& Font() const { return font_; }
    void SetFontColor(const QColor& color) { fontColor_ = color; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void FillRect(int x1, int y1, int x2, int y2, const QColor& color);
    // Outline in the pen, inside filled with the brush unless it is hollow.
    void Rectangle(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int ellipseW, int ellipseH);

    // Text formats, as the classic text call takes them.
    enum Format { kLeft = 0x0, kCenter = 0x1, kRight = 0x2, kWordBreak = 0x10, kCalcRect = 0x400 };
    // Draws text in rect (right and bottom exclusive) with the formats; with kCalcRect nothing is
    // drawn and rect becomes the text's extent (its width kept, its height measured). Returns
    // the text height.
    int DrawText(const QString& text, QRect* rect, int format);
    int TextWidth(const QString& text) const;

    // Draws image at (x, y); pixels of the transparent colour are skipped.
    void DrawTransparent(int x, int y, const QImage& image, QRgb transparent);
    void Draw(int x, int y, const QImage& image);

  private:
    void Plot(int x, int y, const QColor& color);
    int QtFlags(int format) const;

    QImage* image_;
    QColor pen_ = Qt::black;
    QColor brush_ = Qt::white;
    bool hollow_ = false;
    QFont font_;
    QColor fontColor_ = Qt::black;
    QPoint at_;
};
