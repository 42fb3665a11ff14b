#pragma once

#include <QSet>
#include <map>
#include <vector>

#include <QString>
#include <QStringList>

#include "logic/Job.h"
#include "logic/LoadRecorder.h"

// Copies a list of cached files into one folder, reporting the position, the destination and
// what became of it after every file. Every copy is atomic; a file that fails counts as handled
// and the next one follows. Two sources of the same name in one run do not overwrite each
// other: the later one gets "name (2).swf". Cancelled, the copy in progress is dropped and no
// further file is started.
class TCacheCopyThread : public TJob {
    Q_OBJECT
  public:
    // Folder + the source's file name.
    QString TargetFor(const QString& source) const;
    // The file at index (in the order given) goes into a folder of its own, named after it, with
    // the files its movie loaded (from address) beside it and their manifest. Before Start.
    void CopyWithLoads(int index, const QString& address, std::vector<TLoadedFile> loads);

  signals:
    // After each file: the position, its destination, and whether it was copied.
    void FileCopied(int position, const QString& target, const TOutcome& outcome);

  protected:
    TCacheCopyThread(const QString& folder, const QStringList& files, QObject* owner = nullptr);
    TOutcome Execute() override;

  private:
    TOutcome CopyFileWithLoads(const QString& address, const std::vector<TLoadedFile>& loads,
                               QSet<QString>& written);
    const QStringList Files;  // own copy, in the order given
    const QString Folder;     // ends with "/"
    QString Source;
    QString Target;
    int Copied = 0;
    const int Total;
    std::map<int, std::pair<QString, std::vector<TLoadedFile>>> loads_;  // index -> address, loads
};
