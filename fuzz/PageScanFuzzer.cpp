// Snapshot JSON as the in-page script reports it (a page controls every string in it): read,
// then scanned plainly and deeply.
#include "FuzzInput.h"
#include "logic/DeepScan.h"
#include "logic/DocumentSnapshot.h"
#include "logic/PageScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString error;
    const auto snapshot = SnapshotFromJson(FuzzBytes(data, size), &error);
    if (!snapshot) {
        return 0;
    }
    ScanLoadedPage(*snapshot, true, {"http://h/n.swf"});
    return 0;
}
