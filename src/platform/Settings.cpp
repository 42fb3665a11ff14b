#include "platform/Settings.h"

#include <QSettings>

TSettings::TSettings(const TUserFolders& folders)
    : file_(folders.configHome + "/vimbrel/vimbrel.conf") {}

bool TSettings::Get(const char* key, bool fallback) const {
    return QSettings(file_, QSettings::IniFormat).value(key, fallback).toBool();
}

void TSettings::Set(const char* key, bool value) {
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(key, value);
}

bool TSettings::SaveLoadedFiles() const {
    return Get("SaveLoadedFiles", true);
}

void TSettings::SetSaveLoadedFiles(bool on) {
    Set("SaveLoadedFiles", on);
}

bool TSettings::PlayFlashInPages() const {
    return Get("PlayFlashInPages", true);
}

void TSettings::SetPlayFlashInPages(bool on) {
    Set("PlayFlashInPages", on);
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

void TSettings::SetWindowPart(const QString& name, const QByteArray& state) {
    QSettings(file_, QSettings::IniFormat).setValue("Window/" + name, state);
}

QString TSettings::LastFolder() const {
    return QSettings(file_, QSettings::IniFormat).value("LastFolder").toString();
}

void TSettings::SetLastFolder(const QString& folder) {
    QSettings(file_, QSettings::IniFormat).setValue("LastFolder", folder);
}
