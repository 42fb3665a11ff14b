// The program's loopback servers against local processes that try to starve them: heads that
// trickle, heads too large, and thousands of idle connections.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "web/LoopbackServer.h"
#include "web/PlayerServer.h"

namespace {
int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the server answers on fd within ms (all of it, up to its close).
std::string Answer(int fd, int ms) {
    std::string answer;
    QElapsedTimer waited;
    waited.start();
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int left = ms - static_cast<int>(waited.elapsed());
        if (left <= 0 || ::poll(&p, 1, left) <= 0) {
            return answer;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return answer;
        }
        answer.append(buffer, static_cast<size_t>(n));
    }
}

std::string Get(int port, int ms) {
    const int fd = Connect(port);
    const std::string request = "GET /hello HTTP/1.1\r\nHost: x\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    const std::string answer = Answer(fd, ms);
    ::close(fd);
    return answer;
}

void Hello(const THttpRequest& request, THttpResponse& response) {
    response.status = 200;
    response.body = "hello " + request.path;
}
}  // namespace

// Heads that trickle hold no worker and are ended at their deadline; heads too large are
// refused at once; meanwhile every other request is answered.
TEST(LoopbackServer, SlowAndOversizedHeadsStarveNoOne) {
    TLoopbackServer::Limits limits;
    limits.workers = 2;
    limits.headMs = 3000;
    TLoopbackServer server(limits);
    ASSERT_TRUE(server.Start(Hello));
    std::atomic<bool> stop{false};
    std::vector<int> slow;
    for (int i = 0; i < 12; ++i) {
        slow.push_back(Connect(server.Port()));
    }
    std::thread trickle([&] {
        for (int round = 0; !stop && round < 60; ++round) {
            for (const int fd : slow) {
                ::send(fd, "G", 1, MSG_NOSIGNAL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(Get(server.Port(), 2500).rfind("HTTP/1.1 200", 0), 0u);
    EXPECT_LT(took.elapsed(), 2500);  // before the slow heads' deadline

    const int flood = Connect(server.Port());
    const std::string huge = "GET / HTTP/1.1\r\nX-Flood: " + std::string(1 << 20, 'a');
    ::send(flood, huge.data(), huge.size(), MSG_NOSIGNAL);
    EXPECT_EQ(Answer(flood, 2000).rfind("HTTP/1.1 431", 0), 0u);
    ::close(flood);
    std::string manyLines = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 200; ++i) {
        manyLines += "A: b\r\n";
    }
    const int lines = Connect(server.Port());
    ::send(lines, manyLines.data(), manyLines.size(), MSG_NOSIGNAL);
    EXPECT_EQ(Answer(lines, 2000).rfind("HTTP/1.1 431", 0), 0u);
    ::close(lines);

    for (const int fd : slow) {
        EXPECT_EQ(Answer(fd, 5000).rfind("HTTP/1.1 408", 0), 0u);
        ::close(fd);
    }
    stop = true;
    trickle.join();
}

// Thousands of idle connections are each answered, 503 beyond the cap and 408 at their
// deadline, never left hanging, and the server answers requests again at once.
TEST(LoopbackServer, ThousandsOfIdleConnectionsAreRefusedNotFatal) {
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 9000);
    if (::setrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur < 8300) {
        GTEST_SKIP() << "this process may not open 8,300 files";
    }
    TLoopbackServer::Limits limits;
    limits.headMs = 1000;
    TLoopbackServer server(limits);
    ASSERT_TRUE(server.Start(Hello));
    std::vector<int> idle;
    for (int i = 0; i < 8000; ++i) {
        const int fd = Connect(server.Port());
        if (fd >= 0) {
            idle.push_back(fd);
        }
    }
    EXPECT_GT(idle.size(), 7900u);
    std::this_thread::sleep_for(std::chrono::milliseconds(limits.headMs + 500));
    int answered = 0;
    for (const int fd : idle) {
        const std::string answer = Answer(fd, 1);
        answered += answer.rfind("HTTP/1.1 503", 0) == 0 || answer.rfind("HTTP/1.1 408", 0) == 0;
    }
    EXPECT_GE(answered, static_cast<int>(idle.size()) - limits.connections);
    std::string answer;
    QElapsedTimer waited;
    waited.start();
    while (answer.rfind("HTTP/1.1 200", 0) != 0 && waited.elapsed() < 5000) {
        answer = Get(server.Port(), 1000);
    }
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
    for (const int fd : idle) {
        ::close(fd);
    }
}

// A page that asks the player server for frame after frame makes it remember at most so many:
// the oldest are forgotten, the newest still answer.
TEST(PlayerServer, RemembersABoundedNumberOfPlayers) {
    TBoundedMap<int> players(TPlayerServer::kMostSessions);
    for (int i = 0; i < 3 * static_cast<int>(TPlayerServer::kMostSessions); ++i) {
        players.Insert(QString::number(i), i);
    }
    EXPECT_EQ(players.Find("0"), nullptr);
    EXPECT_EQ(players.Find(QString::number(2 * TPlayerServer::kMostSessions - 1)), nullptr);
    ASSERT_NE(players.Find(QString::number(2 * TPlayerServer::kMostSessions)), nullptr);
    EXPECT_EQ(*players.Find(QString::number(3 * TPlayerServer::kMostSessions - 1)),
              3 * static_cast<int>(TPlayerServer::kMostSessions) - 1);
}
