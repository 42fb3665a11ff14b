// Browser cache entries: Chromium simple-cache files, Firefox cache2 files, and the bodies they
// hold decoded by their content coding. The first byte picks the reader.
#include <QBuffer>

#include "FuzzInput.h"
#include "platform/BodyDecoding.h"
#include "platform/CacheEntryReaders.h"

namespace {
const char* const kCodings[] = {
    "gzip",          "deflate",           "br",       "x-gzip", "gzip, br",
    "deflate, gzip", "br, gzip, deflate", "identity", ""};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    QByteArray bytes = FuzzBytes(data + 2, size - 2);
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    switch (data[0] % 3) {
        case 0:
            ReadSimpleCacheUrl(file);
            file.seek(0);
            ReadSimpleCacheEntry(file);
            break;
        case 1:
            ReadCache2Entry(file);
            break;
        default:
            DecodeBody(bytes, kCodings[data[1] % (sizeof kCodings / sizeof *kCodings)]);
    }
    return 0;
}
