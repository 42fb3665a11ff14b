#pragma once

#include <QByteArray>
#include <QString>

#include "platform/UserFolders.h"

// The options a user expects the program to remember, kept under the settings folder
// (vimbrel/vimbrel.conf).
class TSettings {
  public:
    explicit TSettings(const TUserFolders& folders);

    bool SaveLoadedFiles() const;
    void SetSaveLoadedFiles(bool on);
    bool PlayFlashInPages() const;
    void SetPlayFlashInPages(bool on);
    // The most the movie store and the copies of what movies loaded may each hold on disk
    // (StoreLimitMB, 1024 by default); the least recently used go first.
    qint64 StoreLimitBytes() const;

    // The window as the user left it: geometry, column widths, splitter (opaque bytes of the
    // widgets' own saveState), empty when never saved.
    QByteArray WindowPart(const QString& name) const;
    void SetWindowPart(const QString& name, const QByteArray& state);
    // The folder last chosen for a transfer.
    QString LastFolder() const;
    void SetLastFolder(const QString& folder);

  private:
    bool Get(const char* key, bool fallback) const;
    void Set(const char* key, bool value);

    const QString file_;
};
