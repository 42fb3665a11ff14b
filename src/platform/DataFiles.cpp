#include "platform/DataFiles.h"

#include <QDir>
#include <QFileInfo>

QString BesideOrInstalled(const QString& executableFolder, const QString& name) {
    const QString beside = QDir(executableFolder).filePath(name);
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    // bin/ and libexec/vimbrel/ of an installed prefix.
    for (const char* up : {"/../", "/../../"}) {
        const QString installed = QDir::cleanPath(executableFolder + up + "share/vimbrel/" + name);
        if (QFileInfo::exists(installed)) {
            return installed;
        }
    }
    return beside;
}
