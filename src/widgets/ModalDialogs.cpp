#include "widgets/ModalDialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>

namespace {
TModalAnswerer& Answerer() {
    static TModalAnswerer answerer;
    return answerer;
}
}  // namespace

int RunModal(QDialog& dialog) {
    if (Answerer()) {
        return Answerer()(dialog);
    }
    return dialog.exec();
}

TModalAnswerer SetModalAnswerer(TModalAnswerer answerer) {
    std::swap(Answerer(), answerer);
    return answerer;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, parent);
    box.setAccessibleName(box.windowTitle());
    box.setAccessibleDescription(text);
    RunModal(box);
}
