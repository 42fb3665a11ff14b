#include "widgets/ButtonImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

QImage BlankImage(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

namespace {
void DrawBox(QPainter& p) {
    p.setPen(QPen(QColor(40, 60, 110), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(5, 5, 22, 22), 3, 3);
}
}  // namespace

QImage SelectAllImage() {
    QImage img = BlankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawBox(p);
    p.setPen(QPen(QColor(20, 140, 40), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(9, 16), QPointF(14, 22), QPointF(24, 9)}));
    return img;
}

QImage DeselectAllImage() {
    QImage img = BlankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawBox(p);
    return img;
}

QImage DownloadImage() {
    QImage img = BlankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4, 22, 24, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 40, 30));
    p.drawPolygon(QPolygonF({QPointF(12, 3), QPointF(20, 3), QPointF(20, 13), QPointF(26, 13),
                             QPointF(16, 23), QPointF(6, 13), QPointF(12, 13)}));
    return img;
}

QImage StopImage() {
    QImage img = BlankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 20, 15), 2));
    p.setBrush(QColor(210, 40, 30));
    p.drawPolygon(QPolygonF({QPointF(11, 3), QPointF(21, 3), QPointF(29, 11), QPointF(29, 21),
                             QPointF(21, 29), QPointF(11, 29), QPointF(3, 21), QPointF(3, 11)}));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 14, 14, 4));
    return img;
}

QImage AddressImage() {
    QImage img = BlankImage(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 70, 150), 2));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(QRectF(4, 4, 24, 24));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(11, 4, 10, 24));
    p.drawLine(QPointF(4, 16), QPointF(28, 16));
    p.drawLine(QPointF(7, 10), QPointF(25, 10));
    p.drawLine(QPointF(7, 22), QPointF(25, 22));
    return img;
}

QImage GoImage() {
    QImage img = BlankImage(25);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(10, 90, 20), 1.5));
    p.setBrush(QColor(40, 170, 60));
    p.drawPolygon(QPolygonF({QPointF(2, 8), QPointF(12, 8), QPointF(12, 3), QPointF(23, 12.5),
                             QPointF(12, 22), QPointF(12, 17), QPointF(2, 17)}));
    return img;
}
