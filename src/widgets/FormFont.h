#pragma once

#include <QFont>

// The forms' font at the given character height. The forms were laid out for a narrow 8-point
// sans; Carlito (the package depends on it) has about its widths, so every caption fits its
// button. Wider faces follow only for systems without it, where long captions may be cut.
inline QFont FormFont(int pixelSize) {
    QFont font;
    font.setFamilies({"Carlito", "MS Sans Serif", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(pixelSize);
    return font;
}
