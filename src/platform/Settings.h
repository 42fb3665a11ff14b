#pragma once

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

  private:
    bool Get(const char* key, bool fallback) const;
    void Set(const char* key, bool value);

    const QString file_;
};
