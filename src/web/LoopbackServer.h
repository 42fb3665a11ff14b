#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A request as the loopback server read it.
struct THttpRequest {
    std::string method;
    std::string target;  // as sent: the path and query, percent-encoding kept
    std::string path;    // the target's path, percent-decoded
    std::vector<std::pair<std::string, std::string>> headers;
    // A header's value (its name's letter case ignored); empty when absent.
    std::string Header(const std::string& name) const;
};

// The answer a handler gives: a short body, or a file sent from disk in pieces.
struct THttpResponse {
    int status = 404;
    std::string contentType = "text/plain";
    std::string body;
    QString file;
    std::vector<std::pair<std::string, std::string>> headers;
    void SetHeader(const std::string& name, const std::string& value) {
        headers.emplace_back(name, value);
    }
};

// An HTTP server on 127.0.0.1 at a port of the system's choice, for the program's own pages,
// that no local process can starve or bring down: one request per connection, a request head
// of limited size and lines that must arrive within a deadline (slow or oversized heads are
// answered 408 or 431 and closed, without holding a worker), a cap on the connections open at
// once (more are answered 503 at once), and a fixed number of workers that run the handler.
class TLoopbackServer {
  public:
    struct Limits {
        int connections = 64;  // open at once, in every state
        int workers = 8;       // handlers running at once
        int headBytes = 16 * 1024;
        int headLines = 100;
        int headMs = 5000;    // from the connection to the end of its request head
        int writeMs = 30000;  // for each piece of an answer to be taken
    };
    using Handler = std::function<void(const THttpRequest&, THttpResponse&)>;

    explicit TLoopbackServer(Limits limits);
    TLoopbackServer() : TLoopbackServer(Limits{}) {}
    ~TLoopbackServer();
    TLoopbackServer(const TLoopbackServer&) = delete;
    TLoopbackServer& operator=(const TLoopbackServer&) = delete;

    // Starts answering with handler (on the workers' threads); false, with Error(), when no
    // port could be had.
    bool Start(Handler handler);
    // Stops answering and waits for the requests under way.
    void Stop();
    int Port() const { return port_; }
    bool IsRunning() const { return port_ > 0; }
    const QString& Error() const { return error_; }

  private:
    struct Reading;
    void Accept(std::vector<Reading>& reading);
    void Poll();
    void Work();
    void Answer(int fd, const THttpRequest& request);
    void Refuse(int fd, int status);

    const Limits limits_;
    Handler handler_;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    int port_ = 0;
    QString error_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> open_{0};  // connections accepted and not yet closed
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::pair<int, THttpRequest>> queue_;
    std::thread poller_;
    std::vector<std::thread> workers_;
};
