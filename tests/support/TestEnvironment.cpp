#include "support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>

TUserFolders IsolateHome() {
    static const TUserFolders folders = [] {
        static QTemporaryDir root;
        const TUserFolders under = UserFoldersUnder(root.path() + "/home");
        for (const QString& folder : {under.configHome, under.cacheHome, under.dataHome}) {
            QDir().mkpath(folder);
        }
        qputenv("HOME", under.home.toUtf8());
        qputenv("XDG_CONFIG_HOME", under.configHome.toUtf8());
        qputenv("XDG_CACHE_HOME", under.cacheHome.toUtf8());
        qputenv("XDG_DATA_HOME", under.dataHome.toUtf8());
        return under;
    }();
    return folders;
}
