#include "widgets/LbSpeedButton.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "widgets/LbSpeedButtonAccessible.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>

#include "widgets/LbButtonThread.h"

std::function<int()> TLbSpeedButton::ScreenBitsPerPixel = [] {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
};

TLbSpeedButton::TLbSpeedButton(QWidget* parent) : QWidget(parent) {
    InstallLbSpeedButtonAccessibility();
    resize(100, 23);
    setAttribute(Qt::WA_Hover, false);
    // Reached with Tab, not taken by a click: the mouse works as before.
    setFocusPolicy(Qt::TabFocus);
    // The hot-track font starts as the owner's font.
    hotTrackFont_ = parent ? parent->window()->font() : font();
}

TLbSpeedButton::~TLbSpeedButton() {
    destroying_ = true;
    fadeThread_.reset();
}

void TLbSpeedButton::Refresh() {
    if (transparent_) {
        update();
    } else {
        repaint();
    }
}

void TLbSpeedButton::SetAlignment(TAlignment value) {
    alignment_ = value;
    Refresh();
}

void TLbSpeedButton::SetCaption(const QString& caption) {
    caption_ = caption;
    UpdateAccelerator();
    update();
}

void TLbSpeedButton::SetColor(TColor value) {
    color_ = value;
    Refresh();
}

void TLbSpeedButton::SetColorWhenDown(TColor value) {
    colorWhenDown_ = value;
    Refresh();
}

void TLbSpeedButton::SetFlat(bool value) {
    flat_ = value;
    Refresh();
}

void TLbSpeedButton::SetFontColor(const QColor& color) {
    fontColor_ = color;
    update();
}

void TLbSpeedButton::SetGlyph(const QImage& glyph) {
    glyph_ = glyph;
    numGlyphs_ = glyph.height() > 0 ? glyph.width() / glyph.height() : 0;
    update();
}

void TLbSpeedButton::SetGroupIndex(int value) {
    groupIndex_ = value;
    Refresh();
}

void TLbSpeedButton::SetHotTrackFont(const QFont& font, const QColor& color) {
    hotTrackFont_ = font;
    hotTrackFontColor_ = color;
}

void TLbSpeedButton::SetLayout(TLbSpeedButtonLayout value) {
    layout_ = value;
    Refresh();
}

void TLbSpeedButton::SetLightColor(TColor value) {
    lightColor_ = value;
    Refresh();
}

void TLbSpeedButton::SetNumGlyphs(int value) {
    numGlyphs_ = value;
    update();
}

void TLbSpeedButton::SetShadowColor(TColor value) {
    shadowColor_ = value;
    Refresh();
}

void TLbSpeedButton::SetStyle(TLbSpeedButtonStyle value) {
    // The gradient style needs more colours than a palette screen has.
    style_ = value == bsModern && ScreenBitsPerPixel() <= 8 ? bsNormal : value;
    update();
}

void TLbSpeedButton::SetTransparent(bool value) {
    transparent_ = value;
    if (value) {
        update();
    } else {
        repaint();
    }
}

void TLbSpeedButton::SetWordWrap(bool value) {
    wordWrap_ = value;
    Refresh();
}

void TLbSpeedButton::SetColorStyle(TLbColorStyle style) {
    if (style == lcsCustom) {
        return;
    }
    const TColorPreset& preset = ColorPreset(style);
    flat_ = false;
    style_ = bsNormal;
    fontColor_ = Qt::black;
    SetColor(preset.color);
    lightColor_ = preset.lightColor;
    shadowColor_ = preset.shadowColor;
    colorWhenDown_ = preset.colorWhenDown;
    hotTrackColor_ = preset.hotTrackColor;
    flat_ = preset.flat;
    style_ = preset.style;  // presets keep their style whatever the screen
    fontColor_ = ColorToRGB(preset.fontColor);
    repaint();
}

void TLbSpeedButton::SetDown(bool value) {
    if (value == down_) {
        return;
    }
    if (groupIndex_ != 0 && parentWidget()) {
        for (auto* sibling :
             parentWidget()->findChildren<TLbSpeedButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (sibling != this && sibling->groupIndex_ == groupIndex_) {
                sibling->SetDown(false);
            }
        }
    }
    down_ = value;
    Refresh();
}

void TLbSpeedButton::SetSlowDecease(bool value) {
    slowDecease_ = value;
    if (value) {
        if (!fadeThread_) {
            fadeThread_ =
                std::make_unique<TLbButtonThread>([this](TLbButtonThread*) { FadeTick(); });
        }
    } else {
        fadeLevel_ = 0;
        fadeThread_.reset();
    }
    update();
}

bool TLbSpeedButton::FadeTickerParked() const {
    return !fadeThread_ || fadeThread_->Suspended();
}

void TLbSpeedButton::FadeTick() {
    if (destroying_) {
        return;
    }
    --fadeLevel_;
    if (fadeLevel_ <= 0) {
        if (fadeThread_ && !fadeThread_->Suspended()) {
            fadeThread_->Suspend();
        }
        fadeLevel_ = 0;
    }
    Refresh();
}

QMenu* TLbSpeedButton::PopupMenu() const {
    return popupMenu_;
}

void TLbSpeedButton::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
}

QAction* TLbSpeedButton::Action() const {
    return action_;
}

void TLbSpeedButton::SetAction(QAction* action) {
    action_ = action;
    if (!action) {
        return;
    }
    SetCaption(action->text());
    setEnabled(action->isEnabled());
    setToolTip(action->toolTip());
    if (glyph_.isNull() && !action->icon().isNull()) {
        // The action's image becomes the glyph when the button has none.
        const QSize size = action->icon().availableSizes().value(0, QSize(16, 16));
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor::fromRgba(kKeyColor));
        QPainter p(&image);
        action->icon().paint(&p, image.rect());
        p.end();
        glyph_ = image;
        numGlyphs_ = 1;
        repaint();
    }
}

TButtonFace TLbSpeedButton::Face() const {
    TButtonFace f;
    f.width = width();
    f.height = height();
    f.fadeLevel = fadeLevel_;
    f.numGlyphs = numGlyphs_;
    f.glyph = glyph_;
    f.down = down_;
    f.mouseInside = mouseInside_;
    f.transparent = transparent_;
    f.enabled = isEnabled();
    f.flat = flat_;
    f.wordWrap = wordWrap_;
    f.hasDropDown = !popupMenu_.isNull();
    f.style = style_;
    f.color = color_;
    f.colorWhenDown = colorWhenDown_;
    f.hotTrackColor = hotTrackColor_;
    f.lightColor = lightColor_;
    f.shadowColor = shadowColor_;
    const bool hotFont = mouseInside_ && useHotTrackFont_;
    f.font = hotFont ? hotTrackFont_ : font();
    f.fontColor = hotFont ? hotTrackFontColor_ : fontColor_;
    f.layout = layout_;
    f.caption = caption_;
    f.alignment = alignment_;
    return f;
}

void TLbSpeedButton::paintEvent(QPaintEvent*) {
    if (!isVisible()) {
        return;
    }
    QPainter p(this);
    p.drawImage(0, 0, ComposeButtonFace(Face()));
    if (hasFocus()) {
        // The keyboard's place, as a dotted frame inside the face.
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

void TLbSpeedButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && isEnabled()) {
        Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TLbSpeedButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TLbSpeedButton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TLbSpeedButton::Click() {
    if (popupMenu_) {
        popupMenu_->popup(mapToGlobal(QPoint(0, height())));
    }
    if (action_) {
        action_->trigger();
    } else {
        emit OnClick(this);
    }
}

bool TLbSpeedButton::CanTrackPointer() const {
    return isEnabled() && isVisible() && parentWidget() && parentWidget()->isVisible();
}

bool TLbSpeedButton::DialogChar(QChar character) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
    const bool mine =
        !mnemonic.isEmpty() &&
        mnemonic == QKeySequence(Qt::ALT | QKeySequence(character.toUpper())[0].key());
    if (!mine || !CanTrackPointer()) {
        return false;
    }
    const bool wasDown = down_;
    down_ = true;
    repaint();
    Click();
    down_ = wasDown;
    repaint();
    return true;
}

void TLbSpeedButton::UpdateAccelerator() {
    delete accelerator_;
    accelerator_ = nullptr;
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
    if (mnemonic.isEmpty()) {
        return;
    }
    accelerator_ = new QShortcut(mnemonic, this);
    accelerator_->setContext(Qt::WindowShortcut);
    connect(accelerator_, &QShortcut::activated, this, [this] {
        const int key = accelerator_->key()[0].key();
        DialogChar(QChar(key));
    });
}

void TLbSpeedButton::enterEvent(QEnterEvent*) {
    if (!CanTrackPointer()) {
        return;  // ignored entirely
    }
    mouseInside_ = true;
    fadeLevel_ = 8;
    Refresh();
    emit OnMouseEnter(this);
}

void TLbSpeedButton::leaveEvent(QEvent*) {
    mouseInside_ = false;
    if (slowDecease_) {
        if (fadeThread_ && fadeThread_->Suspended()) {
            fadeThread_->Resume();  // the ticker takes the level down
        }
    } else {
        fadeLevel_ = 0;
        Refresh();
    }
    if (CanTrackPointer()) {
        emit OnMouseExit(this);
    }
}

void TLbSpeedButton::LeftPress() {
    if (groupIndex_ == 0 || !down_) {
        SetDown(true);
    } else if (allowAllUp_) {
        SetDown(false);
    }
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* e) {
    emit OnMouseDown(this, e->button(), e->position().toPoint());
    if (e->button() == Qt::LeftButton) {
        pressedInside_ = true;
        LeftPress();
    }
}

void TLbSpeedButton::mouseDoubleClickEvent(QMouseEvent* e) {
    // A second press, as far as the button goes.
    mousePressEvent(e);
}

void TLbSpeedButton::mouseMoveEvent(QMouseEvent* e) {
    emit OnMouseMove(this, e->position().toPoint());
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    emit OnMouseUp(this, e->button(), e->position().toPoint());
    if (groupIndex_ == 0) {
        SetDown(false);
    }
    const bool click =
        pressedInside_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) {
        pressedInside_ = false;
    }
    if (click) {
        Click();
    }
}
