#pragma once

#include <QString>

// What became of a piece of work: done, or failed with a reason a user can read.
struct TOutcome {
    bool ok = true;
    QString reason;        // empty when done
    bool stopped = false;  // ended early because it was asked to stop ("stopped")

    static TOutcome Done() { return {}; }
    static TOutcome Failed(QString reason) { return {false, std::move(reason), false}; }
    static TOutcome Stopped() { return {false, "stopped", true}; }
    explicit operator bool() const { return ok; }
};

// The text of a system error number: "disk full" for a full disk, else the system's own words.
QString ErrnoText(int error);
