#pragma once

#include <QByteArray>
#include <QDateTime>

// Whether a transfer that ended so is worth trying again: the server was busy or overloaded
// (429, 502, 503, 504), or the connection was cut before an answer came.
bool IsWorthRetrying(long httpStatus, bool connectionCut);

// How long to wait before try number retry (1 for the first retry): the answer's Retry-After
// (seconds, or an HTTP date against now) where it gave one, else a back-off doubling from one
// second; never more than kMaxRetryWaitMs.
constexpr int kMaxRetryWaitMs = 30000;
int RetryWaitMs(int retry, const QByteArray& retryAfter, const QDateTime& now);

// The value of the header name (case ignored) in an answer's head; empty when absent.
QByteArray HeaderValue(const QByteArray& head, const QByteArray& name);
