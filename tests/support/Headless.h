#pragma once

#include <unistd.h>

#include <QCoreApplication>

// Settings for running the program's windows without a screen, before the QApplication exists:
// the offscreen platform unless the caller picked one (Xvfb, say), the browser engine without
// its sandbox as root (as in CI), and no calls home from the engine.
inline void PrepareHeadless() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--disable-gpu --disable-background-networking --disable-component-update "
            "--no-first-run --disable-sync");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
