#pragma once

#include <QString>

// What became of a piece of work: done, or failed with a reason a user can read.
struct TOutcome {
    bool ok = true;
    QString reason;  // empty when done

    static TOutcome Done() { return {}; }
    static TOutcome Failed(QString reason) { return {false, std::move(reason)}; }
    explicit operator bool() const { return ok; }
};

// The text of a system error number: "disk full" for a full disk, else the system's own words.
QString ErrnoText(int error);
