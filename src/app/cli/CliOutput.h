#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

// What the command line writes: one line per result on standard output (the plain text, or the
// JSON object with --json), failures with their reasons on standard error, and a progress bar
// on standard error when that is a terminal.
class TCliOutput {
  public:
    explicit TCliOutput(bool json);

    // One result: plain (nothing when empty) or, with --json, the JSON object.
    void Result(const QString& plain, const QJsonObject& json);
    // "vimbrel: " and the text on standard error; the run has failed.
    void Failure(const QString& text);
    // The counts of the closing summary.
    void CountPage() { ++pages_; }
    void CountMovies(int movies) { movies_ += movies; }
    void CountSaved(qint64 bytes) {
        ++saved_;
        bytes_ += bytes;
    }
    // One line on standard error: pages (when counted), movies, saved, failed, bytes and time.
    void Summary(bool withPages);
    // The same for something worth knowing that is no failure.
    void Note(const QString& text);
    bool Failed() const { return failed_; }

    // The bar for one transfer: name, bytes so far and announced (0: unknown).
    void Progress(const QString& name, qint64 bytes, qint64 total);
    void EndProgress();

  private:
    const bool json_;
    const bool terminal_;
    bool failed_ = false;
    int failures_ = 0;
    int pages_ = 0;
    int movies_ = 0;
    int saved_ = 0;
    qint64 bytes_ = 0;
    QElapsedTimer running_;
    bool barShown_ = false;
    QString barName_;
    QElapsedTimer barSince_;
};

// "12.3 MB" and the like.
QString ByteCount(qint64 bytes);
