#include "widgets/GdiCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>

TCanvas::TCanvas(QImage* image) : image_(image) {}

void TCanvas::Plot(int x, int y, const QColor& color) {
    if (x >= 0 && y >= 0 && x < image_->width() && y < image_->height()) {
        image_->setPixelColor(x, y, color);
    }
}

void TCanvas::MoveTo(int x, int y) {
    at_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y) {
    // Bresenham from the current point up to, not including, (x, y).
    int x0 = at_.x();
    int y0 = at_.y();
    const int dx = std::abs(x - x0);
    const int dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1;
    const int sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
        Plot(x0, y0, pen_);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    at_ = QPoint(x, y);
}

void TCanvas::FillRect(int x1, int y1, int x2, int y2, const QColor& color) {
    for (int y = std::max(0, y1); y < std::min(y2, image_->height()); ++y) {
        for (int x = std::max(0, x1); x < std::min(x2, image_->width()); ++x) {
            image_->setPixelColor(x, y, color);
        }
    }
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!hollow_) {
        FillRect(x1 + 1, y1 + 1, x2 - 1, y2 - 1, brush_);
    }
    const QPoint keep = at_;
    MoveTo(x1, y1);
    LineTo(x2 - 1, y1);
    LineTo(x2 - 1, y2 - 1);
    LineTo(x1, y2 - 1);
    LineTo(x1, y1);
    at_ = keep;
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int ellipseW, int ellipseH) {
    QPainter p(image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen_.isValid() ? QPen(pen_, 0) : QPen(Qt::NoPen));
    p.setBrush(hollow_ ? QBrush(Qt::NoBrush) : QBrush(brush_));
    p.drawRoundedRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), ellipseW / 2.0, ellipseH / 2.0);
}

int TCanvas::QtFlags(int format) const {
    int flags = Qt::AlignTop | Qt::TextShowMnemonic;
    if (format & kCenter) {
        flags |= Qt::AlignHCenter;
    } else if (format & kRight) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    flags |= (format & kWordBreak) ? Qt::TextWordWrap : Qt::TextSingleLine;
    return flags;
}

int TCanvas::DrawText(const QString& text, QRect* rect, int format) {
    const QFontMetrics metrics(font_);
    const int flags = QtFlags(format);
    if (format & kCalcRect) {
        const int width = std::max(0, rect->width());
        const QRect extent =
            text.isEmpty() ? QRect(0, 0, 0, metrics.height())
                           : metrics.boundingRect(QRect(rect->left(), rect->top(), width, 1 << 20),
                                                  flags, text);
        *rect =
            QRect(rect->left(), rect->top(), extent.right() + 1 - rect->left(), extent.height());
        return extent.height();
    }
    QPainter p(image_);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font_);
    p.setPen(fontColor_);
    QRect bounding;
    p.drawText(*rect, flags, text, &bounding);
    return bounding.height();
}

int TCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(font_).horizontalAdvance(text);
}

void TCanvas::DrawTransparent(int x, int y, const QImage& image, QRgb transparent) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int j = 0; j < masked.height(); ++j) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(j));
        for (int i = 0; i < masked.width(); ++i) {
            if (line[i] == transparent) {
                line[i] = 0;
            }
        }
    }
    Draw(x, y, masked);
}

void TCanvas::Draw(int x, int y, const QImage& image) {
    QPainter p(image_);
    p.drawImage(x, y, image);
}
