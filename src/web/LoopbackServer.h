#pragma once

#include <memory>
#include <thread>

namespace httplib {
class Server;
}

// An HTTP server on 127.0.0.1 at a port of the system's choice, answering on a thread of its own
// once started, with one request per connection so that stopping never waits for an idle
// keep-alive.
class TLoopbackServer {
  public:
    TLoopbackServer();
    ~TLoopbackServer();

    // Where the routes are set, before Start().
    httplib::Server& Routes() { return *server_; }
    void Start();
    // Stops answering and waits for the requests under way.
    void Stop();
    int Port() const { return port_; }
    bool IsRunning() const { return port_ > 0; }

  private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
};
