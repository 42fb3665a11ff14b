#pragma once

#include <QByteArray>

struct SwfColour {
    int red;
    int green;
    int blue;
};

// A minimal uncompressed Flash movie: a stage of width x height pixels in one background colour,
// one frame.
inline QByteArray SolidColourSwf(const SwfColour& colour, int width = 200, int height = 200) {
    // The stage rectangle: 5 bits of field size, then xmin, xmax, ymin, ymax in twips.
    const int nbits = 16;
    const int fields[4] = {0, width * 20, 0, height * 20};
    QByteArray rect;
    quint64 bits = 0;
    int used = 0;
    auto put = [&](quint32 value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bits = (bits << 1) | ((value >> i) & 1u);
            if (++used == 8) {
                rect.append(static_cast<char>(bits & 0xFF));
                bits = 0;
                used = 0;
            }
        }
    };
    put(nbits, 5);
    for (int f : fields) {
        put(static_cast<quint32>(f), nbits);
    }
    if (used > 0) {
        rect.append(static_cast<char>((bits << (8 - used)) & 0xFF));
    }
    QByteArray body = rect;
    body.append("\x00\x0C", 2);  // 12 frames a second
    body.append("\x01\x00", 2);  // one frame
    body.append("\x43\x02", 2);  // SetBackgroundColor, 3 bytes
    body.append(static_cast<char>(colour.red));
    body.append(static_cast<char>(colour.green));
    body.append(static_cast<char>(colour.blue));
    body.append("\x40\x00", 2);  // ShowFrame
    body.append("\x00\x00", 2);  // End
    QByteArray swf("FWS\x0A", 4);
    const quint32 length = static_cast<quint32>(8 + body.size());
    swf.append(reinterpret_cast<const char*>(&length), 4);
    return swf + body;
}
