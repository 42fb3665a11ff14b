#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "widgets/LbButtons.h"

class QAction;
class QMenu;
class QShortcut;
class TLbButtonThread;

// A flat image button that paints its whole face itself (six styles, colour presets, glyph
// strips of up to four images), tracks the pointer with its own enter and exit events, can fade
// its hot colour out slowly, groups with its siblings, and can drop a menu down.
class TLbSpeedButton : public QWidget {
    Q_OBJECT
  public:
    explicit TLbSpeedButton(QWidget* parent = nullptr);
    ~TLbSpeedButton() override;

    // Bits per pixel of the screen; replaceable so tests can pretend to have an 8-bit screen.
    static std::function<int()> ScreenBitsPerPixel;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value) { allowAllUp_ = value; }
    QString Caption() const { return caption_; }
    // The caption as drawn, cut to the room the face has for it.
    QString ShownCaption() const { return ::ShownCaption(Face()); }
    void SetCaption(const QString& caption);
    TColor Color() const { return color_; }  // the parent's face colour until set
    void SetColor(TColor value);
    TColor ColorWhenDown() const { return colorWhenDown_; }
    void SetColorWhenDown(TColor value);
    TLbColorStyle ColorStyle() const { return lcsCustom; }  // presets are not remembered
    void SetColorStyle(TLbColorStyle style);
    bool Down() const { return down_; }
    void SetDown(bool value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);
    QImage Glyph() const { return glyph_; }
    void SetGlyph(const QImage& glyph);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(TColor value) { hotTrackColor_ = value; }
    QFont HotTrackFont() const { return hotTrackFont_; }
    void SetHotTrackFont(const QFont& font, const QColor& color);
    TLbSpeedButtonLayout Layout() const { return layout_; }
    void SetLayout(TLbSpeedButtonLayout value);
    TColor LightColor() const { return lightColor_; }
    void SetLightColor(TColor value);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor value);
    bool SlowDecease() const { return slowDecease_; }
    void SetSlowDecease(bool value);
    TLbSpeedButtonStyle Style() const { return style_; }
    void SetStyle(TLbSpeedButtonStyle value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool UseHotTrackFont() const { return useHotTrackFont_; }
    void SetUseHotTrackFont(bool value) { useHotTrackFont_ = value; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    QAction* Action() const;
    void SetAction(QAction* action);

    bool MouseInside() const { return mouseInside_; }
    int FadeLevel() const { return fadeLevel_; }
    bool FadeTickerParked() const;

    // The face as drawn now.
    TButtonFace Face() const;

    // Drops the menu down (if any), then runs the action or OnClick.
    void Click();
    // The accelerator character of the caption was typed; true when it was this button's.
    bool DialogChar(QChar character);

  signals:
    void OnClick(TLbSpeedButton* sender);
    void OnMouseEnter(TLbSpeedButton* sender);
    void OnMouseExit(TLbSpeedButton* sender);
    void OnMouseDown(TLbSpeedButton* sender, Qt::MouseButton button, QPoint at);
    void OnMouseUp(TLbSpeedButton* sender, Qt::MouseButton button, QPoint at);
    void OnMouseMove(TLbSpeedButton* sender, QPoint at);

  protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;  // Space and Enter press the button
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

  private:
    // Repaints at once when opaque; transparent buttons need their parent to repaint first.
    void Refresh();
    bool CanTrackPointer() const;
    void LeftPress();
    void FadeTick();
    void UpdateAccelerator();

    TAlignment alignment_ = taLeftJustify;
    bool allowAllUp_ = false;
    QString caption_;
    TColor color_ = clBtnFace;
    TColor colorWhenDown_ = clNone;
    bool down_ = false;
    bool flat_ = false;
    QColor fontColor_ = Qt::black;
    QImage glyph_;
    int groupIndex_ = 0;
    TColor hotTrackColor_ = clNone;
    QFont hotTrackFont_;
    QColor hotTrackFontColor_ = Qt::black;
    TLbSpeedButtonLayout layout_ = blGlyphLeft;
    TColor lightColor_ = RGBColor(255, 255, 255);
    int numGlyphs_ = 0;
    QPointer<QMenu> popupMenu_;
    TColor shadowColor_ = RGBColor(0, 0, 0);
    bool slowDecease_ = false;
    TLbSpeedButtonStyle style_ = bsNormal;
    bool transparent_ = false;
    bool useHotTrackFont_ = false;
    bool wordWrap_ = false;
    QPointer<QAction> action_;

    bool mouseInside_ = false;
    int fadeLevel_ = 0;
    bool pressedInside_ = false;
    bool destroying_ = false;
    std::unique_ptr<TLbButtonThread> fadeThread_;
    QShortcut* accelerator_ = nullptr;
};
