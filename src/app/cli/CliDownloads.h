#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <functional>
#include <map>
#include <vector>

#include "app/cli/CliCommand.h"
#include "logic/Core.h"
#include "logic/SavedIndex.h"

class TCliOutput;

// Where a movie was found, as the JSON output names it.
QString SourceName(TMovieSource source);

// A movie of the web list as a JSON line: page, index, address, found, document, status, reason,
// size, saved, sha256.
QJsonObject MovieJson(const QString& page, int index, const TMovieRow& row,
                      const QByteArray& sha256 = {});

// What movies that were played loaded, by movie address.
using TPlayedLoads = std::map<QString, std::vector<TLoadedFile>>;

// The files a movie loaded as a JSON array: address, status, size, sha256, and why one was
// refused.
QJsonArray LoadsJson(const std::vector<TLoadedFile>& loads);

// Downloads movies one after another into a folder through the core's chain (its names and
// atomic files), telling each as it ends: the saved path, or the failure with its reason. Every
// Run of one object is one batch: a name saved earlier in it is never reused, and by default
// no file already in the folder is replaced. What is saved is added to the folder's record. A
// web archive that cannot be written stops the batch.
class TCliDownloads : public QObject {
    Q_OBJECT
  public:
    TCliDownloads(TCore& core, TCliOutput& output, const TCliDownloadOptions& options,
                  QObject* parent = nullptr);

    // page: where the movies were found (empty for addresses given); played: what those that
    // were played loaded, each saved with its movie in a folder of its own (and told in the
    // movie's JSON line); done runs once all ended.
    void Run(const QString& page, const std::vector<TFoundMovie>& movies,
             const TPlayedLoads& played, const QString& folder, std::function<void()> done);
    // The web archive has failed: told once, and nothing more is fetched.
    bool ArchiveFailed() const { return archiveFailed_; }

  private:
    void Finished(int row, const QString& url, const TDownloadResult& result);
    void CheckArchive();

    TCore& core_;
    TCliOutput& output_;
    const TCliDownloadOptions options_;
    std::unique_ptr<TSavedIndex> index_;  // of the folder
    QString folder_;
    QString page_;
    TPlayedLoads played_;
    bool archiveFailed_ = false;
    std::function<void()> done_;
};
