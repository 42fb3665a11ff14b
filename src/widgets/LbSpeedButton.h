#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

enum TLbSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A flat image button that tracks the pointer: frame only while hot or pressed, its own
// pointer-enter and pointer-exit events, and a caption drawn in FontColor.
class TLbSpeedButton : public QWidget {
    Q_OBJECT
  public:
    explicit TLbSpeedButton(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& glyph);
    int NumGlyphs() const { return numGlyphs_; }
    TLbSpeedButtonLayout Layout() const { return layout_; }
    void SetLayout(TLbSpeedButtonLayout layout);
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);
    bool Down() const { return down_; }
    bool MouseInside() const { return mouseInside_; }

    // Runs the click as a press and release on the button would.
    void Click();

  signals:
    void OnClick(TLbSpeedButton* sender);
    void OnMouseEnter(TLbSpeedButton* sender);
    void OnMouseExit(TLbSpeedButton* sender);

  protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

  private:
    bool CanTrackPointer() const;

    QString caption_;
    QPixmap glyph_;
    int numGlyphs_ = 0;
    TLbSpeedButtonLayout layout_ = blGlyphLeft;
    bool flat_ = false;
    bool transparent_ = false;
    QColor fontColor_ = Qt::black;
    bool down_ = false;
    bool mouseInside_ = false;
};
