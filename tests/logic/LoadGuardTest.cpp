// What a playing movie may reach through the program, with loopback servers standing in for
// the internet (addresses the test counts as public) and for the intranet (the others).
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "TestUtil.h"
#include "logic/AddressGuard.h"
#include "logic/CrossDomainPolicy.h"
#include "logic/LoadRecorder.h"
#include "support/Files.h"
#include "support/RawHttpServer.h"

namespace {
const std::string kMovieHost = "127.0.0.9";    // public, the movie's own
const std::string kOtherHost = "127.0.0.10";   // public, no policy
const std::string kFriendHost = "127.0.0.11";  // public, its policy allows the movie's host
const std::string kIntranet = "127.0.0.5";     // private

class LoadGuard : public ::testing::Test {
  protected:
    LoadGuard() {
        TreatAsPublicForTests({QString::fromStdString(kMovieHost),
                               QString::fromStdString(kOtherHost),
                               QString::fromStdString(kFriendHost)});
    }
    ~LoadGuard() override { TreatAsPublicForTests({}); }

    static std::string Serve(const std::string& request, const std::string& policy) {
        const std::string line = RequestLine(request);
        if (line.find("/crossdomain.xml") != std::string::npos) {
            return policy.empty() ? RawHttpServer::Response(404, "none")
                                  : RawHttpServer::Response(200, policy);
        }
        if (line.find("/child.swf") != std::string::npos) {
            return RawHttpServer::Response(200, "FWS child");
        }
        return RawHttpServer::Response(200, "data of " + line);
    }

    TLoadRecorder::Answer Fetch(const std::string& movie, const std::string& url) {
        return recorder_.Fetch({QString::fromStdString(movie), QString::fromStdString(movie)},
                               QString::fromStdString(url));
    }

    RawHttpServer intranet_{[](const std::string& r) { return Serve(r, ""); }, kIntranet};
    RawHttpServer movieSite_{[this](const std::string& r) {
                                 if (RequestLine(r).find("/to-intranet") != std::string::npos) {
                                     return RawHttpServer::Response(
                                         302, "", "Location: " + intranet_.Url("/secret") + "\r\n");
                                 }
                                 return Serve(r, "");
                             },
                             kMovieHost};
    RawHttpServer other_{[](const std::string& r) { return Serve(r, ""); }, kOtherHost};
    RawHttpServer friend_{[](const std::string& r) {
                              return Serve(r,
                                           "<?xml version=\"1.0\"?><cross-domain-policy>"
                                           "<allow-access-from domain=\"127.0.0.9\"/>"
                                           "</cross-domain-policy>");
                          },
                          kFriendHost};
    QTemporaryDir copies_;
    std::vector<TLoadedFile> told_;
    TLoadRecorder recorder_{
        copies_.path(), [this](const QString&, const TLoadedFile& f, bool) { told_.push_back(f); }};
};
}  // namespace

// A movie from the internet reaches the internet, not the intranet (not by name, not by a
// redirect), and another host's data only where that host's policy allows it.
TEST_F(LoadGuard, AMovieFromTheInternetReachesNothingPrivate) {
    const std::string movie = movieSite_.Url("/game/m.swf");
    const std::string intranetPort = std::to_string(intranet_.Port());
    const struct {
        std::string url;
        int status;
        QString refused;  // a part of why, when refused
    } loads[] = {
        {movieSite_.Url("/game/vars.txt"), 200, ""},
        {intranet_.Url("/secret"), 403, "private network address (127.0.0.5)"},
        {"http://localhost:" + intranetPort + "/secret", 403, "private network address"},
        {"http://[::1]:" + intranetPort + "/secret", 403, "private network address"},
        {movieSite_.Url("/to-intranet"), 403, "private network address (127.0.0.5)"},
        {other_.Url("/vars.txt"), 403,
         "not allowed by " + QString::fromStdString(other_.Url("/crossdomain.xml"))},
        {other_.Url("/child.swf"), 200, ""},  // movies load from any public host
        {friend_.Url("/vars.txt"), 200, ""},
        {"http://user:pw@" + kMovieHost + ":" + std::to_string(movieSite_.Port()) + "/v.txt", 403,
         "user name"},
    };
    for (const auto& load : loads) {
        const auto answer = Fetch(movie, load.url);
        EXPECT_EQ(answer.status, load.status) << load.url;
        EXPECT_TRUE(told_.back().refused.contains(load.refused))
            << load.url << ": " << told_.back().refused.toStdString();
    }
    for (const std::string& request : intranet_.Requests()) {
        ADD_FAILURE() << "the intranet was asked: " << RequestLine(request);
    }
}

// A movie from the intranet may load from there, but never from the program's own servers.
TEST_F(LoadGuard, AMovieFromTheIntranetReachesItsOwnNetworkButNotTheProgram) {
    const std::string movie = intranet_.Url("/m.swf");
    EXPECT_EQ(Fetch(movie, intranet_.Url("/vars.txt")).status, 200);
    recorder_.ForbidOwnPort(intranet_.Port());
    EXPECT_EQ(Fetch(movie, intranet_.Url("/vars.txt")).status, 403);
    EXPECT_EQ(told_.back().refused, "the program's own server is not fetched");
}

// Concurrent loads share one budget, every byte counted: six loads of 1 MB with 3 MB to spend
// keep at most 3 MB; a trickling load is stopped at once by a new movie, and by its deadline.
TEST(LoadBudget, ConcurrentLoadsStayWithinTheMoviesLimits) {
    RawHttpServer server(
        [](const std::string&) { return RawHttpServer::Response(200, std::string(1 << 20, 'd')); });
    QTemporaryDir copies;
    TLoadLimits limits;
    limits.bytes = 3 << 20;
    limits.loadMs = 4000;
    std::atomic<qint64> kept{0};
    TLoadRecorder recorder(
        copies.path(),
        [&](const QString&, const TLoadedFile& f, bool) {
            if (!f.localFile.isEmpty()) {
                kept += f.size;
            }
        },
        limits);
    const TLoadRecorder::Movie movie{"m", QString::fromStdString(server.Url("/m.swf"))};
    std::vector<std::thread> loads;
    for (int i = 0; i < 6; ++i) {
        loads.emplace_back(
            [&] { recorder.Fetch(movie, QString::fromStdString(server.Url("/big"))); });
    }
    for (std::thread& load : loads) {
        load.join();
    }
    EXPECT_GT(kept.load(), 0);
    EXPECT_LE(kept.load(), limits.bytes);

    std::atomic<bool> sending{false};
    std::atomic<bool> stop{false};
    RawHttpServer trickle(SlowBody(1 << 20, 1, sending, stop));
    const TLoadRecorder::Movie other{"other", QString::fromStdString(trickle.Url("/m.swf"))};
    TLoadRecorder::Answer cancelled;
    std::thread load(
        [&] { cancelled = recorder.Fetch(other, QString::fromStdString(trickle.Url("/a"))); });
    ASSERT_TRUE(WaitUntil([&] { return sending.load(); }, 5000));
    QElapsedTimer took;
    took.start();
    recorder.CancelLoads();
    load.join();
    EXPECT_LT(took.elapsed(), 3000);  // before the deadline could end it
    EXPECT_EQ(cancelled.body, "stopped");
    stop = true;

    std::atomic<bool> sending2{false};
    std::atomic<bool> stop2{false};
    RawHttpServer slow(SlowBody(1 << 20, 1, sending2, stop2));
    const auto late = recorder.Fetch(other, QString::fromStdString(slow.Url("/b")));
    stop2 = true;
    EXPECT_EQ(late.body, "took more than 4 s");
}

// The policy rule as the plugin read it.
TEST(CrossDomainPolicy, AllowsTheHostsItNames) {
    const QByteArray policy =
        "<?xml version=\"1.0\"?><!DOCTYPE cross-domain-policy><cross-domain-policy>"
        "<allow-access-from domain=\"*.games.example\"/>"
        "<allow-access-from domain=\"cdn.example\" secure=\"false\"/></cross-domain-policy>";
    const struct {
        QByteArray policy;
        const char* host;
        bool movieSecure, dataSecure, allowed;
    } cases[] = {
        {policy, "www.games.example", false, false, true},
        {policy, "games.example", false, false, true},
        {policy, "evilgames.example", false, false, false},
        {policy, "www.games.example", false, true, false},  // http movie, https data
        {policy, "www.games.example", true, true, true},
        {policy, "cdn.example", false, true, true},  // secure="false"
        {"<cross-domain-policy><allow-access-from domain=\"*\"/></cross-domain-policy>", "any",
         false, false, true},
        {"<cross-domain-policy><site-control permitted-cross-domain-policies=\"none\"/>"
         "<allow-access-from domain=\"*\"/></cross-domain-policy>",
         "any", false, false, false},
        {"<html><allow-access-from domain=\"*\"/></html>", "any", false, false, false},
        {"<cross-domain-policy><allow-access-from domain=\"*\"/>", "any", false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PolicyAllows(c.policy, c.host, c.movieSecure, c.dataSecure), c.allowed)
            << c.policy.toStdString() << " " << c.host;
    }
    EXPECT_TRUE(IsMediaBody("CWS\x0a"));
    EXPECT_TRUE(IsMediaBody("\xff\xd8\xff\xe0"));
    EXPECT_FALSE(IsMediaBody("&score=10"));
    EXPECT_FALSE(IsMediaBody("<?xml"));
}

TEST(AddressGuard, PrivateAddressesAreKnownInEveryForm) {
    for (const char* ip : {"127.0.0.1",
                           "10.1.2.3",
                           "172.16.0.1",
                           "172.31.255.255",
                           "192.168.1.1",
                           "169.254.169.254",
                           "100.64.0.1",
                           "0.0.0.0",
                           "224.0.0.1",
                           "::1",
                           "::",
                           "fe80::1",
                           "fc00::1",
                           "fd12::1",
                           "ff02::1",
                           "::ffff:192.168.0.1",
                           "::ffff:127.0.0.1",
                           "64:ff9b::a00:1",
                           "2002:c0a8:101::1",
                           "garbage"}) {
        EXPECT_TRUE(IsPrivateDestination(QString(ip))) << ip;
    }
    for (const char* ip : {"8.8.8.8", "172.32.0.1", "192.169.0.1", "2606:4700::1111",
                           "::ffff:8.8.8.8", "100.128.0.1"}) {
        EXPECT_FALSE(IsPrivateDestination(QString(ip))) << ip;
    }
}
