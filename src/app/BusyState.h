#pragma once

// What runs in the background. The window is busy while any of these runs; each activity
// clears only its own flag, so a scan ending during a download chain keeps the window busy.
struct TBusyState {
    bool downloadChain = false;
    bool copy = false;
    bool cacheScan = false;

    bool Any() const { return downloadChain || copy || cacheScan; }
};
