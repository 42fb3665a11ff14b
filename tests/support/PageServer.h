#pragma once

#include <httplib.h>

#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Serves fixed pages on loopback; a page's text may name other servers' ports as {A} and {B}.
class PageServer {
  public:
    PageServer() {
        // One request per connection: stopping never waits for a browser's idle keep-alive.
        server_.set_keep_alive_max_count(1);
        server_.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard<std::mutex> lock(asked_mutex_);
                asked_.push_back(req.path);
            }
            const auto handler = handlers_.find(req.path);
            if (handler != handlers_.end()) {
                handler->second(res);
                return;
            }
            const auto it = pages_.find(req.path);
            if (it == pages_.end()) {
                res.status = 404;
                res.set_content("<html><body>missing</body></html>", "text/html");
                return;
            }
            const auto type = types_.find(req.path);
            res.set_content(it->second, type == types_.end() ? "text/html" : type->second.c_str());
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~PageServer() {
        server_.stop();
        thread_.join();
    }
    int Port() const { return port_; }
    // The paths asked for so far, in order.
    std::vector<std::string> Asked() {
        std::lock_guard<std::mutex> lock(asked_mutex_);
        return asked_;
    }
    void Add(const std::string& path, const std::string& html) { pages_[path] = html; }
    // An answer made by the test; requests are served at once, each on a thread of its own.
    void Handle(const std::string& path, std::function<void(httplib::Response&)> handler) {
        handlers_[path] = std::move(handler);
    }
    // Anything else, served with its own content type.
    void Add(const std::string& path, const std::string& body, const std::string& type) {
        pages_[path] = body;
        types_[path] = type;
    }

  private:
    httplib::Server server_;
    std::map<std::string, std::string> pages_;  // filled before any request
    std::map<std::string, std::string> types_;
    std::map<std::string, std::function<void(httplib::Response&)>> handlers_;
    std::mutex asked_mutex_;
    std::vector<std::string> asked_;
    std::thread thread_;
    int port_ = 0;
};

// Replaces every "{A}" and "{B}" in text by the two ports.
inline std::string WithPorts(std::string text, int a, int b) {
    for (auto [key, value] : {std::pair<std::string, int>{"{A}", a}, {"{B}", b}}) {
        for (size_t at; (at = text.find(key)) != std::string::npos;) {
            text.replace(at, key.size(), std::to_string(value));
        }
    }
    return text;
}
