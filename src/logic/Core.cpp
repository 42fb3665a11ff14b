#include "logic/Core.h"

#include "logic/CacheCopyThread.h"
#include "logic/FindCacheThread.h"
#include "platform/UrlCache.h"

TCore::TCore(const TUserFolders& folders, QObject* parent) : QObject(parent), folders_(folders) {
    connect(&chain_, &TDownloadChain::StatusChanged, this, &TCore::StatusChanged);
    connect(&chain_, &TDownloadChain::ProgressChanged, this, &TCore::ProgressChanged);
    connect(&chain_, &TDownloadChain::Started, this, [this] { emit TransferRunningChanged(true); });
    connect(&chain_, &TDownloadChain::Finished, this,
            [this] { emit TransferRunningChanged(TransferRunning()); });
}

TCore::~TCore() {
    // The jobs end before the lists they fill.
    delete copy_;
    delete scan_;
}

bool TCore::Busy() const {
    return chain_.IsRunning() || copy_ || scan_;
}

void TCore::CancelAll() {
    chain_.Cancel();
    for (TJob* job : std::initializer_list<TJob*>{copy_, scan_}) {
        if (job) {
            job->Cancel();
        }
    }
}

QString TCore::BusyReason() const {
    if (chain_.IsRunning()) {
        return "Movies are being downloaded";
    }
    if (copy_) {
        return "Movies are being copied";
    }
    return scan_ ? "The browser caches are being read" : QString();
}

void TCore::StopTransfers() {
    chain_.Cancel();
    if (copy_) {
        copy_->Cancel();
    }
}

void TCore::ShowPageScan(const TFoundMovieList& found) {
    webMovies_.SetFound(found.Movies());
    webMovies_.SetAllTicked(true);
}

void TCore::AddNetworkMovie(const QString& url, const QString& page) {
    if (webMovies_.WasFound(url)) {
        return;
    }
    TMovieRow row;
    row.address = url;
    row.source = TMovieSource::Network;
    row.document = page;
    row.ticked = true;
    webMovies_.Append(row);
}

TOutcome TCore::StartCopy(const QString& folder) {
    if (copy_) {
        return TOutcome::Failed("cached movies are being copied already");
    }
    QStringList files;
    QList<QPersistentModelIndex> rows;
    for (int i = 0; i < cacheMovies_.Count(); ++i) {
        if (cacheMovies_.Row(i).ticked) {
            files << cacheMovies_.Row(i).localFile;
            rows << QPersistentModelIndex(cacheMovies_.index(i, 0));
        }
    }
    copy_ = new TJobInstance<TCacheCopyThread>(folder, files, this);
    // A movie that loaded files while it played goes with them, as a download does.
    QSet<int> withLoads;
    for (int i = 0; i < rows.size() && chain_.SavesLoads(); ++i) {
        const TMovieRow& row = cacheMovies_.Row(rows[i].row());
        if (row.LoadsKept() > 0) {
            copy_->CopyWithLoads(i, row.address, row.loads);
            withLoads.insert(i);
        }
    }
    connect(copy_, &TCacheCopyThread::FileCopied, this,
            [this, rows, withLoads, copied = 0](int position, const QString& target,
                                                const TOutcome& outcome) mutable {
                const bool loadsToo = withLoads.contains(copied);
                const QPersistentModelIndex row = rows.value(copied++);
                if (row.isValid()) {
                    cacheMovies_.SetStatus(row.row(),
                                           outcome ? TMovieStatus::Saved : TMovieStatus::Failed,
                                           outcome.reason);
                    if (outcome && loadsToo) {
                        cacheMovies_.SetLoadsSaved(row.row());
                    }
                }
                emit FileCopied(row.isValid() ? row.row() : -1, target, outcome);
                emit ProgressChanged(position);
                emit StatusChanged("Copying To: " + target);
            });
    connect(copy_, &TJob::Finished, this, [this, job = copy_](const TOutcome& outcome) {
        job->deleteLater();
        copy_ = nullptr;
        FinishTransfer();
        emit CopyFinished(outcome);
        emit TransferRunningChanged(TransferRunning());
    });
    copy_->Start();
    emit TransferRunningChanged(true);
    return TOutcome::Done();
}

void TCore::RecordLoad(const QString& movie, const TLoadedFile& file, bool limitReached) {
    webMovies_.RecordLoad(movie, file);
    cacheMovies_.RecordLoad(movie, file);
    if (limitReached) {
        emit StatusChanged("Stopped recording what " + movie + " loads: " + file.refused);
    }
}

void TCore::FinishTransfer() {
    emit ProgressChanged(0);
    emit StatusChanged("Done");
}

TOutcome TCore::StartCacheScan() {
    if (scan_) {
        return TOutcome::Failed("the caches are being read already");  // one scan fills the list
    }
    // Looking in the folders and copying movies out is the scan's own work.
    scan_ = new TJobInstance<TFindCacheEntryThread>(
        [folders = folders_, embedded = EmbeddedBrowserCache(ProgramFolders())](TOutcome* kept) {
            return EnumerateUrlCache(TUrlCacheStore::Shared(),
                                     BrowserCacheFolders(folders, embedded), kept);
        },
        this);
    connect(scan_, &TFindCacheEntryThread::RowFound, this, [this](const TCacheRow& found) {
        TMovieRow row;
        row.index = found.index;
        row.localFile = found.localPath;
        row.size = static_cast<qint64>(found.size);
        row.address = found.address;
        row.browser = found.browser;
        // What it loaded when it was played before, as far as the copies are still there.
        row.loads = TLoadRecorder::Kept(PreviewLoadsFolder(), row.localFile);
        cacheMovies_.Append(row);
    });
    connect(scan_, &TJob::Finished, this, [this, job = scan_](const TOutcome& outcome) {
        job->deleteLater();
        scan_ = nullptr;
        emit CacheScanFinished(outcome);
    });
    scan_->Start();
    return TOutcome::Done();
}
