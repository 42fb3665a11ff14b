#include "web/RuntimeServer.h"

#include <httplib.h>

#include <QCoreApplication>

#include "platform/Secrets.h"
#include "web/PlayerServer.h"
#include "web/RuntimeFiles.h"

namespace {
// Pages of the web may reach a loopback address only if its preflight says so; a script element's
// request carries credentials, so the preflight names the page's origin rather than "*". Nothing
// here depends on who asks: the files are the same for every page.
void AnswerPreflight(const httplib::Request& req, httplib::Response& res) {
    res.set_header("Access-Control-Allow-Origin",
                   req.has_header("Origin") ? req.get_header_value("Origin") : "*");
    res.set_header("Access-Control-Allow-Credentials", "true");
    res.set_header("Access-Control-Allow-Private-Network", "true");
    res.set_header("Access-Control-Allow-Methods", "GET");
    res.set_header("Vary", "Origin");
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
    server_.Routes().set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) {
            if (req.method == "OPTIONS") {
                AnswerPreflight(req, res);
                return httplib::Server::HandlerResponse::Handled;
            }
            res.set_header("Access-Control-Allow-Origin", "*");
            if (req.method != "GET" && req.method != "HEAD") {
                res.status = 405;
                return httplib::Server::HandlerResponse::Handled;
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
            return httplib::Server::HandlerResponse::Handled;
        });
    server_.Start();
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
