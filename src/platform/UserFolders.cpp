#include "platform/UserFolders.h"

#include <QDir>
#include <QMutex>
#include <optional>

namespace {
QString AbsoluteOr(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? value : fallback;
}

QMutex& ProgramFoldersLock() {
    static QMutex lock;
    return lock;
}
std::optional<TUserFolders>& ProgramFoldersSet() {
    static std::optional<TUserFolders> folders;
    return folders;
}
}  // namespace

TUserFolders UserFoldersUnder(const QString& home) {
    return {home, home + "/.config", home + "/.cache", home + "/.local/share"};
}

TUserFolders UserFoldersFromEnvironment() {
    const TUserFolders defaults = UserFoldersUnder(QDir::homePath());
    return {defaults.home, AbsoluteOr("XDG_CONFIG_HOME", defaults.configHome),
            AbsoluteOr("XDG_CACHE_HOME", defaults.cacheHome),
            AbsoluteOr("XDG_DATA_HOME", defaults.dataHome)};
}

void UseProgramFolders(const TUserFolders& folders) {
    QMutexLocker locked(&ProgramFoldersLock());
    ProgramFoldersSet() = folders;
}

TUserFolders ProgramFolders() {
    QMutexLocker locked(&ProgramFoldersLock());
    return ProgramFoldersSet().value_or(UserFoldersFromEnvironment());
}
