#pragma once

#include <QByteArray>
#include <optional>

// Undoes the content codings of a stored body ("gzip", "deflate", "br", "identity", listed in
// the order they were applied, as in Content-Encoding). Nothing when a coding is unknown or
// the data is damaged or cut short.
std::optional<QByteArray> DecodeBody(const QByteArray& body, const QByteArray& contentEncoding);
