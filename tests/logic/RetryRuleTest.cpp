#include <gtest/gtest.h>

#include "logic/RetryRule.h"

TEST(RetryRule, BusyServersAndCutConnectionsAreAskedAgainAfterAWait) {
    for (const long status : {429L, 502L, 503L, 504L}) {
        EXPECT_TRUE(IsWorthRetrying(status, false)) << status;
    }
    for (const long status : {0L, 200L, 404L, 500L, 501L}) {
        EXPECT_FALSE(IsWorthRetrying(status, false)) << status;
    }
    EXPECT_TRUE(IsWorthRetrying(0, true));

    const QDateTime now = QDateTime::fromString("2026-12-09T12:00:00Z", Qt::ISODate);
    const struct {
        int retry;
        QByteArray retryAfter;
        int ms;
    } waits[] = {
        {1, "", 1000},
        {2, "", 2000},
        {3, "", 4000},
        {20, "", kMaxRetryWaitMs},
        {1, "3", 3000},
        {1, " 0 ", 0},
        {1, "99999", kMaxRetryWaitMs},
        {1, "Wed, 09 Dec 2026 12:00:05 GMT", 5000},
        {1, "Wed, 09 Dec 2026 11:00:00 GMT", 0},  // a date gone by: at once
        {2, "soon", 2000},                        // not understood: the back-off
        {1, "-5", 1000},
    };
    for (const auto& wait : waits) {
        EXPECT_EQ(RetryWaitMs(wait.retry, wait.retryAfter, now), wait.ms)
            << wait.retry << " " << wait.retryAfter.toStdString();
    }
    EXPECT_EQ(HeaderValue("HTTP/1.1 503 Busy\r\nretry-AFTER: 7\r\n\r\n", "Retry-After"), "7");
    EXPECT_EQ(HeaderValue("HTTP/1.1 503 Busy\r\n\r\n", "Retry-After"), "");
}
