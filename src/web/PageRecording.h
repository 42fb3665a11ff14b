#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "platform/Outcome.h"

class QWebEnginePage;
class TEngineRecorder;
class TWarcWriter;

// Keeps, for the page a browser shows, every answer the engine received for it and what the
// movies previewed meanwhile fetched, in an unnamed file that goes with it: the page can then be
// saved as a web archive as it was received, without fetching anything again. A new document in
// the page starts a new recording.
class TPageRecording : public QObject {
    Q_OBJECT
  public:
    // software: the program's name and version, for the archives.
    TPageRecording(QWebEnginePage* page, QString spoolFolder, QString software,
                   QObject* parent = nullptr);
    ~TPageRecording() override;

    // Whether the engine reports to it yet (the first page is recorded once it does).
    bool IsReady() const;
    // Where the page's records go now: the preview records its movies there too.
    std::shared_ptr<TWarcWriter> Current() const { return current_; }
    // Writes the page's records as target (a WACZ package for a name ending in ".wacz"), in the
    // background; done runs here, with the outcome.
    void SaveAs(const QString& target, std::function<void(const TOutcome&)> done);

  signals:
    void Ready();
    // A new page: its records go to archive from now on.
    void ArchiveChanged(std::shared_ptr<TWarcWriter> archive);
    // Something of the page the archive will not hold, in words for the user.
    void Note(const QString& text);

  private:
    void StartPage();

    QWebEnginePage* const page_;
    const QString spoolFolder_;
    const QString software_;
    TEngineRecorder* recorder_;
    std::shared_ptr<TWarcWriter> current_;
};
