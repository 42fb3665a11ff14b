#pragma once

#include <QString>
#include <map>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}

// Serves the player runtime to the pages of the embedded browser, on 127.0.0.1, as a browser
// extension serves its own files to pages: the runtime's files at "/<name>", readable from any
// origin, and nothing else. It knows no secret, no movie, no store and no other path, so a page
// that asks it anything learns only the runtime.
class TRuntimeServer {
  public:
    explicit TRuntimeServer(const QString& runtimeFolder);
    ~TRuntimeServer();

    bool IsRunning() const { return port_ > 0; }
    // "http://127.0.0.1:port/"
    QString BaseUrl() const;

  private:
    const std::map<QString, QString> files_;  // name -> path
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
};

// The runtime server of this process, started on first use.
TRuntimeServer& SharedRuntimeServer();

// Whether the address is one of that server's, if it runs: the player's own files in a page.
bool IsRuntimeAddress(const QString& address);
