#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// A response as a browser's HTTP cache keeps it: its address, its status and headers, and where
// its body lies in the entry's file (still content-encoded).
struct TCachedResponse {
    QString url;
    int status = 0;
    std::vector<std::pair<QByteArray, QByteArray>> headers;  // names as stored
    qint64 bodyOffset = 0;
    qint64 bodySize = 0;
    bool complete = true;  // false: truncated, partial or otherwise not the whole body

    // A header's value, names matched in any case; empty when absent.
    QByteArray Header(const QByteArray& name) const;
};

// Status and headers from "status line" + separator + "Name: value" lines.
void ParseResponseHead(const QByteArray& head, char separator, TCachedResponse* response);

// The address of a Chromium cache key ("1/0/_dk_site site url", "0/url", or a bare url); empty
// for a POST response or a key that holds no address.
QString UrlFromChromiumKey(const QByteArray& key);

// The address of a Firefox cache key ("O^partitionKey=…,a,:url"); empty when it has none.
QString UrlFromFirefoxKey(const QByteArray& key);
