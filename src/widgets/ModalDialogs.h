#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;

// Every modal dialog of the program runs through RunModal. An answerer put in its place (tests)
// gets each dialog instead of the user: it may fill it in or press its buttons, and returns the
// result the dialog would have ended with. Without one, the dialog runs as usual.
using TModalAnswerer = std::function<int(QDialog& dialog)>;
int RunModal(QDialog& dialog);
// Returns the answerer it replaces; an empty one lets dialogs run again.
TModalAnswerer SetModalAnswerer(TModalAnswerer answerer);

// The program's error box: the text with an "OK" button, titled with the application's name.
void ShowErrorBox(QWidget* parent, const QString& text);
