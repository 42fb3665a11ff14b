#include <gtest/gtest.h>

#include <QMetaObject>
#include <stdexcept>

#include "TestUtil.h"
#include "app/Application.h"

TEST(Application, AnExceptionFromAHandlerIsReportedAndTheProgramGoesOn) {
    ASSERT_NE(dynamic_cast<TApplication*>(QCoreApplication::instance()), nullptr);
    QStringList reported;
    TApplication::SetErrorReport([&](const QString& text) { reported << text; });
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
    TApplication::SetErrorReport({});
}
