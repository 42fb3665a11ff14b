#pragma once

#include <QRect>
#include <QString>
#include <functional>

class QAction;
class QFrame;
class QImage;
class QMenu;
class QWidget;
class TLbSpeedButton;

// The pieces forms are built from, named as the form names them.
enum class TBevel { None, Lowered };
QFrame* MakePanel(QWidget* parent, const char* name, TBevel bevel);
QAction* AddMenuItem(QMenu* menu, const char* name, const QString& caption);
QAction* AddMenuSeparator(QMenu* menu, const char* name);
// A checkable item for an option, ticked when on; changed(on) runs at every change after.
QAction* AddOption(QMenu* menu, const char* name, const QString& caption, bool on,
                   const std::function<void(bool)>& changed);
// A flat, transparent speed button with its image.
TLbSpeedButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption,
                               const QImage& image, QRect geometry);
