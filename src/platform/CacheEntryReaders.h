#pragma once

#include <optional>

#include "platform/CachedResponse.h"

class QIODevice;

// The response of a Chromium simple-cache "_0" file. Nothing when the file is not a whole entry:
// still being written, cut short, corrupt, without an address, or of another format.
std::optional<TCachedResponse> ReadSimpleCacheEntry(QIODevice& file);

// The address of a Chromium simple-cache "_0" file, read from its header and key only; empty
// when the file is of another format or holds no address.
QString ReadSimpleCacheUrl(QIODevice& file);

// The response of a Firefox cache2 entry file, with the same refusals.
std::optional<TCachedResponse> ReadCache2Entry(QIODevice& file);
