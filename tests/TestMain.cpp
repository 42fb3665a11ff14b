// Runs GoogleTest inside the program's application object so tests can drive widgets, web views
// and event loops. A dialog no test answered fails the running test instead of waiting.
#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>

#include "app/Application.h"
#include "support/Headless.h"
#include "support/TestEnvironment.h"
#include "widgets/ModalDialogs.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    PrepareHeadless();
    UseProgramFolders(IsolateHome());
    TApplication app(argc, argv);  // as the program: handler exceptions are reported
    SetModalAnswerer([](QDialog& dialog) {
        const auto* box = qobject_cast<QMessageBox*>(&dialog);
        ADD_FAILURE() << "unanswered dialog " << dialog.objectName().toStdString() << ": "
                      << (box ? box->text() : dialog.windowTitle()).toStdString();
        return int(QDialog::Rejected);
    });
    return RUN_ALL_TESTS();
}
