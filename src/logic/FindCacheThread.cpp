#include "logic/FindCacheThread.h"

#include "logic/TargetNames.h"

std::optional<TCacheRow> ExamineEntry(const TUrlCacheEntry& entry, int found) {
    const QString name = LastPathPart(entry.localFileName);
    const int dot = name.lastIndexOf('.');
    if (dot < 0 || name.mid(dot).toLower() != ".swf") {
        return std::nullopt;
    }
    return TCacheRow{found + 1,           name,          entry.size,
                     entry.localFileName, entry.address, entry.browser};
}

TFindCacheEntryThread::TFindCacheEntryThread(Enumerate enumerate, QObject* owner)
    : TJob(owner), enumerate_(std::move(enumerate)) {}

TOutcome TFindCacheEntryThread::Execute() {
    int found = 0;
    TOutcome indexKept;
    for (const TUrlCacheEntry& entry : enumerate_(&indexKept)) {
        if (IsCancelled()) {
            return TOutcome::Stopped();
        }
        if (auto row = ExamineEntry(entry, found)) {
            ++found;
            Post([this, row = *row] { emit RowFound(row); });
        }
    }
    return indexKept;
}
