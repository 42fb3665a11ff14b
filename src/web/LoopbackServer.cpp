#include "web/LoopbackServer.h"

#include <httplib.h>

TLoopbackServer::TLoopbackServer() : server_(std::make_unique<httplib::Server>()) {
    server_->set_keep_alive_max_count(1);
}

TLoopbackServer::~TLoopbackServer() {
    Stop();
}

void TLoopbackServer::Start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ > 0) {
        thread_ = std::thread([this] { server_->listen_after_bind(); });
    }
}

void TLoopbackServer::Stop() {
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}
