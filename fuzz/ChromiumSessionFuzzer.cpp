// Chromium session files (SNSS records with pickled navigations).
#include "FuzzInput.h"
#include "platform/OpenTabs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ChromiumTabsFromSession(FuzzBytes(data, size));
    return 0;
}
