#include "platform/DataFiles.h"

#include <QDir>
#include <QFileInfo>

QString BesideOrInstalled(const QString& executableFolder, const QString& name) {
    const QString beside = QDir(executableFolder).filePath(name);
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    const QString installed = QDir::cleanPath(executableFolder + "/../share/vimbrel/" + name);
    return QFileInfo::exists(installed) ? installed : beside;
}
