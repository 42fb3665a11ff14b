#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QtGlobal>

class TCanvas;

// A colour value: red in the low byte, then green, then blue; clNone is no colour; a value whose
// high byte is 0xFF names a system colour by its low byte.
using TColor = quint32;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor cl3DDkShadow = 0xFF000015;
constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
// The red, green and blue of a colour value; system colours come from the palette.
QColor ColorToRGB(TColor color);

// The key colour: pixels of it are left out when a face is copied to the screen. Faces are
// composed on images with an alpha channel, where the key colour is simply "transparent", so
// antialiased captions blend with whatever lies behind the button.
constexpr QRgb kKeyColor = 0x00000000;

enum TLbSpeedButtonStyle { bsNormal, bsEncarta, bsModern, bsOld, bsShape, bsQuicken };
enum TLbColorStyle {
    lcsCustom,
    lcsGold,
    lcsChrome,
    lcsBlue,
    lcsRed,
    lcsUltraFlat1,
    lcsUltraFlat2,
    lcsUltraFlatXP,
    lcsAqua,
    lcsDefault,
    lcsQuicken
};
enum TLbSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The values a colour preset writes into a button.
struct TColorPreset {
    TColor color;
    TColor lightColor;
    TColor shadowColor;
    TColor colorWhenDown;
    TColor hotTrackColor;
    bool flat;
    TLbSpeedButtonStyle style;
    TColor fontColor;
};
// The preset of a style other than lcsCustom.
const TColorPreset& ColorPreset(TLbColorStyle style);

// Everything a face is drawn from.
struct TButtonFace {
    int width = 100;
    int height = 23;
    int fadeLevel = 0;  // eighths of the hot colour, 0..8
    int numGlyphs = 0;
    QImage glyph;
    bool down = false;
    bool mouseInside = false;
    bool transparent = false;
    bool enabled = true;
    bool flat = false;
    bool wordWrap = false;
    bool hasDropDown = false;
    TLbSpeedButtonStyle style = bsNormal;
    TColor color = clBtnFace;
    TColor colorWhenDown = clNone;
    TColor hotTrackColor = clNone;
    TColor lightColor = RGBColor(255, 255, 255);
    TColor shadowColor = RGBColor(0, 0, 0);
    QFont font;
    QColor fontColor = Qt::black;
    TLbSpeedButtonLayout layout = blGlyphLeft;
    QString caption;
    TAlignment alignment = taLeftJustify;
};

// The caption as the face shows it: unless it wraps, cut from its end to the room it has.
QString ShownCaption(const TButtonFace& face);
// Draws the whole face onto the canvas (width x height).
void DrawButtonFace(TCanvas& canvas, const TButtonFace& face);
// A vertical gradient from a to b over (left, top, right, bottom) in 32 bands.
void FillGradient(TCanvas& canvas, const QColor& a, const QColor& b, int left, int top, int right,
                  int bottom);
// Image index of the strip, cell cellW x cellH, drawn transparently at (x, y).
void DrawGlyphCell(TCanvas& canvas, const QImage& glyph, int cellW, int cellH, int index, int x,
                   int y);
// The 5 x 3 drop-down arrow: a black triangle pointing down on white.
QImage LbArrowBitmap();
// The face as an image, key-coloured pixels transparent, ready to copy to the screen.
QImage ComposeButtonFace(const TButtonFace& face);
