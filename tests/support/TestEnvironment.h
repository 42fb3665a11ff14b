#pragma once

#include <QSettings>

#include "platform/UserFolders.h"

// Gives this process a fresh home folder, with its settings, cache and data folders, in a
// temporary folder removed at exit, and points HOME and the XDG variables there, so no test
// reads or writes the real home. Returns those folders; later calls return the same ones.
TUserFolders IsolateHome();

// The folders a test's main window is given: the isolated home of this process.
inline TUserFolders TestFolders() {
    return IsolateHome();
}

// A window made after this starts as at the first start: what an earlier window remembered of
// its place, splitter and columns is forgotten.
inline void ForgetWindowState() {
    QSettings(TestFolders().configHome + "/vimbrel/vimbrel.conf", QSettings::IniFormat)
        .remove("Window");
}
