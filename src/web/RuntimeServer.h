#pragma once

#include <QString>
#include <map>

#include "web/LoopbackServer.h"

// Serves the player runtime to the pages of the embedded browser, on 127.0.0.1, as a browser
// extension serves its own files to pages: the runtime's scripts and code at "/<secret>/<name>",
// readable from any origin, and nothing else. The secret, made at start, is given only to the
// embedded browser's pages, so a page in another browser cannot find the server. It knows no
// movie, no store and no other path, so a page that asks it anything learns only the runtime.
class TRuntimeServer {
  public:
    explicit TRuntimeServer(const QString& runtimeFolder);
    bool IsRunning() const { return server_.IsRunning(); }
    // "http://127.0.0.1:port/secret/"
    QString BaseUrl() const;

  private:
    const std::map<QString, QString> files_;  // name -> path
    const QString secret_;
    TLoopbackServer server_;
};

// The runtime server of this process, started on first use.
TRuntimeServer& SharedRuntimeServer();

// Whether the address is one of that server's, if it runs: the player's own files in a page.
bool IsRuntimeAddress(const QString& address);
