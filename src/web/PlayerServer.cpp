#include "web/PlayerServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

#include "logic/AddressResolution.h"
#include "logic/LoadRecorder.h"
#include "platform/DataFiles.h"
#include "platform/Secrets.h"
#include "platform/UrlCache.h"
#include "web/RuntimeFiles.h"
#include "web/WebResources.h"

QString PlayerRuntimeFolder() {
    return BesideOrInstalled(QCoreApplication::applicationDirPath(), "ruffle");
}

TPlayerServer::TPlayerServer(const QString& runtimeFolder, TLoadRecorder* loads)
    : runtimeFolder_(runtimeFolder),
      secret_(RandomHex(4)),
      runtimeFiles_(RuntimeFiles(runtimeFolder)),
      sessions_(kMostSessions),
      pageMovies_(kMostSessions),
      loads_(loads) {
    const std::string prefix = "/" + secret_.toStdString() + "/";
    // The player only reads: any other method is refused.
    server_.Start([this, prefix](const THttpRequest& req, THttpResponse& res) {
        if (req.method != "GET") {
            res.status = 405;
            return;
        }
        res.status = 404;
        if (req.path.rfind(prefix, 0) != 0) {
            return;
        }
        const QString rest = QString::fromStdString(req.path.substr(prefix.size()));
        res.SetHeader("Cache-Control", "no-store");
        if (rest == "player.html") {
            res.status = 200;
            res.body = PlayerPage().toStdString();
            res.contentType = "text/html; charset=utf-8";
        } else if (rest.startsWith("ruffle/")) {
            const auto it = runtimeFiles_.find(rest.mid(7));
            if (it != runtimeFiles_.end()) {
                ServeRuntimeFile(res, it->second);
            }
        } else if (rest.startsWith("load/") && loads_) {
            ServeLoad(rest.mid(5), req, res);
        } else if (rest == "frame" && loads_) {
            ServeFrame(req, res);
        } else if (rest.startsWith("pagemovie/") && loads_) {
            ServePageMovie(rest.mid(10), res);
        } else if (rest.startsWith("movie/")) {
            QString path;
            {
                std::lock_guard<std::mutex> lock(moviesMutex_);
                const auto it = movies_.find(rest.mid(6));
                if (it != movies_.end()) {
                    path = it->second;
                }
            }
            if (!path.isEmpty()) {
                ServeRuntimeFile(res, path, "application/x-shockwave-flash");
            }
        }
    });
    if (loads_ && server_.IsRunning()) {
        loads_->ForbidOwnPort(server_.Port());
    }
}

TPlayerServer::~TPlayerServer() {
    server_.Stop();  // before what its requests use goes
}

QString TPlayerServer::BaseUrl() const {
    return QString("http://127.0.0.1:%1/%2").arg(server_.Port()).arg(secret_);
}

QString TPlayerServer::PlayerPageUrl() const {
    return BaseUrl() + "/player.html";
}

QString TPlayerServer::FrameUrl() const {
    return BaseUrl() + "/frame";
}

void TPlayerServer::ServeLoad(const QString& rest, const THttpRequest& req, THttpResponse& res) {
    // "<session>/<scheme>/<host and path>", the query as the movie asked for it.
    const int slash = rest.indexOf('/');
    TLoadRecorder::Movie movie;
    {
        std::lock_guard<std::mutex> lock(moviesMutex_);
        const TLoadRecorder::Movie* found = sessions_.Find(rest.left(slash));
        if (slash < 0 || !found) {
            return;  // 404
        }
        movie = *found;
    }
    // The raw target keeps the movie's own percent-encoding.
    const QString target = QString::fromStdString(req.target);
    const QString prefix = "/" + secret_ + "/load/" + rest.left(slash) + "/";
    const QString address = target.mid(prefix.size());
    const int schemeEnd = address.indexOf('/');
    const QString url = address.left(schemeEnd) + "://" + address.mid(schemeEnd + 1);
    const TLoadRecorder::Answer answer = loads_->Fetch(movie, url);
    if (!answer.file.isEmpty()) {
        // Sent from the kept copy, in pieces.
        ServeRuntimeFile(res, answer.file, answer.type.constData());
        if (res.status == 200) {
            res.status = answer.status;
        }
        return;
    }
    res.status = answer.status > 0 ? answer.status : 502;
    res.body = answer.body.toStdString();
    res.contentType = answer.type.toStdString();
}

QString TPlayerServer::LoadPrefix(const QString& movie, const QString& address) {
    return BaseUrl() + "/load/" + NewLoadSession({movie, address, QString()}) + "/";
}

QString TPlayerServer::NewLoadSession(const TLoadRecorder::Movie& movie) {
    std::lock_guard<std::mutex> lock(moviesMutex_);
    const QString session = RandomHex(2);
    sessions_.Insert(session, movie);
    return session;
}

void TPlayerServer::ServeFrame(const THttpRequest& req, THttpResponse& res) {
    const QUrlQuery ask(QString::fromStdString(req.target).section('?', 1));
    // Whatever the address, the frame tells why it plays nothing: the fetch refuses the rest.
    const QString movie = ask.queryItemValue("movie", QUrl::FullyDecoded);
    res.contentType = "text/html; charset=utf-8";
    // The page that embeds the frame: the engine names its origin, which no page can forge.
    const QUrl page(QString::fromStdString(req.Header("Referer")));
    const QString id = RandomHex(2);
    {
        std::lock_guard<std::mutex> lock(moviesMutex_);
        // The movie is fetched under its own budget, as a page of that origin would ask for it.
        pageMovies_.Insert(id, {{"page player " + id, page.toString(), QString()}, movie});
    }
    // Each player's loads have a budget of their own, and are told as the movie's.
    const QString loads =
        BaseUrl() + "/load/" + NewLoadSession({movie + " " + id, movie, movie}) + "/";
    res.status = 200;
    res.body = WebResource("pageplayer.html")
                   .replace("RUNTIME_BASE", BaseUrl() + "/ruffle")
                   .replace("MOVIE_PATH", "pagemovie/" + id)
                   .replace("LOADS_PREFIX", loads)
                   .toStdString();
}

void TPlayerServer::ServePageMovie(const QString& id, THttpResponse& res) {
    PageMovie movie;
    {
        std::lock_guard<std::mutex> lock(moviesMutex_);
        const PageMovie* found = pageMovies_.Find(id);
        if (!found) {
            return;  // 404
        }
        movie = *found;
    }
    const TLoadRecorder::Answer answer = loads_->Fetch(movie.asker, movie.url);
    QString why;
    if (!answer.refused.isEmpty()) {
        why = answer.refused;
    } else if (answer.status < 200 || answer.status > 299 || answer.file.isEmpty()) {
        why = QString("HTTP %1").arg(answer.status);
    } else if (!IsMovieFile(answer.file)) {
        why = "not a Flash movie";
    } else {
        ServeRuntimeFile(res, answer.file, "application/x-shockwave-flash");
        return;
    }
    res.contentType = "text/plain; charset=utf-8";
    res.status = 502;
    res.body = why.toStdString();
    if (pageMovieFailed_) {
        pageMovieFailed_(movie.url, why);
    }
}

QString TPlayerServer::RegisterMovie(const QString& localFile) {
    std::lock_guard<std::mutex> lock(moviesMutex_);
    // Not to be guessed: a movie that knows its own address learns nothing of another's.
    const QString id = RandomHex(2) + ".swf";
    movies_[id] = localFile;
    return BaseUrl() + "/movie/" + id;
}

QString TPlayerServer::PlayerPage() const {
    return WebResource("previewplayer.html").replace("RUNTIME_BASE/", BaseUrl() + "/ruffle/");
}
