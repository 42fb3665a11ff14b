#include <gtest/gtest.h>

#include <QPainter>

#include "widgets/GdiCanvas.h"
#include "widgets/LbButtons.h"

namespace {
constexpr int W = 60;
constexpr int H = 30;

// A strip of n 10 x 10 images on magenta, image i a solid square of colour Cell(i).
QColor Cell(int i) {
    static const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    return colours[i];
}
QImage Strip(int n) {
    QImage strip(10 * n, 10, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    for (int i = 0; i < n; ++i) {
        p.fillRect(10 * i + 2, 2, 6, 6, Cell(i));
    }
    return strip;
}

TButtonFace FlatFace() {
    TButtonFace f;
    f.width = W;
    f.height = H;
    f.flat = true;
    f.transparent = true;
    f.glyph = Strip(1);
    f.numGlyphs = 1;
    return f;
}

bool Clear(const QImage& img, int x, int y) {
    return qAlpha(img.pixel(x, y)) == 0;
}
QColor At(const QImage& img, int x, int y) {
    return img.pixelColor(x, y).toRgb();
}

// Where the glyph's square starts: the first pixel of the given colour, row by row.
QPoint Find(const QImage& img, const QColor& colour) {
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (At(img, x, y) == colour) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}
}  // namespace

TEST(ButtonFace, FlatTransparentFaceShowsItsFrameOnlyWhileHotOrDown) {
    TButtonFace f = FlatFace();
    QImage outside = ComposeButtonFace(f);
    EXPECT_TRUE(Clear(outside, 0, 0));
    EXPECT_TRUE(Clear(outside, W - 1, H - 1));
    EXPECT_TRUE(Clear(outside, W / 2, 0));
    const QPoint glyphAt = Find(outside, Qt::red);
    EXPECT_EQ(glyphAt, QPoint(4 + 2, (H - 10) / 2 + 2));
    EXPECT_TRUE(Clear(outside, 4, (H - 10) / 2));  // the glyph's own background is see-through

    f.mouseInside = true;
    QImage hot = ComposeButtonFace(f);
    EXPECT_EQ(At(hot, 0, 0), QColor(Qt::white));
    EXPECT_EQ(At(hot, W - 2, 0), QColor(Qt::white));
    EXPECT_EQ(At(hot, 0, H - 1), QColor(Qt::white));  // the left line starts at the bottom
    EXPECT_EQ(At(hot, W - 1, 0), QColor(Qt::black));  // a line does not paint its end point
    EXPECT_EQ(At(hot, W - 1, H - 1), QColor(Qt::black));
    EXPECT_EQ(At(hot, 1, H - 1), QColor(Qt::black));
    EXPECT_EQ(Find(hot, Qt::red), glyphAt);

    f.down = true;
    QImage down = ComposeButtonFace(f);
    EXPECT_EQ(At(down, 0, 0), QColor(Qt::black));
    EXPECT_EQ(At(down, W - 1, H / 2), QColor(Qt::white));
    EXPECT_EQ(Find(down, Qt::red), glyphAt + QPoint(1, 1));
}

TEST(ButtonFace, GlyphImageFollowsTheState) {
    TButtonFace one = FlatFace();
    for (auto set :
         {+[](TButtonFace& f) { f.enabled = false; }, +[](TButtonFace& f) { f.down = true; },
          +[](TButtonFace& f) { f.mouseInside = true; }}) {
        TButtonFace f = one;
        set(f);
        EXPECT_NE(Find(ComposeButtonFace(f), Cell(0)), QPoint(-1, -1));
    }
    TButtonFace four = FlatFace();
    four.glyph = Strip(4);
    four.numGlyphs = 4;
    auto shows = [](TButtonFace f) {
        const QImage img = ComposeButtonFace(f);
        for (int i = 0; i < 4; ++i) {
            if (Find(img, Cell(i)) != QPoint(-1, -1)) {
                return i;
            }
        }
        return -1;
    };
    EXPECT_EQ(shows(four), 0);
    TButtonFace f = four;
    f.mouseInside = true;
    EXPECT_EQ(shows(f), 3);
    f.down = true;
    EXPECT_EQ(shows(f), 2);  // down wins over hot
    f = four;
    f.enabled = false;
    EXPECT_EQ(shows(f), 1);
}

TEST(ButtonFace, CaptionIsCutToFitOrWrappedAndCentred) {
    TButtonFace f = FlatFace();
    f.glyph = QImage();
    f.numGlyphs = 0;
    f.caption = "A caption much too long for a button this narrow";
    f.fontColor = Qt::black;
    auto inkColumns = [](const QImage& img, int* top, int* bottom) {
        int right = -1;
        *top = img.height();
        *bottom = -1;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                if (qAlpha(img.pixel(x, y)) > 128) {
                    right = std::max(right, x);
                    *top = std::min(*top, y);
                    *bottom = std::max(*bottom, y);
                }
            }
        }
        return right;
    };
    int top = 0, bottom = 0;
    const int right = inkColumns(ComposeButtonFace(f), &top, &bottom);
    EXPECT_GE(right, 10);
    EXPECT_LT(right, W - 4 + 1);  // cut, not overflowing the text room
    EXPECT_LT(bottom - top, 20);  // one line

    f.wordWrap = true;
    f.height = 80;
    f.alignment = taCenter;
    ComposeButtonFace(f);
    const QImage wrapped = ComposeButtonFace(f);
    inkColumns(wrapped, &top, &bottom);
    EXPECT_GT(bottom - top, 20);                      // several lines
    EXPECT_LE(std::abs((top + bottom) / 2 - 40), 4);  // centred as a block
}

TEST(ButtonFace, DropDownArrowSitsElevenFromTheRightOneAboveTheMiddle) {
    TButtonFace f = FlatFace();
    f.hasDropDown = true;
    const QImage img = ComposeButtonFace(f);
    const int x = W - 11;
    const int y = H / 2 - 1;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(At(img, x + i, y), QColor(Qt::black)) << i;
    }
    EXPECT_TRUE(Clear(img, x, y + 1));
    EXPECT_EQ(At(img, x + 1, y + 1), QColor(Qt::black));
    EXPECT_EQ(At(img, x + 2, y + 2), QColor(Qt::black));
    EXPECT_TRUE(Clear(img, x + 1, y + 2));
}

TEST(ButtonFace, EachStyleDrawsItsOwnFrame) {
    TButtonFace f;
    f.width = W;
    f.height = H;
    f.color = RGBColor(200, 200, 200);
    f.lightColor = RGBColor(250, 250, 250);
    f.shadowColor = RGBColor(100, 100, 100);
    const QColor light(250, 250, 250), shadow(100, 100, 100), face(200, 200, 200);

    f.style = bsOld;
    QImage old = ComposeButtonFace(f);
    EXPECT_EQ(At(old, W - 2, 5), shadow);  // inner line
    EXPECT_EQ(At(old, W - 1, 5).rgb(), ColorToRGB(cl3DDkShadow).rgb());
    EXPECT_EQ(At(old, 5, 0), light);
    EXPECT_EQ(At(old, 5, H - 2), shadow);

    f.style = bsModern;
    QImage modern = ComposeButtonFace(f);
    EXPECT_EQ(At(modern, W / 2, 0), shadow);  // rounded outline
    EXPECT_EQ(At(modern, W / 2, 1), face);    // inner rectangle in the face colour
    EXPECT_TRUE(Clear(modern, 0, 0));         // outside the round corner

    f.style = bsQuicken;
    QImage quicken = ComposeButtonFace(f);
    EXPECT_EQ(At(quicken, 4, 0), shadow);
    EXPECT_TRUE(Clear(quicken, W - 5, 0));
    EXPECT_EQ(At(quicken, W / 2, H / 2), face);

    f.style = bsShape;
    QImage shape = ComposeButtonFace(f);
    EXPECT_TRUE(Clear(shape, 0, 0));
    EXPECT_TRUE(Clear(shape, W / 2, H - 1));

    f.style = bsNormal;
    f.flat = false;
    QImage normal = ComposeButtonFace(f);  // not flat: framed even when cold
    EXPECT_EQ(At(normal, 5, 0), light);
    EXPECT_EQ(At(normal, W / 2, H / 2), face);
}

TEST(ButtonFace, GradientBandsAndHotBlend) {
    QImage img(10, 62, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    TCanvas canvas(&img);
    FillGradient(canvas, QColor(0, 0, 0), QColor(31, 62, 93), 0, 0, 10, 62);
    EXPECT_EQ(At(img, 0, 0), QColor(0, 0, 0));
    EXPECT_EQ(At(img, 9, 1), QColor(0, 0, 0));      // three rows high, each next band two
    EXPECT_EQ(At(img, 9, 2), QColor(1, 2, 3));      // rows further down, painting over it
    EXPECT_EQ(At(img, 0, 61), QColor(30, 60, 90));  // the 31st band; the 32nd is empty

    TButtonFace f;
    f.width = W;
    f.height = H;
    f.color = RGBColor(0, 0, 0);
    f.hotTrackColor = RGBColor(80, 160, 240);
    f.fadeLevel = 4;
    EXPECT_EQ(At(ComposeButtonFace(f), W / 2, H / 2), QColor(40, 80, 120));
    f.fadeLevel = 8;
    EXPECT_EQ(At(ComposeButtonFace(f), W / 2, H / 2), QColor(80, 160, 240));
}

TEST(ColorPresets, HoldTheirTableValues) {
    const TColorPreset& gold = ColorPreset(lcsGold);
    EXPECT_EQ(gold.color, RGBColor(192, 192, 0));
    EXPECT_EQ(gold.hotTrackColor, RGBColor(223, 223, 0));
    EXPECT_EQ(gold.style, bsModern);
    const TColorPreset& quicken = ColorPreset(lcsQuicken);
    EXPECT_EQ(quicken.fontColor, RGBColor(255, 255, 255));
    EXPECT_EQ(quicken.colorWhenDown, RGBColor(41, 101, 173));
    EXPECT_TRUE(ColorPreset(lcsUltraFlatXP).flat);
    EXPECT_EQ(ColorPreset(lcsUltraFlat2).color, clBtnFace);
    EXPECT_EQ(ColorToRGB(RGBColor(1, 2, 3)), QColor(1, 2, 3));
}
