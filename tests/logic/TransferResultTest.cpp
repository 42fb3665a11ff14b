// How a finished transfer is read: which facts make a saved file, an error answer, a stop or a
// failure, and the words the user sees for each.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include "logic/HttpClient.h"

namespace {
TTransferEnd Answered(long status, const char* statusLine, qint64 received = 10,
                      qint64 announced = 10) {
    TTransferEnd end;
    end.status = status;
    end.statusLine = statusLine;
    end.received = received;
    end.announced = announced;
    return end;
}

template <typename Change>
TTransferEnd With(TTransferEnd end, Change change) {
    change(end);
    return end;
}
}  // namespace

TEST(TransferResult, EachEndIsReadAsTheUserIsTold) {
    using Kind = TTransferResult::Kind;
    const TTransferEnd ok = Answered(200, "HTTP/1.1 200 OK");
    const struct {
        const char* what;
        TTransferEnd end;
        TTransferResult want;
    } cases[] = {
        {"whole", ok, {Kind::Complete, ""}},
        {"no length given", Answered(200, "HTTP/1.1 200 OK", 5, 0), {Kind::Complete, ""}},
        {"short body",
         Answered(200, "HTTP/1.1 200 OK", 4, 10),
         {Kind::Failed, "the server sent 4 of 10 bytes"}},
        {"error answer",
         Answered(404, "HTTP/1.1 404 Not Found"),
         {Kind::HttpError, "HTTP 404 Not Found"}},
        {"error answer without words",
         Answered(503, "HTTP/1.1 503"),
         {Kind::HttpError, "HTTP 503"}},
        {"error body refused",
         With(Answered(500, "HTTP/1.1 500 Oops", 0),
              [](TTransferEnd& e) {
                  e.refused = true;
                  e.code = CURLE_WRITE_ERROR;
              }),
         {Kind::HttpError, "HTTP 500 Oops"}},
        {"stopped, whatever else",
         With(ok,
              [](TTransferEnd& e) {
                  e.cancelled = true;
                  e.fault = "disk full";
                  e.code = CURLE_ABORTED_BY_CALLBACK;
              }),
         {Kind::Stopped, "stopped"}},
        {"the receiver's fault before libcurl's words",
         With(ok,
              [](TTransferEnd& e) {
                  e.fault = "No space left on device";
                  e.code = CURLE_WRITE_ERROR;
                  e.error = "Failure writing output to destination";
              }),
         {Kind::Failed, "No space left on device"}},
        {"a refused connection",
         With(Answered(0, "", 0, 0),
              [](TTransferEnd& e) {
                  e.blocked = "a private network address (10.0.0.1) is not fetched";
                  e.code = CURLE_COULDNT_CONNECT;
              }),
         {Kind::Failed, "a private network address (10.0.0.1) is not fetched"}},
        {"too slow for its limit",
         With(Answered(0, "", 0, 0),
              [](TTransferEnd& e) {
                  e.code = CURLE_OPERATION_TIMEDOUT;
                  e.timeoutMs = 60000;
              }),
         {Kind::Failed, "took more than 60 s"}},
        {"network error",
         With(Answered(0, "", 0, 0),
              [](TTransferEnd& e) {
                  e.code = CURLE_COULDNT_RESOLVE_HOST;
                  e.error = "Could not resolve host: nowhere";
              }),
         {Kind::Failed, "Could not resolve host: nowhere"}},
    };
    for (const auto& c : cases) {
        const TTransferResult got = ClassifyTransfer(c.end);
        EXPECT_EQ(got.kind, c.want.kind) << c.what;
        EXPECT_EQ(got.reason.toStdString(), c.want.reason.toStdString()) << c.what;
    }
    for (const int cut : {CURLE_RECV_ERROR, CURLE_PARTIAL_FILE, CURLE_GOT_NOTHING}) {
        EXPECT_TRUE(IsCutOff(With(ok, [cut](TTransferEnd& e) { e.code = cut; })));
    }
    EXPECT_FALSE(IsCutOff(With(ok, [](TTransferEnd& e) { e.code = CURLE_COULDNT_CONNECT; })));
}
