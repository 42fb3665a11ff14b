#pragma once

#include <QFont>

// The forms' font at the given character height: the design's face when the system has it,
// else sans faces of about the same width.
inline QFont FormFont(int pixelSize) {
    QFont font;
    font.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial", "DejaVu Sans"});
    font.setPixelSize(pixelSize);
    return font;
}
