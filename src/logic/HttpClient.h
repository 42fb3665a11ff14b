#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstddef>
#include <mutex>

class TConnectionGuard;
class TConnectionPool;

// What one GET asks for. Every fetch of the program goes through THttpClient with one of these.
struct TFetchRequest {
    static constexpr const char* kUserAgent = "HTTPGET";

    QString url;
    QString userAgent = kUserAgent;
    QString referer;     // none when empty
    QString caFile;      // extra trusted certificates (PEM)
    bool fresh = false;  // from the server itself, never from a cache on the way
    // Each answer as it went over the wire, for a record: redirects included, bodies still in
    // their chunks, every request's head told.
    bool asSent = false;
    // Each answer, redirects included, told with its request's head as sent; bodies as usual.
    bool everyAnswer = false;
    int redirects = 20;  // followed at most, each to http or https only
    int connectTimeoutMs = 30000;
    // The whole transfer; 0: none, though a transfer that receives nothing for a minute ends.
    int timeoutMs = 0;
    TConnectionGuard* guard = nullptr;       // checks every connection it opens
    TConnectionPool* connections = nullptr;  // kept-alive connections to reuse
};

// An answer's head, as received.
struct THttpHead {
    QString url;            // the address asked for
    QByteArray request;     // the request's head as sent (asSent or everyAnswer only)
    QByteArray head;        // status line and headers, CRLFs included
    QByteArray statusLine;  // without its line end
    long status = 0;
    qint64 announced = 0;  // the body's Content-Length; 0 when none was given
};

// Receives a transfer's answers, on the transfer's thread: each as its head, its body, its end.
// Redirects reach it only when the request asks for every answer or the answers as sent.
class THttpSink {
  public:
    virtual ~THttpSink() = default;
    // False when the body is not wanted: the transfer ends there.
    virtual bool Head(const THttpHead& head) = 0;
    // False stops the transfer; Fault() then says why, if the sink knows.
    virtual bool Body(const char* data, size_t size) = 0;
    // The answer ended, whole or cut off.
    virtual void End(bool /*complete*/) {}
    virtual QString Fault() const { return {}; }
};

// How a transfer ended, in facts.
struct TTransferEnd {
    int code = 0;   // libcurl's result, 0 when it went through
    QString error;  // libcurl's words for it
    bool cancelled = false;
    bool refused = false;  // the sink did not want an answer's body
    QString fault;         // why the sink stopped the body
    QString blocked;       // why a connection was refused by the guard
    int timeoutMs = 0;     // as asked
    long status = 0;       // of the last answer, 0 when none came
    QByteArray statusLine;
    QByteArray head;
    qint64 announced = 0;
    qint64 received = 0;  // bytes of the last answer's body
};

// What a finished transfer gave: a whole 2xx answer, an error answer (whole or refused), or no
// answer, with the reason in words.
struct TTransferResult {
    enum class Kind { Complete, HttpError, Stopped, Failed };
    Kind kind = Kind::Failed;
    QString reason;
    bool operator==(const TTransferResult& o) const { return kind == o.kind && reason == o.reason; }
};
TTransferResult ClassifyTransfer(const TTransferEnd& end);
// Whether the connection broke before the answer was whole (worth another try).
bool IsCutOff(const TTransferEnd& end);

// One GET with its redirects, each followed here so that every answer is seen and only http and
// https are ever asked for. Runs on its caller's thread; Cancel() from any thread ends it at
// once. One client makes one transfer at a time; its handles are its own (the connections may be
// a pool's).
class THttpClient {
  public:
    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    TTransferEnd Get(const TFetchRequest& request, THttpSink& sink);
    // Waits ms, or less when cancelled meanwhile (between tries).
    void Wait(int ms);
    void Cancel();
    bool IsCancelled() const { return cancelled_; }

  private:
    struct Handles;
    struct Answer;
    Handles* handles_;
    std::atomic<bool> cancelled_{false};
};

// Connections kept open between transfers, so a run of files from one site pays for one
// connection. Used by one transfer at a time.
class TConnectionPool {
  public:
    TConnectionPool() = default;
    ~TConnectionPool();
    TConnectionPool(const TConnectionPool&) = delete;
    TConnectionPool& operator=(const TConnectionPool&) = delete;
    // Made by the first transfer that asks (the network library loads no sooner); null when the
    // library cannot start.
    void* Handle();

  private:
    std::once_flag made_;
    void* multi_ = nullptr;
};
