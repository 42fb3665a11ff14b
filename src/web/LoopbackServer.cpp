#include "web/LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Outcome.h"

namespace {
const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 431:
            return "Request Header Fields Too Large";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The request line and headers of a head ending in an empty line; false when malformed.
bool Parse(const std::string& head, THttpRequest& request) {
    size_t at = head.find("\r\n");
    const std::string line = head.substr(0, at);
    const size_t first = line.find(' ');
    const size_t last = line.rfind(' ');
    if (first == std::string::npos || last == first || line.compare(last + 1, 5, "HTTP/") != 0) {
        return false;
    }
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, last - first - 1);
    if (request.target.empty() || request.target[0] != '/') {
        return false;
    }
    const std::string path = request.target.substr(0, request.target.find('?'));
    request.path = QUrl::fromPercentEncoding(QByteArray::fromStdString(path)).toStdString();
    while (at != std::string::npos && at + 2 < head.size()) {
        const size_t end = head.find("\r\n", at + 2);
        const std::string header = head.substr(at + 2, end - at - 2);
        const size_t colon = header.find(':');
        if (!header.empty() && colon != std::string::npos) {
            const size_t value = header.find_first_not_of(" \t", colon + 1);
            request.headers.emplace_back(header.substr(0, colon), value == std::string::npos
                                                                      ? std::string()
                                                                      : header.substr(value));
        }
        at = end;
    }
    return true;
}
}  // namespace

std::string THttpRequest::Header(const std::string& name) const {
    const std::string wanted = Lower(name);
    for (const auto& [key, value] : headers) {
        if (Lower(key) == wanted) {
            return value;
        }
    }
    return std::string();
}

// A connection whose request head is still arriving.
struct TLoopbackServer::Reading {
    int fd;
    std::string head;
    QElapsedTimer since;
};

TLoopbackServer::TLoopbackServer(Limits limits) : limits_(limits) {}

TLoopbackServer::~TLoopbackServer() {
    Stop();
}

bool TLoopbackServer::Start(Handler handler) {
    handler_ = std::move(handler);
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd_, SOMAXCONN) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = "the program's loopback server cannot start: " + ErrnoText(errno);
        return false;
    }
    port_ = ntohs(address.sin_port);
    poller_ = std::thread([this] { Poll(); });
    for (int i = 0; i < limits_.workers; ++i) {
        workers_.emplace_back([this] { Work(); });
    }
    return true;
}

void TLoopbackServer::Stop() {
    if (!poller_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    [[maybe_unused]] const ssize_t woke = ::write(wakeFds_[1], "x", 1);
    poller_.join();
    for (std::thread& worker : workers_) {
        worker.join();
    }
    workers_.clear();
    for (const auto& waiting : queue_) {
        ::close(waiting.first);
    }
    queue_.clear();
    ::close(listenFd_);
    ::close(wakeFds_[0]);
    ::close(wakeFds_[1]);
    listenFd_ = wakeFds_[0] = wakeFds_[1] = -1;
}

void TLoopbackServer::Refuse(int fd, int status) {
    const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) +
                               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
    --open_;
}

void TLoopbackServer::Accept(std::vector<Reading>& reading) {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;  // none waiting, or no descriptor left for now: the next round tries again
        }
        ++open_;
        if (open_ > limits_.connections) {
            Refuse(fd, 503);
            continue;
        }
        reading.push_back({fd, {}, {}});
        reading.back().since.start();
    }
}

void TLoopbackServer::Poll() {
    std::vector<Reading> reading;
    std::vector<pollfd> fds;
    while (!stopping_) {
        fds.assign({{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}});
        int wait = -1;
        for (const Reading& r : reading) {
            fds.push_back({r.fd, POLLIN, 0});
            const int left =
                static_cast<int>(std::max<qint64>(0, limits_.headMs - r.since.elapsed()));
            wait = wait < 0 ? left : std::min(wait, left);
        }
        if (::poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents & POLLIN) {
            Accept(reading);
        }
        std::vector<Reading> still;
        for (size_t i = 0; i < reading.size(); ++i) {
            Reading& r = reading[i];
            const short events =
                i + 2 < fds.size() && fds[i + 2].fd == r.fd ? fds[i + 2].revents : 0;
            if (events & (POLLIN | POLLHUP | POLLERR)) {
                char buffer[4096];
                const ssize_t n = ::recv(r.fd, buffer, sizeof buffer, 0);
                if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) {
                    ::close(r.fd);
                    --open_;
                    continue;
                }
                if (n > 0) {
                    r.head.append(buffer, static_cast<size_t>(n));
                }
            }
            const size_t end = r.head.find("\r\n\r\n");
            const size_t lines = static_cast<size_t>(std::count(
                r.head.begin(),
                r.head.begin() + static_cast<std::ptrdiff_t>(std::min(end, r.head.size())), '\n'));
            if (end != std::string::npos && end + 4 <= static_cast<size_t>(limits_.headBytes) &&
                lines <= static_cast<size_t>(limits_.headLines)) {
                THttpRequest request;
                if (!Parse(r.head.substr(0, end + 2), request)) {
                    Refuse(r.fd, 400);
                    continue;
                }
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    queue_.emplace_back(r.fd, std::move(request));
                }
                ready_.notify_one();
            } else if (r.head.size() > static_cast<size_t>(limits_.headBytes) ||
                       lines > static_cast<size_t>(limits_.headLines)) {
                Refuse(r.fd, 431);
            } else if (r.since.elapsed() >= limits_.headMs) {
                Refuse(r.fd, 408);
            } else {
                still.push_back(std::move(r));
            }
        }
        reading.swap(still);
    }
    for (const Reading& r : reading) {
        ::close(r.fd);
        --open_;
    }
}

void TLoopbackServer::Work() {
    for (;;) {
        std::pair<int, THttpRequest> next;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        Answer(next.first, next.second);
        ::close(next.first);
        --open_;
    }
}

void TLoopbackServer::Answer(int fd, const THttpRequest& request) {
    THttpResponse response;
    try {
        handler_(request, response);
    } catch (...) {
        response = THttpResponse();
        response.status = 502;
    }
    // The answer is written with the socket blocking, each piece within the deadline.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const timeval limit{limits_.writeMs / 1000, (limits_.writeMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    QFile file(response.file);
    const bool fromFile = !response.file.isEmpty();
    if (fromFile && !file.open(QIODevice::ReadOnly)) {
        response.status = 404;
    }
    const qint64 length =
        fromFile && file.isOpen() ? file.size() : static_cast<qint64>(response.body.size());
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       Reason(response.status) + "\r\nConnection: close\r\n";
    if (response.status != 204) {
        head += "Content-Type: " + response.contentType +
                "\r\nContent-Length: " + std::to_string(length) + "\r\n";
    }
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
    }
    head += "\r\n";
    if (!SendAll(fd, head.data(), head.size()) || request.method == "HEAD" ||
        response.status == 204) {
        return;
    }
    if (!fromFile) {
        SendAll(fd, response.body.data(), response.body.size());
        return;
    }
    char block[64 * 1024];
    for (qint64 n; !stopping_ && (n = file.read(block, sizeof block)) > 0;) {
        if (!SendAll(fd, block, static_cast<size_t>(n))) {
            return;
        }
    }
}
