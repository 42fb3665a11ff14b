#include "platform/Settings.h"

#include <QSettings>

TSettings::TSettings(const TUserFolders& folders)
    : file_(folders.configHome + "/vimbrel/vimbrel.conf") {}

bool TSettings::Get(const char* key, bool fallback) const {
    return QSettings(file_, QSettings::IniFormat).value(key, fallback).toBool();
}

TOutcome TSettings::Set(const QString& key, const QVariant& value) {
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError
               ? TOutcome::Done()
               : TOutcome::Failed("the settings cannot be written to " + file_);
}

bool TSettings::SaveLoadedFiles() const {
    return Get("SaveLoadedFiles", true);
}

TOutcome TSettings::SetSaveLoadedFiles(bool on) {
    return Set("SaveLoadedFiles", on);
}

bool TSettings::PlayFlashInPages() const {
    return Get("PlayFlashInPages", true);
}

TOutcome TSettings::SetPlayFlashInPages(bool on) {
    return Set("PlayFlashInPages", on);
}

qint64 TSettings::StoreLimitBytes() const {
    bool ok = false;
    const qint64 mb =
        QSettings(file_, QSettings::IniFormat).value("StoreLimitMB", 1024).toLongLong(&ok);
    return (ok && mb > 0 ? mb : 1024) * 1024 * 1024;
}

QByteArray TSettings::WindowPart(const QString& name) const {
    return QSettings(file_, QSettings::IniFormat).value("Window/" + name).toByteArray();
}

TOutcome TSettings::SetWindowPart(const QString& name, const QByteArray& state) {
    return Set("Window/" + name, state);
}

QString TSettings::LastFolder() const {
    return QSettings(file_, QSettings::IniFormat).value("LastFolder").toString();
}

TOutcome TSettings::SetLastFolder(const QString& folder) {
    return Set("LastFolder", folder);
}
