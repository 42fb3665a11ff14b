#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>

#include "logic/HttpGetThread.h"

class TWebMovieModel;
struct TMovieRow;

// Downloads the ticked rows of a web list that are not saved yet, one after another, into one
// folder: each row's file is named after its address, a name already used in the same command
// is numbered ("a (2).swf"), and a row is marked "Saved" or "Failed" with its reason. A row
// that failed is not tried again by the same command; a later command tries it again. The row
// being downloaded is found by itself, so a list cleared or rebuilt meanwhile is never mismarked.
class TDownloadChain : public QObject {
    Q_OBJECT
  public:
    explicit TDownloadChain(TWebMovieModel& list, QObject* parent = nullptr);
    ~TDownloadChain() override;

    // How every download asks (agent, retries, certificates, a recorder of the answers, whether
    // progress positions are told); the file names and the Referer are the chain's.
    THttpGetOptions& RequestOptions() { return requestOptions_; }
    // Whether an older file of the same name in the folder is replaced (the window's rule), or
    // never: a movie then takes the next free numbered name, reserved as the file is placed, so
    // that other programs saving into the same folder keep their files too.
    void ReplaceExisting(bool replace) { replaceExisting_ = replace; }
    // Whether the names saved by earlier commands of this chain stay taken, so one run of many
    // commands (a batch of pages) numbers them as one command would.
    void NumberAcrossCommands(bool across) { numberAcrossCommands_ = across; }
    // The least time between the starts of two requests to one host.
    void SetHostDelay(int ms) { hostDelayMs_ = ms; }
    // Whether a movie that loaded files while it played is saved with them, in a folder of its
    // own (see SavedLoads.h).
    void SaveLoads(bool save) { saveLoads_ = save; }
    bool SavesLoads() const { return saveLoads_; }
    // Whether the next movie is asked for while the one before is still being told (its row
    // marked, its line written), its file made while the one before is fetched, so that a run
    // of small files keeps the network busy. Only a movie whose file name cannot depend on how
    // the one before ends is asked ahead, and never with a host delay, loads to save or a
    // recorder; a movie asked ahead that a stop or a change of the list overtakes before its
    // turn leaves its row as it was.
    void DownloadAhead(bool ahead) { downloadAhead_ = ahead; }

    // Starts with the first ticked row not yet saved into folder (ending in "/"); false when
    // there is none to start.
    bool Start(const QString& folder);
    bool IsRunning() const {
        return job_ != nullptr || saving_ != nullptr || hostDelay_.isActive();
    }
    void Cancel();

    // The command's state, as the window's operations name it.
    QString TargetFolder;
    QString DownloadUrl;
    QString TargetFile;
    int DownloadRow = -1;
    // Chooses the next row and its file; DownloadUrl and TargetFile stay empty when there is none.
    void SelectNextDownload();
    // Full path for an address in the target folder; empty when the address gives no name.
    QString TargetFileFor(const QString& address) const;

  signals:
    void StatusChanged(const QString& text);
    void ProgressChanged(int position);
    void BytesReceived(qint64 bytes, qint64 total);
    // A row's download ended (row: its place in the list then, or -1 when it is gone).
    void RowFinished(int row, const QString& url, const TDownloadResult& result);
    void Started();
    void Finished();

  private:
    // A download asked for before its turn.
    struct TAhead {
        THttpGetThread* job = nullptr;
        QString url;
        QString file;
        QString referer;
        QPersistentModelIndex row;
        bool withdrawn = false;  // stopped before its turn: a stop is no result for its row
    };

    // Saved, or failed in this command (ref: the row's, when it is ticked and not saved).
    bool DoneInCommand(const TMovieRow& row, const QPersistentModelIndex& ref) const;
    // The first name free for name in the folder, by this command's rule.
    QString FreeTargetPath(const QString& name) const;
    void StartDownload();
    void StartDownloadNow();
    THttpGetThread* MakeJob(const QString& url, const QString& file, const QString& referer,
                            bool openFileBeforehand = false);
    void JobFinished(THttpGetThread* job);
    void QueueAhead();
    void WithdrawAhead();
    void SaveLoadsOf(const TDownloadResult& movie);
    void FinishDownload(const TDownloadResult& result);
    void GoOn();

    TWebMovieModel& list_;
    THttpGetOptions requestOptions_;
    bool replaceExisting_ = true;
    bool numberAcrossCommands_ = false;
    bool saveLoads_ = false;
    bool downloadAhead_ = false;
    int hostDelayMs_ = 0;
    QTimer hostDelay_;                         // waiting to ask a host again
    QHash<QString, QElapsedTimer> lastAsked_;  // when each host was last asked
    QString referer_;                          // of the movie being saved
    QString loadsFolder_;  // the folder of the movie being saved with its loads, if it is
    std::unique_ptr<TConnectionPool> connections_;
    std::unique_ptr<TJobThread> thread_;  // runs the downloads, one after another
    // Opens the file of the movie asked ahead while the one before it is fetched.
    std::unique_ptr<TJobThread> opener_;
    THttpGetThread* job_ = nullptr;  // a child: goes with the chain at the latest
    bool withdrawn_ = false;         // job_ was asked ahead and withdrawn before its turn
    TAhead ahead_;
    class TSaveLoadsJob* saving_ = nullptr;
    bool cancelled_ = false;
    QPersistentModelIndex downloadRowRef_;
    QSet<QPersistentModelIndex> failedInCommand_;  // not tried again by this command
    int doneBefore_ = 0;            // the rows before it are saved or failed in this command
    QSet<QString> savedInCommand_;  // files this command wrote
};
