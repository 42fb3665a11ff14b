#include "widgets/LbSpeedButton.h"

#include <QMouseEvent>
#include <QPainter>

TLbSpeedButton::TLbSpeedButton(QWidget* parent) : QWidget(parent) {
    resize(100, 23);
    setAttribute(Qt::WA_Hover, false);
}

void TLbSpeedButton::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TLbSpeedButton::SetGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    numGlyphs_ = glyph.height() > 0 ? glyph.width() / glyph.height() : 0;
    update();
}

void TLbSpeedButton::SetLayout(TLbSpeedButtonLayout layout) {
    layout_ = layout;
    update();
}

void TLbSpeedButton::SetFlat(bool flat) {
    flat_ = flat;
    update();
}

void TLbSpeedButton::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void TLbSpeedButton::SetFontColor(const QColor& color) {
    fontColor_ = color;
    update();
}

void TLbSpeedButton::Click() {
    emit OnClick(this);
}

bool TLbSpeedButton::CanTrackPointer() const {
    return isEnabled() && isVisible() && parentWidget() && parentWidget()->isVisible();
}

void TLbSpeedButton::enterEvent(QEnterEvent*) {
    if (!CanTrackPointer()) {
        return;
    }
    mouseInside_ = true;
    update();
    emit OnMouseEnter(this);
}

void TLbSpeedButton::leaveEvent(QEvent*) {
    mouseInside_ = false;
    update();
    if (CanTrackPointer()) {
        emit OnMouseExit(this);
    }
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        down_ = true;
        update();
    }
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasDown = down_;
    down_ = false;
    update();
    if (wasDown && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        Click();
    }
}

void TLbSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (!transparent_) {
        p.fillRect(rect(), palette().color(QPalette::Button));
    }
    const bool hot = mouseInside_ && isEnabled();
    if (!flat_ || hot || down_) {
        const QColor light = down_ ? Qt::black : Qt::white;
        const QColor shadow = down_ ? Qt::white : Qt::black;
        p.setPen(light);
        p.drawLine(0, h - 1, 0, 0);
        p.drawLine(0, 0, w - 1, 0);
        p.setPen(shadow);
        p.drawLine(w - 1, 0, w - 1, h - 1);
        p.drawLine(w - 1, h - 1, 0, h - 1);
    }
    const int shift = down_ ? 1 : 0;
    const int glyphW = numGlyphs_ > 0 ? glyph_.width() / numGlyphs_ : 0;
    const int glyphH = glyph_.height();
    const int glyphY = (h - glyphH) / 2 + shift;
    QRect textRect(shift + 4, shift, w - 8, h);
    int glyphX = shift + 4;
    if (layout_ == blGlyphLeft && glyphW > 0) {
        textRect.setLeft(textRect.left() + glyphW + 4);
    }
    p.setFont(font());
    p.setPen(isEnabled() ? fontColor_ : QColor(128, 128, 128));
    const QString text = p.fontMetrics().elidedText(caption_, Qt::ElideNone, textRect.width());
    const QRect used = p.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    if (layout_ == blGlyphRight) {
        glyphX = used.right() + 5;
    }
    if (glyphW > 0) {
        p.drawPixmap(glyphX, glyphY, glyph_, 0, 0, glyphW, glyphH);
    }
}
