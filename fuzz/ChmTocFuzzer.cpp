// The contents page of a help file (sitemap HTML).
#include "FuzzInput.h"
#include "platform/ChmToc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParseContents(QString::fromUtf8(FuzzBytes(data, size)));
    return 0;
}
