#include "widgets/FormControls.h"

#include <QAction>
#include <QFrame>
#include <QMenu>

#include "widgets/LbSpeedButton.h"

QFrame* MakePanel(QWidget* parent, const char* name, TBevel bevel) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (bevel == TBevel::Lowered) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
    }
    return panel;
}

QAction* AddMenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    return item;
}

QAction* AddOption(QMenu* menu, const char* name, const QString& caption, bool on,
                   const std::function<void(bool)>& changed) {
    QAction* item = AddMenuItem(menu, name, caption);
    item->setCheckable(true);
    item->setChecked(on);
    QObject::connect(item, &QAction::toggled, item, changed);
    return item;
}

QAction* AddMenuSeparator(QMenu* menu, const char* name) {
    QAction* item = menu->addSeparator();
    item->setObjectName(name);
    return item;
}

TLbSpeedButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption,
                               const QImage& image, QRect geometry) {
    auto* button = new TLbSpeedButton(parent);
    button->setObjectName(name);
    button->SetCaption(caption);
    button->SetGlyph(image);
    button->SetFlat(true);
    button->SetTransparent(true);
    button->setGeometry(geometry);
    return button;
}
