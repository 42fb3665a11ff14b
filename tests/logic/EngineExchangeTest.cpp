#include <gtest/gtest.h>

#include <QJsonDocument>

#include "logic/EngineExchange.h"

namespace {
QJsonObject Json(const char* text) {
    return QJsonDocument::fromJson(text).object();
}
}  // namespace

// What the engine reports becomes a head that says what the archived body is, never more
// header lines than were received, and no line a hostile server could break into two.
TEST(EngineExchange, HeadsSayWhatTheArchivedBodyIs) {
    const struct {
        const char* name;
        const char* response;
        QByteArray headersText;
        qint64 bodySize;
        QByteArray head;
    } cases[] = {
        {"as received", R"({"status":200})",
         "HTTP/1.1 200 OK\r\nContent-Type: text/css\r\nContent-Length: 7\r\n\r\n", 7,
         "HTTP/1.1 200 OK\r\nContent-Type: text/css\r\nContent-Length: 7\r\n\r\n"},
        {"decoded by the engine", R"({"status":200})",
         "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 30\r\n"
         "Transfer-Encoding: chunked\r\n\r\n",
         100,
         "HTTP/1.1 200 OK\r\nX-Archive-Orig-Content-Encoding: gzip\r\n"
         "X-Archive-Orig-Content-Length: 30\r\nX-Archive-Orig-Transfer-Encoding: chunked\r\n"
         "Content-Length: 100\r\n\r\n"},
        {"rebuilt, repeated header",
         R"({"status":404,"statusText":"Not Found","headers":{"Set-Cookie":"a=1\nb=2"}})", "", 0,
         "HTTP/1.1 404 Not Found\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n"
         "Content-Length: 0\r\n\r\n"},
        {"rebuilt, hostile names and values",
         R"({"status":200,"statusText":"OK\r\nX-Evil: 1",)"
         R"("headers":{"A:B":"x","X\r\nY":"z","Location":"/a\r\rb"}})",
         "", 3, "HTTP/1.1 200 OK X-Evil: 1\r\nLocation: /ab\r\nContent-Length: 3\r\n\r\n"},
        {"a bare carriage return", R"({"status":200})", "HTTP/1.1 200 OK\rX: y\r\nA: b\rc\r\n\r\n",
         1, "HTTP/1.1 200 OKX: y\r\nA: bc\r\nContent-Length: 1\r\n\r\n"},
        {"told text is not a head", R"({"status":302,"statusText":"Found"})", "garbage", 0,
         "HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArchivedResponseHead(Json(c.response), c.headersText, c.bodySize), c.head)
            << c.name;
    }
}

TEST(EngineExchange, RequestsAreTheHeadersSentWithTheirTarget) {
    EXPECT_EQ(EngineRequestMessage(Json(R"({"url":"http://h:8/a/b?x=1&y=%20","method":"POST",)"
                                        R"("headers":{"Referer":"r"},"postData":"q=1"})"),
                                   Json(R"({"Host":"h:8","Cookie":"c=1"})")),
              "POST /a/b?x=1&y=%20 HTTP/1.1\r\nCookie: c=1\r\nHost: h:8\r\n\r\nq=1");
    EXPECT_EQ(EngineRequestMessage(
                  Json(R"({"url":"https://h","method":"GET /x","headers":{"Accept":"*/*"}})"), {}),
              "GET / HTTP/1.1\r\nAccept: */*\r\nHost: h\r\n\r\n");
}
