#include "web/RuntimeServer.h"

#include <QCoreApplication>

#include "platform/Secrets.h"
#include "web/PlayerServer.h"
#include "web/RuntimeFiles.h"

namespace {
// Pages of the web may reach a loopback address only if its preflight says so; a script element's
// request carries credentials, so the preflight names the page's origin rather than "*". Nothing
// here depends on who asks: the files are the same for every page.
void AnswerPreflight(const THttpRequest& req, THttpResponse& res) {
    const std::string origin = req.Header("Origin");
    res.SetHeader("Access-Control-Allow-Origin", origin.empty() ? "*" : origin);
    res.SetHeader("Access-Control-Allow-Credentials", "true");
    res.SetHeader("Access-Control-Allow-Private-Network", "true");
    res.SetHeader("Access-Control-Allow-Methods", "GET");
    res.SetHeader("Vary", "Origin");
    res.status = 204;
}
}  // namespace

namespace {
// Only what a page's player runs: no package description, nothing that names a version.
std::map<QString, QString> PlayerFiles(const QString& folder) {
    std::map<QString, QString> files = RuntimeFiles(folder);
    for (auto it = files.begin(); it != files.end();) {
        const bool runs = it->first.endsWith(".js") || it->first.endsWith(".wasm");
        it = runs ? std::next(it) : files.erase(it);
    }
    return files;
}
}  // namespace

TRuntimeServer::TRuntimeServer(const QString& runtimeFolder)
    : files_(PlayerFiles(runtimeFolder)), secret_(RandomHex(2)) {
    server_.Start([this](const THttpRequest& req, THttpResponse& res) {
        if (req.method == "OPTIONS") {
            AnswerPreflight(req, res);
            return;
        }
        res.SetHeader("Access-Control-Allow-Origin", "*");
        if (req.method != "GET" && req.method != "HEAD") {
            res.status = 405;
            return;
        }
        // "/<secret>/<name>": a page of another browser, which cannot know the secret, finds
        // nothing here to tell it the program runs.
        const QString path = QString::fromStdString(req.path);
        const QString prefix = "/" + secret_ + "/";
        const auto it = files_.find(path.mid(prefix.size()));
        if (!path.startsWith(prefix) || path.lastIndexOf('/') != prefix.size() - 1 ||
            it == files_.end()) {
            res.status = 404;
        } else {
            ServeRuntimeFile(res, it->second);
        }
    });
}

QString TRuntimeServer::BaseUrl() const {
    return QString("http://127.0.0.1:%1/%2/").arg(server_.Port()).arg(secret_);
}

namespace {
TRuntimeServer* shared = nullptr;
}

TRuntimeServer& SharedRuntimeServer() {
    if (!shared) {
        shared = new TRuntimeServer(PlayerRuntimeFolder());
        // Stopped with the application, after its pages are gone.
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return *shared;
}

bool IsRuntimeAddress(const QString& address) {
    return shared && address.startsWith(shared->BaseUrl());
}
