#pragma once

#include <QString>

// Where a user's files live: the home folder and the folders for settings, caches and data.
struct TUserFolders {
    QString home;
    QString configHome;  // $XDG_CONFIG_HOME, else ~/.config
    QString cacheHome;   // $XDG_CACHE_HOME, else ~/.cache
    QString dataHome;    // $XDG_DATA_HOME, else ~/.local/share
};

// The folders of the user running the program, as the environment names them (relative XDG
// values are ignored, as the base directory rules say).
TUserFolders UserFoldersFromEnvironment();
// The default layout under the given home folder.
TUserFolders UserFoldersUnder(const QString& home);

// The folders the program keeps its own files under (the movie store, the embedded browser's
// profile). Whoever builds the program's core (main, a test's main) sets them once, first thing,
// before anything uses them; until then they are the environment's.
void UseProgramFolders(const TUserFolders& folders);
TUserFolders ProgramFolders();
