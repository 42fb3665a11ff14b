#pragma once

#include <QAbstractButton>
#include <QDialog>

#include "widgets/ModalDialogs.h"

// Answers the program's modal dialogs with answer() while it lives, then puts back the answerer
// it replaced.
class TModalAnswers {
  public:
    explicit TModalAnswers(TModalAnswerer answer)
        : previous_(SetModalAnswerer(std::move(answer))) {}
    ~TModalAnswers() { SetModalAnswerer(previous_); }
    TModalAnswers(const TModalAnswers&) = delete;
    TModalAnswers& operator=(const TModalAnswers&) = delete;

  private:
    TModalAnswerer previous_;
};

// Presses the dialog's button of that caption, as the user would: the dialog's result.
inline int PressButton(QDialog& dialog, const QString& caption) {
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->text() == caption) {
            button->click();
            return dialog.result();
        }
    }
    qWarning("no button %s", qPrintable(caption));
    return -1;  // no result a dialog gives
}
