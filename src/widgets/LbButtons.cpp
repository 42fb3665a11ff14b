#include "widgets/LbButtons.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>

#include "widgets/GdiCanvas.h"

QColor ColorToRGB(TColor color) {
    if ((color >> 24) == 0xFF) {
        const QPalette palette = QApplication::palette();
        switch (color & 0xFF) {
            case 5:
                return palette.color(QPalette::Base);
            case 8:
                return palette.color(QPalette::WindowText);
            case 13:
                return palette.color(QPalette::Highlight);
            case 15:
                return palette.color(QPalette::Button);
            case 16:
                return palette.color(QPalette::Dark);
            case 17:
                return palette.color(QPalette::Disabled, QPalette::Text);
            case 18:
                return palette.color(QPalette::ButtonText);
            case 20:
                return palette.color(QPalette::Light);
            case 21:
                return palette.color(QPalette::Shadow);
            case 22:
                return palette.color(QPalette::Midlight);
            default:
                return palette.color(QPalette::Window);
        }
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

const TColorPreset& ColorPreset(TLbColorStyle style) {
    static const TColorPreset presets[] = {
        // lcsCustom has no row of its own; it is never applied.
        {clBtnFace, RGBColor(255, 255, 255), RGBColor(128, 128, 128), clNone, clNone, false,
         bsNormal, RGBColor(0, 0, 0)},
        {RGBColor(192, 192, 0), RGBColor(255, 255, 0), RGBColor(128, 128, 0), clNone,
         RGBColor(223, 223, 0), false, bsModern, RGBColor(0, 0, 0)},
        {RGBColor(192, 192, 192), RGBColor(255, 255, 255), RGBColor(128, 128, 128), clNone, clNone,
         false, bsModern, RGBColor(0, 0, 0)},
        {RGBColor(0, 128, 255), RGBColor(0, 255, 255), RGBColor(0, 0, 255), clNone, clNone, false,
         bsModern, RGBColor(0, 0, 0)},
        {RGBColor(255, 0, 0), RGBColor(255, 192, 192), RGBColor(192, 0, 0), clNone, clNone, false,
         bsModern, RGBColor(0, 0, 0)},
        {clBtnFace, RGBColor(132, 146, 181), RGBColor(132, 146, 181), RGBColor(132, 146, 181),
         RGBColor(214, 211, 222), true, bsNormal, RGBColor(0, 0, 0)},
        {clBtnFace, RGBColor(0, 0, 0), RGBColor(0, 0, 0), RGBColor(188, 218, 36),
         RGBColor(228, 246, 140), true, bsNormal, RGBColor(0, 0, 0)},
        {RGBColor(219, 216, 209), RGBColor(132, 146, 181), RGBColor(133, 146, 181),
         RGBColor(133, 146, 181), RGBColor(182, 189, 210), true, bsNormal, RGBColor(0, 0, 0)},
        {RGBColor(148, 206, 236), RGBColor(212, 230, 252), RGBColor(0, 0, 0), clNone, clNone, false,
         bsModern, RGBColor(0, 0, 0)},
        {clBtnFace, RGBColor(255, 255, 255), RGBColor(128, 128, 128), clNone, clNone, false,
         bsNormal, RGBColor(0, 0, 0)},
        {RGBColor(0, 48, 96), RGBColor(192, 192, 192), RGBColor(192, 192, 192),
         RGBColor(41, 101, 173), RGBColor(156, 174, 206), false, bsQuicken,
         RGBColor(255, 255, 255)},
    };
    return presets[style];
}

void FillGradient(TCanvas& canvas, const QColor& a, const QColor& b, int left, int top, int right,
                  int bottom) {
    const int span = bottom - top;
    const int band = span / 31 + 1;
    double r = a.red();
    double g = a.green();
    double bl = a.blue();
    const double dr = (b.red() - a.red()) / 31.0;
    const double dg = (b.green() - a.green()) / 31.0;
    const double db = (b.blue() - a.blue()) / 31.0;
    for (int i = 0; i <= 31; ++i) {
        const int y = top + (i * span) / 31;
        canvas.FillRect(left, y, right, std::min(y + band, bottom),
                        QColor(static_cast<int>(r), static_cast<int>(g), static_cast<int>(bl)));
        r += dr;
        g += dg;
        bl += db;
    }
}

void DrawGlyphCell(TCanvas& canvas, const QImage& glyph, int cellW, int cellH, int index, int x,
                   int y) {
    if (cellW <= 0 || cellH <= 0 || glyph.isNull()) {
        return;
    }
    // A copy of the whole strip cut to one cell keeps the first image; then the wanted image is
    // drawn into it. An index beyond the strip therefore shows the first image.
    QImage cell =
        glyph.copy(0, 0, cellW, cellH).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        TCanvas cellCanvas(&cell);
        cellCanvas.Draw(-index * cellW, 0, glyph.convertToFormat(QImage::Format_ARGB32));
    }
    canvas.DrawTransparent(x, y, cell, cell.pixel(0, cellH - 1));
}

QImage LbArrowBitmap() {
    QImage arrow(5, 3, QImage::Format_RGB32);
    const char* rows[] = {"BBBBB", "WBBBW", "WWBWW"};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            arrow.setPixel(x, y, rows[y][x] == 'B' ? 0xFF000000 : 0xFFFFFFFF);
        }
    }
    return arrow;
}

namespace {
QColor Blend(TColor normal, TColor hot, int level) {
    const QColor c1 = ColorToRGB(normal);
    const QColor c2 = ColorToRGB(hot);
    const double t = level / 8.0;
    auto mix = [t](int a, int b) { return static_cast<int>(a * (1 - t) + b * t); };
    return QColor(mix(c1.red(), c2.red()), mix(c1.green(), c2.green()), mix(c1.blue(), c2.blue()));
}

void DrawFrame(TCanvas& canvas, const TButtonFace& f, bool down, const QColor& face) {
    const int w = f.width;
    const int h = f.height;
    const QColor light = ColorToRGB(f.lightColor);
    const QColor shadow = ColorToRGB(f.shadowColor);
    const QColor dark = ColorToRGB(cl3DDkShadow);
    const bool framed = f.enabled ? (!f.flat || f.mouseInside || down) : !f.flat;
    switch (f.style) {
        case bsNormal:
        case bsEncarta:
            if (framed) {
                canvas.SetPenColor(down ? shadow : light);
                canvas.MoveTo(0, h - 1);
                canvas.LineTo(0, 0);
                canvas.LineTo(w - 1, 0);
                canvas.SetPenColor(down ? light : shadow);
                canvas.LineTo(w - 1, h - 1);
                canvas.LineTo(0, h - 1);
            }
            break;
        case bsOld:
            if (framed) {
                canvas.SetPenColor(shadow);
                if (down) {
                    canvas.MoveTo(1, h - 3);
                    canvas.LineTo(1, 1);
                    canvas.LineTo(w - 2, 1);
                } else {
                    canvas.MoveTo(w - 2, 0);
                    canvas.LineTo(w - 2, h - 2);
                    canvas.LineTo(0, h - 2);
                }
                canvas.SetPenColor(down ? dark : light);
                canvas.MoveTo(0, h - 1);
                canvas.LineTo(0, 0);
                canvas.LineTo(w - 1, 0);
                canvas.SetPenColor(down ? light : dark);
                canvas.LineTo(w - 1, h - 1);
                canvas.LineTo(-1, h - 1);
            }
            break;
        case bsModern:
            canvas.SetPenColor(down ? shadow : face);
            canvas.Rectangle(1, 1, w - 1, h - 1);
            canvas.SetPenColor(shadow);
            canvas.RoundRect(0, 0, w, h, 6, 6);
            break;
        case bsQuicken:
            canvas.SetBrushColor(face);
            canvas.SetPenColor(QColor());
            canvas.RoundRect(0, 1, w, h, 4, 4);
            canvas.SetBrushHollow();
            canvas.SetPenColor(shadow);
            canvas.MoveTo(4, 0);
            canvas.LineTo(w - 5, 0);
            canvas.MoveTo(4, h - 1);
            canvas.LineTo(w - 5, h - 1);
            break;
        case bsShape:
            break;
    }
}

// The face's font: Encarta buttons write their caption bold while down.
QFont FaceFont(const TButtonFace& f) {
    QFont font = f.font;
    if (f.style == bsEncarta && f.down && f.enabled) {
        font.setBold(true);
    }
    return font;
}

// The width the caption may take: the face less its margins and, beside a glyph, the glyph.
int CaptionRoom(const TButtonFace& f) {
    const int glyphW = f.numGlyphs > 0 ? f.glyph.width() / f.numGlyphs : 0;
    const bool beside = f.style != bsShape && (f.layout == blGlyphLeft || f.layout == blGlyphRight);
    return std::max(0, f.width - 8 - (beside && glyphW > 0 ? glyphW + 4 : 0));
}
}  // namespace

QString ShownCaption(const TButtonFace& f) {
    QString caption = f.caption;
    if (f.wordWrap) {
        return caption;
    }
    // Cut from its end until it fits on one line.
    const QFontMetrics metrics(FaceFont(f));
    const int room = CaptionRoom(f);
    while (!caption.isEmpty() && metrics.horizontalAdvance(caption) > room) {
        caption.chop(1);
    }
    return caption;
}

void DrawButtonFace(TCanvas& canvas, const TButtonFace& f) {
    const int w = f.width;
    const int h = f.height;
    // 1. Effective state.
    const bool down = f.down && f.enabled;
    const int shift = down && f.style != bsEncarta ? 1 : 0;
    QColor face = ColorToRGB(f.color);
    if (f.enabled && f.hotTrackColor != clNone) {
        face = Blend(f.color, f.hotTrackColor, f.fadeLevel);
    }
    if (down && f.colorWhenDown != clNone) {
        face = ColorToRGB(f.colorWhenDown);
    }
    // 2. Background.
    const QColor key = QColor::fromRgba(kKeyColor);
    if (f.style == bsShape) {
        canvas.FillRect(-1, -1, w + 1, h + 1, key);
    } else if (!f.transparent) {
        if (f.style == bsModern) {
            const QColor light = ColorToRGB(f.lightColor);
            FillGradient(canvas, light, face, 2, 2, w - 2, h / 4 + shift);
            FillGradient(canvas, face, light, 2, h / 4 + shift, w - 2, h - 1);
        } else if (f.style != bsQuicken) {
            canvas.FillRect(-1, -1, w + 1, h + 1, face);
        }
    }
    canvas.SetBrushHollow();
    // 3. Frame.
    DrawFrame(canvas, f, down, face);
    // 4. Font.
    canvas.SetFont(FaceFont(f));
    // 5. Glyph cell.
    const int glyphH = f.glyph.height();
    const int glyphW = f.numGlyphs > 0 ? f.glyph.width() / f.numGlyphs : 0;
    int index = 1;
    if (f.enabled) {
        index = 0;
        if (f.mouseInside && f.numGlyphs > 3) {
            index = 3;
        }
        if (down && f.numGlyphs > 2) {
            index = 2;
        }
    }
    // 6. Caption and glyph placement.
    const int alignFormat = f.alignment == taRightJustify ? TCanvas::kWordBreak | TCanvas::kRight
                            : f.alignment == taCenter     ? TCanvas::kWordBreak | TCanvas::kCenter
                                                          : TCanvas::kWordBreak;
    auto measure = [&](const QString& text, int textW, int* textRight) {
        QRect r(0, 0, textW, 0);
        const int textH = canvas.DrawText(text, &r, TCanvas::kCalcRect | TCanvas::kWordBreak);
        *textRight = r.left() + r.width();
        return textH;
    };
    canvas.SetFontColor(f.fontColor);
    if (f.style == bsShape) {
        const int textW = CaptionRoom(f);
        const QString text = ShownCaption(f);
        int textRight = 0;
        const int textH = measure(text, textW, &textRight);
        DrawGlyphCell(canvas, f.glyph, glyphW, glyphH, index, (w - glyphW) / 2, (h - glyphH) / 2);
        QRect r(QPoint(shift, (h - textH) / 2 + shift), QPoint(w - 1, h - 1));
        canvas.DrawText(text, &r, TCanvas::kWordBreak | TCanvas::kCenter);
    } else {
        int textW = 0;
        int textX = 0;
        int textY = 0;
        int glyphX = 0;
        int glyphY = 0;
        int textH = 0;
        QString text;
        if (f.layout == blGlyphLeft || f.layout == blGlyphRight) {
            textW = CaptionRoom(f);
            text = ShownCaption(f);
            int textRight = 0;
            textH = measure(text, textW, &textRight);
            textY = (h - textH) / 2 + shift;
            glyphY = (h - glyphH) / 2 + shift;
            textX = shift + 4;
            const int gap = f.caption.isEmpty() ? 0 : textRight + 4;
            if (f.layout == blGlyphLeft) {
                if (glyphW > 0) {
                    textX += glyphW + 4;
                }
                glyphX = shift + 4;
                if (!f.wordWrap) {
                    glyphX = f.alignment == taRightJustify ? w - 4 - glyphW - gap + shift
                             : f.alignment == taCenter     ? (w - glyphW) / 2 + shift - gap / 2
                                                           : shift + 4;
                }
            } else {
                glyphX = textX + gap;
                if (!f.wordWrap) {
                    glyphX = f.alignment == taRightJustify ? w - 4 + shift - glyphW
                             : f.alignment == taCenter     ? (w - glyphW) / 2 + shift + gap / 2
                                                           : textX + gap;
                }
            }
        } else {
            textW = CaptionRoom(f);
            text = ShownCaption(f);
            int textRight = 0;
            textH = measure(text, textW, &textRight);
            const int total = textH + (glyphH > 0 ? glyphH + 4 : 0);
            const int top0 = (h - total) / 2;
            textX = shift + 4;
            if (f.layout == blGlyphTop) {
                glyphY = top0 + shift;
                textY = top0 + glyphH + shift;
            } else {
                textY = top0 + shift;
                glyphY = top0 + textH + shift;
            }
            glyphX = f.alignment == taRightJustify ? w - glyphW - 4 + shift
                     : f.alignment == taCenter     ? (w - glyphW) / 2 + shift
                                                   : shift + 4;
        }
        if (!f.enabled) {
            canvas.SetFontColor(QColor(128, 128, 128));
        }
        QRect r(textX, textY, textW, textH);
        canvas.DrawText(text, &r, alignFormat);
        DrawGlyphCell(canvas, f.glyph, glyphW, glyphH, index, glyphX, glyphY);
    }
    // 7. Drop-down arrow.
    if (f.hasDropDown) {
        const QImage arrow = LbArrowBitmap();
        canvas.DrawTransparent(w - 11, h / 2 - 1, arrow, arrow.pixel(0, arrow.height() - 1));
    }
}

QImage ComposeButtonFace(const TButtonFace& face) {
    QImage image(std::max(1, face.width), std::max(1, face.height),
                 QImage::Format_ARGB32_Premultiplied);
    const bool keyed = face.transparent || face.style == bsModern || face.style == bsShape ||
                       face.style == bsQuicken;
    image.fill(keyed ? QColor::fromRgba(kKeyColor) : ColorToRGB(face.color));
    TCanvas canvas(&image);
    DrawButtonFace(canvas, face);
    return image;
}
