// Runs GoogleTest inside a QApplication so tests can drive widgets, web views and event loops.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Headless unless the caller picked a platform (Xvfb, say).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The browser engine's sandbox cannot run as root (as in CI).
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // No network but loopback here: keep the engine from calling home.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--disable-gpu --disable-background-networking --disable-component-update "
            "--no-first-run --disable-sync");
    // The program's own cache and data folders live in a fresh place for every run.
    QTemporaryDir xdg;
    qputenv("XDG_CACHE_HOME", (xdg.path() + "/cache").toUtf8());
    qputenv("XDG_DATA_HOME", (xdg.path() + "/data").toUtf8());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
