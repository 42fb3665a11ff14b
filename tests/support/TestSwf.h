#pragma once

#include <QByteArray>
#include <string>

struct SwfColour {
    int red;
    int green;
    int blue;
};

// Flash movies built here byte by byte.
class SwfBits {
  public:
    void Put(quint32 value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bits_ = (bits_ << 1) | ((value >> i) & 1u);
            if (++used_ == 8) {
                Flush();
            }
        }
    }
    void PutSigned(qint32 value, int count) { Put(static_cast<quint32>(value), count); }
    QByteArray Bytes() {
        if (used_ > 0) {
            bits_ <<= 8 - used_;
            Flush();
        }
        return bytes_;
    }

  private:
    void Flush() {
        bytes_.append(static_cast<char>(bits_ & 0xFF));
        bits_ = 0;
        used_ = 0;
    }
    QByteArray bytes_;
    quint32 bits_ = 0;
    int used_ = 0;
};

inline QByteArray Le16(int value) {
    QByteArray bytes;
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
    return bytes;
}

inline QByteArray SwfTag(int code, const QByteArray& body) {
    if (body.size() < 63) {
        return Le16((code << 6) | static_cast<int>(body.size())) + body;
    }
    const quint32 length = static_cast<quint32>(body.size());
    return Le16((code << 6) | 63) + QByteArray(reinterpret_cast<const char*>(&length), 4) + body;
}

// A rectangle from 0,0 to width x height pixels, in twips, as movies write their stage and shapes.
inline QByteArray SwfRect(int width, int height) {
    SwfBits rect;
    rect.Put(16, 5);  // the size of each field
    for (int v : {0, width * 20, 0, height * 20}) {
        rect.PutSigned(v, 16);
    }
    return rect.Bytes();
}

// A movie of the given tags on a stage of width x height pixels, one frame at 12 a second.
inline QByteArray SwfMovie(const QByteArray& tags, int width = 200, int height = 200,
                           int version = 6) {
    const QByteArray body = SwfRect(width, height) + Le16(12 << 8) + Le16(1) + tags + SwfTag(0, {});
    QByteArray swf("FWS", 3);
    swf.append(static_cast<char>(version));
    const quint32 length = static_cast<quint32>(8 + body.size());
    swf.append(reinterpret_cast<const char*>(&length), 4);
    return swf + body;
}

// A minimal uncompressed Flash movie: a stage of width x height pixels in one background colour.
inline QByteArray SolidColourSwf(const SwfColour& colour, int width = 200, int height = 200) {
    QByteArray rgb;
    rgb.append(static_cast<char>(colour.red));
    rgb.append(static_cast<char>(colour.green));
    rgb.append(static_cast<char>(colour.blue));
    return SwfMovie(SwfTag(9, rgb) + SwfTag(1, {}), width, height, 10);  // background, frame
}

// A movie whose stage is covered by a shape of one colour (the background of a movie loaded into
// a level does not show).
inline QByteArray ShapeSwf(const SwfColour& colour, int width = 200, int height = 200) {
    const int w = width * 20;
    const int h = height * 20;
    QByteArray shape = Le16(1) + SwfRect(width, height);
    shape += QByteArray("\x01\x00", 2) + static_cast<char>(colour.red) +
             static_cast<char>(colour.green) + static_cast<char>(colour.blue);
    shape += '\0';  // no line styles
    SwfBits records;
    records.Put(1, 4);  // fill bits
    records.Put(0, 4);  // line bits
    records.Put(0, 1);  // a style change: move to 0,0 and fill with style 1
    records.Put(0b00101, 5);
    records.Put(1, 5);
    records.PutSigned(0, 1);
    records.PutSigned(0, 1);
    records.Put(1, 1);
    const int bits = 17;  // signed, enough for a stage of 3,276 pixels
    auto edge = [&](bool vertical, int delta) {
        records.Put(1, 1);  // an edge
        records.Put(1, 1);  // straight
        records.Put(bits - 2, 4);
        records.Put(0, 1);  // horizontal or vertical
        records.Put(vertical ? 1 : 0, 1);
        records.PutSigned(delta, bits);
    };
    edge(false, w);
    edge(true, h);
    edge(false, -w);
    edge(true, -h);
    records.Put(0, 6);  // the end
    shape += records.Bytes();
    const QByteArray place = QByteArray("\x02", 1) + Le16(1) + Le16(1);
    return SwfMovie(SwfTag(2, shape) + SwfTag(26, place) + SwfTag(1, {}), width, height);
}

// A movie that stops at its first frame, loads movie into _level1 and the variables of vars
// into _level0, as loadMovieNum and loadVariablesNum do.
inline QByteArray LoaderSwf(const QByteArray& movie, const QByteArray& vars) {
    auto action = [](int code, const QByteArray& data) {
        return QByteArray(1, static_cast<char>(code)) + Le16(static_cast<int>(data.size())) + data;
    };
    auto push = [&](const QByteArray& text) { return action(0x96, '\0' + text + '\0'); };
    QByteArray actions = action(0x83, movie + '\0' + "_level1" + '\0');             // GetURL
    actions += push(vars) + push("_level0") + action(0x9A, QByteArray(1, '\x01'));  // GetURL2
    actions += '\x07';                                                              // Stop
    actions += '\0';
    return SwfMovie(QByteArray("\x43\x02\xFF\xFF\xFF", 5) + SwfTag(12, actions) + SwfTag(1, {}));
}

// The AS2 loader movie at folder + "loader.swf", with what it loads at run time: a child movie
// of one colour into its level 1 ("levels/child.swf") and its variables ("vars.txt").
template <typename Server>
void AddLoaderMovie(Server& site, const std::string& folder, const SwfColour& child,
                    const std::string& vars) {
    site.Add(folder + "loader.swf", LoaderSwf("levels/child.swf", "vars.txt").toStdString(),
             "application/x-shockwave-flash");
    site.Add(folder + "levels/child.swf", ShapeSwf(child).toStdString(),
             "application/x-shockwave-flash");
    site.Add(folder + "vars.txt", vars, "text/plain");
}
