#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include <QWebEnginePage>
class TWarcWriter;
class TProtocolPage;

// Records into a web archive every answer the browser engine receives for one page while the
// recorder lives: documents and frames, scripts, styles, images, fonts, the page's own
// requests, redirects and error answers, with the bytes the engine itself received. It speaks
// the engine's debugging protocol through a developer-tools page of its own, inside this
// process: no port is opened, so nobody else can reach the engine through it.
class TEngineRecorder : public QObject {
    Q_OBJECT
  public:
    struct Limits {
        int records = 2000;                   // answers kept for one page
        qint64 bytes = 1024LL * 1024 * 1024;  // their heads and bodies together
    };

    TEngineRecorder(QWebEnginePage* page, TWarcWriter* archive, Limits limits,
                    QObject* parent = nullptr);
    ~TEngineRecorder() override;

    bool IsReady() const { return ready_; }
    // Between Finish and its end.
    bool IsFinishing() const { return finished_ != nullptr; }
    // Records another page from now on (Ready follows), with the limits afresh; the last page's
    // answers not written yet are left out.
    void Attach(QWebEnginePage* page);
    // Records from now on into archive, with the limits afresh (a new page).
    void SetArchive(TWarcWriter* archive);
    // Ends the recording: the answers that have ended are written, then done runs (at most a
    // few seconds later; an answer still arriving then is left out).
    void Finish(std::function<void()> done);

  signals:
    // The engine reports the page's answers from now on: load the page after this.
    void Ready();
    // Something of the page the archive does not hold, in words for the user.
    void Note(const QString& text);
    // The page's top document is being loaded anew (another address, or again).
    void DocumentStarted(const QString& url);

  private:
    struct Answer {
        QJsonObject request;
        QJsonObject sentHeaders;
        QJsonObject response;
        QByteArray headersText;
        int headersStatus = 0;
        qint64 received = 0;
    };

    void Send(const QString& method, const QJsonObject& params = {});
    void Message(const QByteArray& json);
    void Event(const QString& method, const QJsonObject& params);
    void Reply(int id, const QJsonObject& message);
    void Keep(const Answer& answer, const QJsonObject& response, const QByteArray& body);
    QByteArray HeadText(const Answer& answer, const QJsonObject& response) const;
    void EndIfDone();
    QString PageUrl() const;

    QPointer<QWebEnginePage> page_;  // may go first
    TWarcWriter* archive_;
    const Limits limits_;
    TProtocolPage* tools_;
    QTimer attach_;  // asks again until the engine has attached the tools page
    bool ready_ = false;
    int nextId_ = 1;
    int enableId_ = 0;
    int frameTreeId_ = 0;
    int flushId_ = 0;  // the command whose reply comes after every event sent before it
    bool flushed_ = false;
    QString topFrame_;                 // the engine's id of the page's top frame
    QHash<QString, Answer> answers_;   // by the engine's request id
    QHash<int, QString> bodiesAsked_;  // body requests sent, by message id
    int records_ = 0;
    qint64 bytes_ = 0;
    bool full_ = false;
    std::function<void()> finished_;
    QTimer finishLimit_;
};
