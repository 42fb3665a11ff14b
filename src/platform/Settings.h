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

  private:
    bool Get(const char* key, bool fallback) const;
    void Set(const char* key, bool value);

    const QString file_;
};
