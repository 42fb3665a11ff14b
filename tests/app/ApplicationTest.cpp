#include <gtest/gtest.h>

#include <QMessageBox>
#include <QMetaObject>
#include <stdexcept>

#include "TestUtil.h"
#include "app/Application.h"
#include "support/ModalAnswers.h"

TEST(Application, AnExceptionFromAHandlerIsReportedAndTheProgramGoesOn) {
    ASSERT_NE(dynamic_cast<TApplication*>(QCoreApplication::instance()), nullptr);
    QStringList reported;
    TModalAnswers errorBoxes([&](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            reported << box->text();
        }
        return int(QDialog::Accepted);
    });
    bool later = false;
    QMetaObject::invokeMethod(
        qApp, [] { throw std::runtime_error("The page could not be read."); },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        qApp, [] { throw 42; }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        qApp, [&] { later = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(WaitUntil([&] { return later; }));
    EXPECT_EQ(reported, QStringList({"The page could not be read.", "Unknown error."}));
}
