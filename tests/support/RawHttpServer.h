#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A loopback HTTP server that answers every request with bytes the test chooses, so tests can
// send what well-behaved servers never do: short bodies, missing lengths, odd status lines.
// Serves until destroyed; one connection at a time, each closed after its response.
class RawHttpServer {
  public:
    // The request text (request line and headers) -> the raw response to send.
    using Respond = std::function<std::string(const std::string& request)>;
    // For large bodies: writes the response through send(data, size) itself.
    using Stream = std::function<void(const std::string& request,
                                      const std::function<bool(const char*, size_t)>& send)>;

    // host: the loopback address it listens on.
    explicit RawHttpServer(Respond respond, const std::string& host = "127.0.0.1");
    explicit RawHttpServer(Stream stream, const std::string& host = "127.0.0.1");
    ~RawHttpServer();

    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    std::vector<std::string> Requests() const;

    // A full response with a Content-Length that matches the body.
    static std::string Response(int status, const std::string& body,
                                const std::string& extraHeaders = "");

  private:
    void Start();
    void Serve();

    Stream stream_;
    std::string host_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

// A body that never hurries: announces length bytes, then sends chunk bytes every 50 ms until
// stop (20 s at most). sending turns true once the first chunk is out.
RawHttpServer::Stream SlowBody(size_t length, size_t chunk, std::atomic<bool>& sending,
                               std::atomic<bool>& stop);

// The request line of a request text.
std::string RequestLine(const std::string& request);
// The target of a request ("/a.swf" of "GET /a.swf HTTP/1.1"); empty for no request at all.
std::string RequestPath(const std::string& request);
