#pragma once

#include <QString>
#include <map>
#include <mutex>

#include "web/LoopbackServer.h"

// Serves the player page, the player runtime's files and the movies registered with it to the
// preview pane, on 127.0.0.1 only, every path behind a secret prefix made at start. Nothing else
// is served: no other file of the runtime folder's surroundings, no other path on disk.
class TLoadRecorder;

class TPlayerServer {
  public:
    // runtimeFolder holds the player runtime (its .js and .wasm files); loads, when given, fetches
    // what the movies ask for through LoadPrefix().
    explicit TPlayerServer(const QString& runtimeFolder, TLoadRecorder* loads = nullptr);
    ~TPlayerServer();

    bool IsRunning() const { return server_.IsRunning(); }
    // "http://127.0.0.1:port/secret"
    QString BaseUrl() const;
    QString PlayerPageUrl() const;

    // Makes a local file available; returns its address on this server.
    QString RegisterMovie(const QString& localFile);
    // Where a movie's loads go, "…/load/<session>/": "http/host/path?query" after it asks this
    // server to fetch http://host/path?query for the movie known as movie, which came from
    // address (empty: unknown).
    QString LoadPrefix(const QString& movie, const QString& address);

  private:
    QString PlayerPage() const;
    void ServeLoad(const QString& rest, const THttpRequest& req, THttpResponse& res);

    const QString runtimeFolder_;
    const QString secret_;
    const std::map<QString, QString> runtimeFiles_;  // name -> path
    TLoopbackServer server_;
    mutable std::mutex moviesMutex_;
    std::map<QString, QString> movies_;                        // id -> local path
    std::map<QString, std::pair<QString, QString>> sessions_;  // load session -> movie, address
    TLoadRecorder* loads_;
};

// The folder of the player runtime: "ruffle" beside the executable, else in the installed data
// folder.
QString PlayerRuntimeFolder();
