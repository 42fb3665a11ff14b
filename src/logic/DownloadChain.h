#pragma once

#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QSet>
#include <QString>
#include <memory>

#include "logic/HttpGetThread.h"

class TMovieListModel;

// Downloads the ticked rows of a web list that are not saved yet, one after another, into one
// folder: each row's file is named after its address, a name already used in the same command
// is numbered ("a (2).swf"), and a row is marked "Saved" or "Failed" with its reason. A row
// that failed is not tried again by the same command; a later command tries it again. The row
// being downloaded is found by itself, so a list cleared or rebuilt meanwhile is never mismarked.
class TDownloadChain : public QObject {
    Q_OBJECT
  public:
    explicit TDownloadChain(TMovieListModel& list, QObject* parent = nullptr);
    ~TDownloadChain() override;

    // Extra trusted certificates; what every answer looked like (a web archive).
    void SetHttpOptions(const QString& caFile, TResponseRecorder* recorder = nullptr);
    // Files that appear in the folder while the command runs, written by others, are kept.
    void KeepOthersFiles(bool keep) { keepOthersFiles_ = keep; }
    // Whether progress positions are told (a bar shows them), or only bytes received.
    void TellPositions(bool tell) { positions_ = tell; }
    // Whether a movie that loaded files while it played is saved with them, in a folder of its
    // own (see SavedLoads.h).
    void SaveLoads(bool save) { saveLoads_ = save; }

    // Starts with the first ticked row not yet saved into folder (ending in "/"); false when
    // there is none to start.
    bool Start(const QString& folder);
    bool IsRunning() const { return job_ != nullptr || saving_ != nullptr; }
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
    void Finished();

  private:
    void StartDownload();
    void SaveLoadsOf(const TDownloadResult& movie);
    void FinishDownload(const TDownloadResult& result);

    TMovieListModel& list_;
    QString caFile_;
    TResponseRecorder* recorder_ = nullptr;
    bool keepOthersFiles_ = false;
    bool positions_ = true;
    bool saveLoads_ = false;
    QString loadsFolder_;  // the folder of the movie being saved with its loads, if it is
    std::unique_ptr<TConnectionPool> connections_;
    std::unique_ptr<TJobThread> thread_;  // runs the downloads, one after another
    THttpGetThread* job_ = nullptr;       // a child: goes with the chain at the latest
    class TSaveLoadsJob* saving_ = nullptr;
    bool cancelled_ = false;
    QPersistentModelIndex downloadRowRef_;
    QList<QPersistentModelIndex> failedInCommand_;  // not tried again by this command
    QSet<QString> savedInCommand_;                  // files this command wrote
    QSet<QString> inFolderBefore_;                  // names the folder held at the start
};
