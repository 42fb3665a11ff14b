#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/HttpGetThread.h"
#include "support/Files.h"
#include "support/Jobs.h"
#include "support/RawHttpServer.h"
#include "support/TestCert.h"

namespace {
struct Outcome {
    bool finished = false;
    bool saved = false;
    QString reason;
    std::vector<int> progress;
};

Outcome Download(const std::string& url, const QString& file,
                 THttpGetThread::Options options = {}) {
    Outcome out;
    TJobInstance<THttpGetThread> download(QString::fromStdString(url), file, options);
    QObject::connect(&download, &THttpGetThread::Progress,
                     [&](int p) { out.progress.push_back(p); });
    out.finished = RunToEnd(download);
    EXPECT_TRUE(out.finished);
    out.saved = download.Result().saved;
    out.reason = download.Result().reason;
    return out;
}

std::string Body(size_t n) {
    std::string body(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        body[i] = static_cast<char>('A' + i % 26);
    }
    return body;
}

// A loopback port with nothing listening on it.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

class HttpGetThreadTest : public ::testing::Test {
  protected:
    QString Target(const QString& name) { return dir.filePath(name); }
    QStringList Leftovers() { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir dir;
};
}  // namespace

TEST_F(HttpGetThreadTest, SendsOneGetAndSavesTheBodyWithProgressPerBlock) {
    const std::string body = Body(3000);
    RawHttpServer server([&](const std::string&) { return RawHttpServer::Response(200, body); });
    const Outcome out = Download(server.Url("/dir/movie.swf"), Target("movie.swf"));
    EXPECT_TRUE(out.saved);
    EXPECT_EQ(out.progress, (std::vector<int>{35, 69, 100}));
    EXPECT_EQ(ReadAll(Target("movie.swf")).toStdString(), body);
    EXPECT_EQ(Leftovers(), QStringList{"movie.swf"});  // no temporary file left behind

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(RequestLine(request), "GET /dir/movie.swf HTTP/1.1");
    EXPECT_NE(request.find("User-Agent: HTTPGET\r\n"), std::string::npos);
    EXPECT_NE(request.find("Accept: */*\r\n"), std::string::npos);
    EXPECT_NE(request.find("Host: 127.0.0.1:" + std::to_string(server.Port())), std::string::npos);
    EXPECT_NE(request.find("Cache-Control: no-cache\r\n"), std::string::npos);
}

TEST_F(HttpGetThreadTest, AnErrorStatusIsAFailureAndLeavesAnExistingFileAlone) {
    RawHttpServer server(
        [](const std::string&) { return RawHttpServer::Response(404, "<h1>Not Found</h1>"); });
    WriteFile(Target("movie.swf"), "OLD");
    const Outcome out = Download(server.Url("/movie.swf"), Target("movie.swf"));
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.reason, "HTTP 404 Not Found");
    EXPECT_EQ(ReadAll(Target("movie.swf")), "OLD");
    EXPECT_EQ(Leftovers(), QStringList{"movie.swf"});

    const Outcome fresh = Download(server.Url("/other.swf"), Target("other.swf"));
    EXPECT_FALSE(fresh.saved);
    EXPECT_FALSE(QFile::exists(Target("other.swf")));
}

TEST_F(HttpGetThreadTest, RefusedConnectionAndShortBodyAreFailuresLeavingNoFile) {
    const Outcome refused =
        Download("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/m.swf", Target("m.swf"));
    EXPECT_TRUE(refused.finished);
    EXPECT_FALSE(refused.saved);
    EXPECT_TRUE(refused.reason.contains("Couldn't connect to server"))
        << refused.reason.toStdString();

    RawHttpServer shortBody([](const std::string&) {
        return "HTTP/1.1 200 OK\r\nContent-Length: 3000\r\nConnection: close\r\n\r\n" + Body(1000);
    });
    const Outcome truncated = Download(shortBody.Url("/m.swf"), Target("m.swf"));
    EXPECT_FALSE(truncated.saved);
    EXPECT_FALSE(truncated.reason.isEmpty());
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(HttpGetThreadTest, FollowsRedirectsAndSavesBodiesOfUnknownLength) {
    const std::string body = Body(5000);
    RawHttpServer server([&](const std::string& request) -> std::string {
        if (RequestLine(request).find("/old.swf") != std::string::npos) {
            return "HTTP/1.1 302 Found\r\nLocation: /new/real.swf\r\nContent-Length: 0\r\n\r\n";
        }
        // No Content-Length: the body ends when the connection closes.
        return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
    });
    const Outcome out = Download(server.Url("/old.swf"), Target("old.swf"));
    EXPECT_TRUE(out.saved);
    EXPECT_TRUE(out.progress.empty());  // nothing announced: the bar is left alone
    EXPECT_EQ(ReadAll(Target("old.swf")).size(), 5000);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(RequestLine(server.Requests()[1]), "GET /new/real.swf HTTP/1.1");
}

// A body larger than the fetch takes fails with the limit named, whether its length is
// announced or not, and leaves nothing.
TEST_F(HttpGetThreadTest, ABodyOverTheLimitIsRefusedWithTheLimitNamed) {
    const std::string body = Body(3 << 20);
    RawHttpServer server([&](const std::string& request) -> std::string {
        if (RequestLine(request).find("/unannounced") != std::string::npos) {
            return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
        }
        return RawHttpServer::Response(200, body);
    });
    THttpGetOptions capped;
    capped.maxBytes = 2 << 20;
    for (const char* path : {"/announced.swf", "/unannounced.swf"}) {
        const Outcome out = Download(server.Url(path), Target("big.swf"), capped);
        EXPECT_FALSE(out.saved) << path;
        EXPECT_EQ(out.reason, "larger than 2 MB, the most this fetch takes") << path;
        EXPECT_FALSE(QFile::exists(Target("big.swf")));
    }
}

TEST_F(HttpGetThreadTest, HttpsWithATrustedSelfSignedCertificate) {
    QString cert, key;
    ASSERT_TRUE(MakeSelfSignedCert(dir.path(), &cert, &key));
    httplib::SSLServer server(cert.toUtf8().constData(), key.toUtf8().constData());
    server.Get("/secure.swf", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(2000, 'S'), "application/x-shockwave-flash");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/secure.swf";

    const Outcome untrusted = Download(url, Target("secure.swf"));
    EXPECT_FALSE(untrusted.saved);
    THttpGetOptions trusting;
    trusting.caFile = cert;
    const Outcome trusted = Download(url, Target("secure.swf"), trusting);
    EXPECT_TRUE(trusted.saved);
    EXPECT_EQ(ReadAll(Target("secure.swf")).size(), 2000);
    server.stop();
    serving.join();
}

TEST_F(HttpGetThreadTest, AFileThatCannotBeCreatedIsAFailure) {
    RawHttpServer server([](const std::string&) { return RawHttpServer::Response(200, "FWS"); });
    const Outcome missing = Download(server.Url("/m.swf"), dir.filePath("missing/m.swf"));
    EXPECT_FALSE(missing.saved);
    EXPECT_EQ(missing.reason,
              "cannot create " + dir.filePath("missing/m.swf") + ": No such file or directory");
    const QString tooLong = Target(QString(300, 'n') + ".swf");
    EXPECT_FALSE(Download(server.Url("/m.swf"), tooLong).saved);
}
