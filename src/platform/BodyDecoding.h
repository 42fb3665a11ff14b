#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

// No body the program reads is larger, decoded: a stored body that decodes past it is refused.
inline constexpr qint64 kMaxDecodedBody = 256LL * 1024 * 1024;

// Nor does one stage of decoding give more than kMaxExpansion times its input (at least
// kMinExpansionCap): real bodies shrink a few times when coded, bombs by thousands.
inline constexpr qint64 kMaxExpansion = 100;
inline constexpr qint64 kMinExpansionCap = 1024 * 1024;

// Where decoding may stop, told from the bytes decoded so far: a body that is cut there is
// returned as far as it went. Given nothing, decoding runs to the body's end.
using DecodeStop = std::function<qint64(const QByteArray& decoded)>;

// Undoes the content codings of a stored body ("gzip", "deflate", "br", "identity", listed in
// the order they were applied, as in Content-Encoding). Nothing when a coding is unknown, the
// data is damaged or cut short, or a stage decodes to more than its cap (above). The last stage
// stops where stopAt says.
std::optional<QByteArray> DecodeBody(const QByteArray& body, const QByteArray& contentEncoding,
                                     const DecodeStop& stopAt = {});
