#include "support/RawHttpServer.h"

#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

RawHttpServer::RawHttpServer(Respond respond, const std::string& host)
    : stream_([respond](const std::string& request, const auto& send) {
          const std::string response = respond(request);
          send(response.data(), response.size());
      }),
      host_(host) {
    Start();
}

RawHttpServer::RawHttpServer(Stream stream, const std::string& host)
    : stream_(std::move(stream)), host_(host) {
    Start();
}

void RawHttpServer::Start() {
    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, host_.c_str(), &addr.sin_addr);
    addr.sin_port = 0;
    bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listenFd_, 16);
    socklen_t len = sizeof addr;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

RawHttpServer::~RawHttpServer() {
    stopping_ = true;
    thread_.join();
    close(listenFd_);
}

std::string RawHttpServer::Url(const std::string& path) const {
    return "http://" + host_ + ":" + std::to_string(port_) + path;
}

std::vector<std::string> RawHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::string RawHttpServer::Response(int status, const std::string& body,
                                    const std::string& extraHeaders) {
    const char* reason = status == 200   ? "OK"
                         : status == 302 ? "Found"
                         : status == 404 ? "Not Found"
                                         : "Status";
    return "HTTP/1.1 " + std::to_string(status) + " " + reason +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
           extraHeaders + "\r\n" + body;
}

void RawHttpServer::Serve() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) {
            continue;
        }
        const int fd = accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        // One connection at a time: one that says nothing (a browser's spare connection) gives
        // way to the next after a while.
        const timeval wait{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        std::string request;
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                break;
            }
            request.append(buf, static_cast<size_t>(n));
        }
        if (request.empty()) {
            close(fd);  // nothing asked
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        stream_(request, [fd](const char* data, size_t size) {
            while (size > 0) {
                const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
                if (n <= 0) {
                    return false;
                }
                data += n;
                size -= static_cast<size_t>(n);
            }
            return true;
        });
        shutdown(fd, SHUT_WR);
        while (recv(fd, buf, sizeof buf, 0) > 0) {
        }
        close(fd);
    }
}

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

std::string RequestPath(const std::string& request) {
    const std::string line = RequestLine(request);
    const size_t start = line.find(' ');
    const size_t end = line.rfind(' ');
    return start == std::string::npos || end <= start ? std::string()
                                                      : line.substr(start + 1, end - start - 1);
}

RawHttpServer::Stream SlowBody(size_t length, size_t chunk, std::atomic<bool>& sending,
                               std::atomic<bool>& stop) {
    return [length, chunk, &sending, &stop](const std::string&, const auto& send) {
        const std::string head =
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
        send(head.data(), head.size());
        const std::string piece(chunk, 'S');
        for (int i = 0; i < 400 && !stop; ++i) {
            if (!send(piece.data(), piece.size())) {
                return;
            }
            sending = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    };
}
