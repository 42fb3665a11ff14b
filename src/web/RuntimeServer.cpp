#include "web/RuntimeServer.h"

#include <httplib.h>

#include <QCoreApplication>

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

TRuntimeServer::TRuntimeServer(const QString& runtimeFolder) : files_(RuntimeFiles(runtimeFolder)) {
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
            const auto it = files_.find(QString::fromStdString(req.path).mid(1));
            if (req.path.rfind('/') != 0 || it == files_.end()) {
                res.status = 404;
            } else {
                ServeRuntimeFile(res, it->second);
            }
            return httplib::Server::HandlerResponse::Handled;
        });
    server_.Start();
}

QString TRuntimeServer::BaseUrl() const {
    return QString("http://127.0.0.1:%1/").arg(server_.Port());
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
