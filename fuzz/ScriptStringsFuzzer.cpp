// Script text as a page supplies it (inline, in its external files, in its event handlers):
// read for its string literals.
#include "FuzzInput.h"
#include "logic/ScriptStrings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptMovieStrings(QString::fromUtf8(FuzzBytes(data, size)));
    return 0;
}
