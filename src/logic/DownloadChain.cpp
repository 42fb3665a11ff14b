#include "logic/DownloadChain.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <memory>

#include "logic/AddressResolution.h"
#include "logic/MovieList.h"
#include "logic/SavedLoads.h"
#include "logic/TargetNames.h"
#include "platform/FileOps.h"

namespace {
// The page a movie was found on, as a browser says; an address given directly has none.
QString RefererOf(const TMovieRow& row) {
    return row.source == TMovieSource::CommandLine ? QString() : row.document;
}
}  // namespace

TDownloadChain::TDownloadChain(TWebMovieModel& list, QObject* parent)
    : QObject(parent), list_(list), connections_(std::make_unique<TConnectionPool>()) {
    // Rows added, removed or replaced: the rows looked at before may have moved, and the movie
    // asked ahead may no longer be the next.
    const auto lookAgain = [this] {
        doneBefore_ = 0;
        WithdrawAhead();
    };
    connect(&list_, &QAbstractItemModel::modelReset, this, lookAgain);
    connect(&list_, &QAbstractItemModel::layoutChanged, this, lookAgain);
    connect(&list_, &QAbstractItemModel::rowsInserted, this, lookAgain);
    connect(&list_, &QAbstractItemModel::rowsRemoved, this, lookAgain);
    hostDelay_.setSingleShot(true);
    hostDelay_.setTimerType(Qt::PreciseTimer);  // never sooner than asked
    connect(&hostDelay_, &QTimer::timeout, this, &TDownloadChain::StartDownloadNow);
}

TDownloadChain::~TDownloadChain() {
    delete job_;  // before the connections and the thread it uses
    delete ahead_.job;
    delete saving_;
}

bool TDownloadChain::Start(const QString& folder) {
    if (IsRunning()) {
        return false;
    }
    TargetFolder = folder;
    cancelled_ = false;
    failedInCommand_.clear();
    doneBefore_ = 0;
    if (!numberAcrossCommands_) {
        savedInCommand_.clear();
    }
    SelectNextDownload();
    if (DownloadUrl.isEmpty() || TargetFile.isEmpty()) {
        return false;
    }
    emit StatusChanged("Downloading " + DownloadUrl);
    StartDownload();
    emit Started();
    return true;
}

void TDownloadChain::Cancel() {
    cancelled_ = true;
    if (hostDelay_.isActive()) {
        // Nothing has been asked for the row yet: it stays as it was.
        hostDelay_.stop();
        QMetaObject::invokeMethod(this, &TDownloadChain::Finished, Qt::QueuedConnection);
    }
    for (TJob* job : std::initializer_list<TJob*>{job_, saving_}) {
        if (job) {
            job->Cancel();
        }
    }
    WithdrawAhead();
}

void TDownloadChain::WithdrawAhead() {
    if (ahead_.job) {
        ahead_.job->Cancel();
        ahead_.withdrawn = true;
    }
}

QString TDownloadChain::TargetFileFor(const QString& address) const {
    const QString name = MovieFileName(address);
    return name.isEmpty() ? QString() : TargetFolder + DiskFileName(name);
}

bool TDownloadChain::DoneInCommand(const TMovieRow& row, const QPersistentModelIndex& ref) const {
    return row.status == TMovieStatus::Saved ||
           (row.status == TMovieStatus::Failed && failedInCommand_.contains(ref));
}

QString TDownloadChain::FreeTargetPath(const QString& name) const {
    return UniqueTargetPath(
        TargetFolder, name, savedInCommand_, [](const QString& p) { return QFileInfo::exists(p); },
        replaceExisting_);
}

void TDownloadChain::SelectNextDownload() {
    DownloadUrl.clear();
    TargetFile.clear();
    loadsFolder_.clear();
    DownloadRow = -1;
    downloadRowRef_ = QPersistentModelIndex();
    bool donePrefix = true;  // every row so far is saved or failed in this command
    for (int i = doneBefore_; i < list_.Count(); ++i) {
        const TMovieRow& row = list_.Row(i);
        const bool saved = row.status == TMovieStatus::Saved;
        const QPersistentModelIndex ref = saved || !row.ticked
                                              ? QPersistentModelIndex()
                                              : QPersistentModelIndex(list_.index(i, 0));
        const bool done = DoneInCommand(row, ref);
        donePrefix = donePrefix && done;
        if (donePrefix) {
            doneBefore_ = i + 1;  // never to be looked at again by this command
        }
        if (!row.ticked || done) {
            continue;
        }
        if (!IsHttpAddress(row.address)) {
            // Addresses come from pages: another scheme is never fetched, so the row fails here.
            TDownloadResult refused;
            refused.reason = "not an http or https address";
            list_.SetStatus(i, TMovieStatus::Failed, refused.reason);
            failedInCommand_ << ref;
            emit RowFinished(i, row.address, refused);
            continue;
        }
        DownloadRow = i;
        downloadRowRef_ = ref;
        DownloadUrl = row.address;
        referer_ = RefererOf(row);
        const QString name = DiskFileName(MovieFileName(DownloadUrl));
        if (name.isEmpty()) {
            return;
        }
        if (saveLoads_ && row.LoadsKept() > 0) {
            // A folder of its own, named after the movie, holds it and what it loads.
            const QString stem = QFileInfo(name).completeBaseName();
            loadsFolder_ = FreeTargetPath(stem.isEmpty() ? name : stem) + "/";
            TargetFile = loadsFolder_ + name;
        } else {
            TargetFile = FreeTargetPath(name);
        }
        return;
    }
}

void TDownloadChain::StartDownload() {
    const QString host = QUrl(DownloadUrl).host().toLower();
    const auto last = lastAsked_.constFind(host);
    const qint64 wait = last == lastAsked_.constEnd() ? 0 : hostDelayMs_ - last->elapsed();
    if (wait > 0) {
        hostDelay_.start(static_cast<int>(wait));
    } else {
        StartDownloadNow();
    }
}

void TDownloadChain::StartDownloadNow() {
    if (hostDelayMs_ > 0) {
        lastAsked_[QUrl(DownloadUrl).host().toLower()].start();
    }
    if (!loadsFolder_.isEmpty()) {
        // Never through a link that stands where the movie's folder goes.
        const TOutcome made = MakeFolderInside(TargetFolder, LastPathPart(loadsFolder_.chopped(1)));
        if (!made) {
            TDownloadResult refused;
            refused.reason = made.reason;
            QMetaObject::invokeMethod(
                this, [this, refused] { FinishDownload(refused); }, Qt::QueuedConnection);
            return;
        }
    }
    job_ = MakeJob(DownloadUrl, TargetFile, referer_);
    withdrawn_ = false;
    QueueAhead();
}

THttpGetThread* TDownloadChain::MakeJob(const QString& url, const QString& file,
                                        const QString& referer, bool openFileBeforehand) {
    THttpGetThread::Options options = requestOptions_;
    if (openFileBeforehand) {
        // Making a file can cost more than fetching a small movie: it is done beside the fetch.
        if (!opener_) {
            opener_ = std::make_unique<TJobThread>();
        }
        options.openedFile = OpenFileOn(*opener_, file);
    }
    options.connections = connections_.get();
    options.keepOthersFiles = !replaceExisting_;
    options.numberFrom = TargetFolder + DiskFileName(MovieFileName(url));
    options.referer = referer;
    auto* job = new TJobInstance<THttpGetThread>(url, file, options, this);
    connect(job, &THttpGetThread::Progress, this, &TDownloadChain::ProgressChanged);
    connect(job, &THttpGetThread::Received, this, &TDownloadChain::BytesReceived);
    connect(job, &TJob::Finished, this, [this, job] { JobFinished(job); });
    if (!thread_) {
        thread_ = std::make_unique<TJobThread>();
    }
    job->Start(thread_.get());  // after the one before it, on the same thread
    return job;
}

// Jobs end in the order they were started, so the one ending is the current one: a job asked
// ahead has become current when the one before it was told.
void TDownloadChain::JobFinished(THttpGetThread* job) {
    const TDownloadResult result = job->Result();
    const bool stoppedBeforeItsTurn = withdrawn_ && job->Outcome().stopped;
    job->deleteLater();  // it is still delivering this signal
    job_ = nullptr;
    if (stoppedBeforeItsTurn) {
        GoOn();  // its row stays as it was
    } else if (result.saved && !loadsFolder_.isEmpty() && downloadRowRef_.isValid()) {
        SaveLoadsOf(result);
    } else {
        FinishDownload(result);
    }
}

void TDownloadChain::QueueAhead() {
    // A record of the answers stops the command at its first failure, before the next request.
    if (!downloadAhead_ || hostDelayMs_ > 0 || saveLoads_ || requestOptions_.recorder ||
        cancelled_ || ahead_.job || !job_ || !downloadRowRef_.isValid()) {
        return;
    }
    for (int i = downloadRowRef_.row() + 1; i < list_.Count(); ++i) {
        const TMovieRow& row = list_.Row(i);
        const QPersistentModelIndex ref(list_.index(i, 0));
        if (!row.ticked || DoneInCommand(row, ref)) {
            continue;
        }
        // A refused scheme is told in its turn. How the current movie ends can change the next
        // one's name only when that name is the current movie's: then it waits for its turn.
        const QString name = DiskFileName(MovieFileName(row.address));
        if (!IsHttpAddress(row.address) || name.isEmpty()) {
            return;
        }
        const QString file = FreeTargetPath(name);
        if (file == TargetFile) {
            return;
        }
        const QString referer = RefererOf(row);
        ahead_ = TAhead{MakeJob(row.address, file, referer, true), row.address, file, referer, ref};
        return;
    }
}

void TDownloadChain::SaveLoadsOf(const TDownloadResult& movie) {
    saving_ = new TJobInstance<TSaveLoadsJob>(loadsFolder_, DownloadUrl, movie,
                                              list_.Row(downloadRowRef_.row()).loads, this);
    connect(saving_, &TJob::Finished, this, [this, movie](const TOutcome& outcome) {
        saving_->deleteLater();
        saving_ = nullptr;
        TDownloadResult result = movie;
        result.saved = outcome.ok;
        result.reason = outcome.reason;
        FinishDownload(result);
    });
    saving_->Start(thread_.get());
}

void TDownloadChain::FinishDownload(const TDownloadResult& result) {
    const QString url = DownloadUrl;
    int row = -1;
    // The row is found by itself: a row cleared or rebuilt meanwhile is not marked.
    if (downloadRowRef_.isValid()) {
        row = downloadRowRef_.row();
        list_.SetStatus(row, result.saved ? TMovieStatus::Saved : TMovieStatus::Failed,
                        result.reason, result.saved ? result.file : QString());
        if (result.saved && !loadsFolder_.isEmpty()) {
            list_.SetLoadsSaved(row);
        }
        if (!result.saved) {
            failedInCommand_ << downloadRowRef_;
        }
    }
    if (result.saved) {
        savedInCommand_.insert(result.file);
    }
    if (!loadsFolder_.isEmpty()) {
        savedInCommand_.insert(loadsFolder_.chopped(1));  // the folder's name is taken too
    }
    emit RowFinished(row, url, result);
    emit ProgressChanged(0);
    emit StatusChanged("Done");
    GoOn();
}

// Goes on with the movie asked ahead, else with the next row; or ends the command.
void TDownloadChain::GoOn() {
    if (ahead_.job) {
        // Its turn, even when stopped: its end is waited for.
        job_ = ahead_.job;
        withdrawn_ = ahead_.withdrawn;
        DownloadUrl = ahead_.url;
        TargetFile = ahead_.file;
        referer_ = ahead_.referer;
        downloadRowRef_ = ahead_.row;
        DownloadRow = downloadRowRef_.isValid() ? downloadRowRef_.row() : -1;
        loadsFolder_.clear();
        ahead_ = TAhead();
        if (!withdrawn_) {
            emit StatusChanged("downloading " + DownloadUrl);
            QueueAhead();
        }
        return;
    }
    if (cancelled_) {
        emit Finished();
        return;  // the command ends here
    }
    SelectNextDownload();
    if (!DownloadUrl.isEmpty() && !TargetFile.isEmpty()) {
        emit StatusChanged("downloading " + DownloadUrl);
        StartDownload();
    } else {
        emit Finished();
    }
}
