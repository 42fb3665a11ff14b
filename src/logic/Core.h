#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "logic/DownloadChain.h"
#include "logic/MovieList.h"
#include "platform/UserFolders.h"

class TCacheCopyThread;
class TFindCacheEntryThread;

// The program's work, which a front end (the window, the command line) drives and shows: the two
// movie lists, the download chain, the copy of cached movies and the cache scan. Status texts
// and progress positions come out of it as the status bar shows them. Busy while the chain, a
// copy or a scan runs; CancelAll stops them all, leaving no partial file.
class TCore : public QObject {
    Q_OBJECT
  public:
    // folders: whose browsers the cache scan reads.
    explicit TCore(const TUserFolders& folders, QObject* parent = nullptr);
    ~TCore() override;

    TWebMovieModel& WebMovies() { return webMovies_; }
    TCacheMovieModel& CacheMovies() { return cacheMovies_; }
    TDownloadChain& Chain() { return chain_; }
    const TUserFolders& Folders() const { return folders_; }

    bool Busy() const;
    bool CopyRunning() const { return copy_ != nullptr; }
    bool CacheScanRunning() const { return scan_ != nullptr; }
    // A download chain or a copy: work the user may stop.
    bool TransferRunning() const { return chain_.IsRunning() || copy_ != nullptr; }
    // What keeps the program busy, as a sentence; empty when idle.
    QString BusyReason() const;
    void CancelAll();
    // Stops the download chain or the copy: the file being written is dropped and its row fails
    // ("stopped"); the rows not reached yet stay as they were.
    void StopTransfers();

    // Lists a loaded page's movies, every row "New" and ticked.
    void ShowPageScan(const TFoundMovieList& found);
    // A movie the page fetched after its scan: a new ticked row unless it was found before.
    void AddNetworkMovie(const QString& url, const QString& page);

    // Copies the ticked cache rows into folder (ending in "/"); refused while a copy runs.
    TOutcome StartCopy(const QString& folder);
    // Lists the movies of the URL cache: the store, the embedded browser's, the desktop's;
    // refused while a scan runs.
    TOutcome StartCacheScan();
    // The end of a copy: the bar empty, the status "Done".
    void FinishTransfer();
    // A file the movie known as movie (an address, or a cached copy's path) loaded while it
    // played; when its loads have passed a limit, the status says so.
    void RecordLoad(const QString& movie, const TLoadedFile& file, bool limitReached);

  signals:
    void StatusChanged(const QString& text);
    void ProgressChanged(int position);
    // A cache row's file has been copied to target, or not (row: its place then, -1 if gone).
    void FileCopied(int row, const QString& target, const TOutcome& outcome);
    void CopyFinished(const TOutcome& outcome);
    void CacheScanFinished(const TOutcome& outcome);
    // A transfer started, or the last one ended.
    void TransferRunningChanged(bool running);

  private:
    const TUserFolders folders_;
    TWebMovieModel webMovies_;
    TCacheMovieModel cacheMovies_;
    TDownloadChain chain_{webMovies_};
    TCacheCopyThread* copy_ = nullptr;       // a child while it runs
    TFindCacheEntryThread* scan_ = nullptr;  // a child while it runs
};
