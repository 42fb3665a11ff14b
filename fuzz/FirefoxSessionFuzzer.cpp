// Firefox session files: mozLz4 frames, and the session JSON inside them (the first byte picks
// which, so the JSON reader is reached without a valid frame).
#include "FuzzInput.h"
#include "platform/OpenTabs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArray bytes = FuzzBytes(data + 1, size - 1);
    if (data[0] & 1) {
        FirefoxTabsFromJson(bytes);
    } else if (const auto json = DecodeMozLz4(bytes)) {
        FirefoxTabsFromJson(*json);
    }
    return 0;
}
