#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "logic/HttpGetThread.h"
#include "logic/Job.h"
#include "logic/LoadRecorder.h"

// Where the files a movie loaded go when it is saved with them, relative to the movie's own
// folder, so that it plays offline from there: a file below the movie's folder on its site at
// its path from that folder, any other under a folder named after its host. Whatever the
// addresses say, every path stays inside: no "..", no absolute path, no separator or control
// character in a name, no device name, no name too long, and no two paths that differ only in
// letter case. An empty path: the load is not saved (nothing was kept of it).
QStringList LoadPaths(const QString& movieAddress, const QString& movieFile,
                      const std::vector<TLoadedFile>& loads);

// Copies the files a movie loaded beside the saved movie, at their LoadPaths, and writes the
// manifest (manifest.json: every file's address, saved path, size, SHA-256 and HTTP status, the
// movie first). Every file is written whole or not at all. folder: the movie's folder, ending in
// "/"; movie: the saved movie (its file, size, SHA-256, status).
TOutcome SaveLoadsBeside(const QString& folder, const QString& movieAddress,
                         const TDownloadResult& movie, const std::vector<TLoadedFile>& loads,
                         const std::function<bool()>& cancelled);

// SaveLoadsBeside as a job of its own.
class TSaveLoadsJob : public TJob {
  public:
    // folder: the movie's folder, ending in "/"; movie: what its download gave.

  protected:
    TSaveLoadsJob(QString folder, QString movieAddress, TDownloadResult movie,
                  std::vector<TLoadedFile> loads, QObject* owner = nullptr);
    TOutcome Execute() override;

  private:
    const QString folder_;
    const QString movieAddress_;
    const TDownloadResult movie_;
    const std::vector<TLoadedFile> loads_;
};
