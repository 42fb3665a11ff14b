#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include "platform/Outcome.h"
#include "platform/UserFolders.h"

// The options a user expects the program to remember, kept under the settings folder
// (vimbrel/vimbrel.conf). Each change is written at once, and says when it could not be.
class TSettings {
  public:
    explicit TSettings(const TUserFolders& folders);

    bool SaveLoadedFiles() const;
    TOutcome SetSaveLoadedFiles(bool on);
    bool PlayFlashInPages() const;
    TOutcome SetPlayFlashInPages(bool on);
    // The most the movie store and the copies of what movies loaded may each hold on disk
    // (StoreLimitMB, 1024 by default); the least recently used go first.
    qint64 StoreLimitBytes() const;

    // The window as the user left it: geometry, column widths, splitter (opaque bytes of the
    // widgets' own saveState), empty when never saved.
    QByteArray WindowPart(const QString& name) const;
    TOutcome SetWindowPart(const QString& name, const QByteArray& state);
    // The folder last chosen for a transfer.
    QString LastFolder() const;
    TOutcome SetLastFolder(const QString& folder);

  private:
    bool Get(const char* key, bool fallback) const;
    // Writes one value at once; a file that cannot be written says so.
    TOutcome Set(const QString& key, const QVariant& value);

    const QString file_;
};
