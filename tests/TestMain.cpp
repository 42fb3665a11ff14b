// Runs GoogleTest inside a QApplication so tests can drive widgets, web views and event loops.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/Application.h"
#include "support/Headless.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    PrepareHeadless();
    // The program's own cache and data folders live in a fresh place for every run.
    QTemporaryDir xdg;
    qputenv("XDG_CACHE_HOME", (xdg.path() + "/cache").toUtf8());
    qputenv("XDG_DATA_HOME", (xdg.path() + "/data").toUtf8());
    TApplication app(argc, argv);  // as the program: handler exceptions are reported
    return RUN_ALL_TESTS();
}
