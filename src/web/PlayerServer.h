#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "logic/LoadRecorder.h"
#include "web/LoopbackServer.h"

// Values by key, at most a number of them: the oldest goes when a new one would pass it.
template <typename Value>
class TBoundedMap {
  public:
    explicit TBoundedMap(size_t most) : most_(most) {}
    void Insert(const QString& key, Value value) {
        if (values_.emplace(key, std::move(value)).second) {
            order_.push_back(key);
        }
        while (order_.size() > most_) {
            values_.erase(order_.front());
            order_.pop_front();
        }
    }
    const Value* Find(const QString& key) const {
        const auto it = values_.find(key);
        return it == values_.end() ? nullptr : &it->second;
    }

  private:
    const size_t most_;
    std::map<QString, Value> values_;
    std::deque<QString> order_;
};

// Serves the player page, the player runtime's files and the movies registered with it to the
// preview pane, on 127.0.0.1 only, every path behind a secret prefix made at start. Nothing else
// is served: no other file of the runtime folder's surroundings, no other path on disk.
//
// It also serves the frames that play the Flash movies of web pages ("frame?movie=…"): the page
// embeds the frame, which is of another origin, so nothing the frame fetches reaches the page's
// scripts. The movie (only a Flash movie) and its loads are fetched by the program through the
// recorder, a movie on a private address only for a page from one (as the frame's request tells
// by its Referer).
class TPlayerServer {
  public:
    // runtimeFolder holds the player runtime (its .js and .wasm files); loads, when given, fetches
    // what the movies ask for through LoadPrefix().
    explicit TPlayerServer(const QString& runtimeFolder, TLoadRecorder* loads = nullptr);
    ~TPlayerServer();

    bool IsRunning() const { return server_.IsRunning(); }
    // Why it does not run, when it does not.
    const QString& Error() const { return server_.Error(); }
    // "http://127.0.0.1:port/secret"
    QString BaseUrl() const;
    QString PlayerPageUrl() const;
    // Where the frames that play the movies of web pages come from.
    QString FrameUrl() const;

    // Makes a local file available; returns its address on this server.
    QString RegisterMovie(const QString& localFile);
    // Where a movie's loads go, "…/load/<session>/": "http/host/path?query" after it asks this
    // server to fetch http://host/path?query for the movie known as movie, which came from
    // address (empty: unknown).
    QString LoadPrefix(const QString& movie, const QString& address);

    // Told, on a server thread, of every page movie that is not played, and why.
    void OnPageMovieFailed(std::function<void(const QString& movie, const QString& why)> told) {
        pageMovieFailed_ = std::move(told);
    }

    // The most load sessions and page movies kept; the oldest go first.
    static constexpr size_t kMostSessions = 1024;

  private:
    QString PlayerPage() const;
    void ServeLoad(const QString& rest, const THttpRequest& req, THttpResponse& res);
    void ServeFrame(const THttpRequest& req, THttpResponse& res);
    void ServePageMovie(const QString& id, THttpResponse& res);
    QString NewLoadSession(const TLoadRecorder::Movie& movie);

    const QString runtimeFolder_;
    const QString secret_;
    const std::map<QString, QString> runtimeFiles_;  // name -> path
    TLoopbackServer server_;
    mutable std::mutex moviesMutex_;
    std::map<QString, QString> movies_;           // id -> local path
    TBoundedMap<TLoadRecorder::Movie> sessions_;  // load session -> the movie loading
    struct PageMovie {
        TLoadRecorder::Movie asker;  // the page's frame: private addresses for a private page
        QString url;
    };
    TBoundedMap<PageMovie> pageMovies_;  // a page frame's id -> the movie to fetch
    TLoadRecorder* loads_;
    std::function<void(const QString& movie, const QString& why)> pageMovieFailed_;
};

// The folder of the player runtime: "ruffle" beside the executable, else in the installed data
// folder.
QString PlayerRuntimeFolder();
