#pragma once

#include <QRect>
#include <QString>

class QAction;
class QFrame;
class QImage;
class QMenu;
class QWidget;
class TLbSpeedButton;

// The pieces forms are built from, named as the form names them.
enum class Bevel { None, Lowered };
QFrame* MakePanel(QWidget* parent, const char* name, Bevel bevel);
QAction* AddMenuItem(QMenu* menu, const char* name, const QString& caption);
QAction* AddMenuSeparator(QMenu* menu, const char* name);
// A flat, transparent speed button with its image.
TLbSpeedButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption,
                               const QImage& image, QRect geometry);
