// What the window remembers between runs: its place and size, the splitter between the player
// and the lists, the lists' column widths. The design's layout is the one at the first start.
#include <QHeaderView>
#include <QSplitter>

#include "app/MainFrm.h"
#include "widgets/ReportList.h"

namespace {
const char* const kGeometry = "Geometry";
const char* const kSplitter = "Splitter";
const char* const kWebColumns = "WebColumns";
const char* const kCacheColumns = "CacheColumns";
}  // namespace

bool TMainFrm::RestoreWindowState() {
    const QByteArray geometry = settings_.WindowPart(kGeometry);
    const bool placed = !geometry.isEmpty() && restoreGeometry(geometry);
    if (!Splitter1->restoreState(settings_.WindowPart(kSplitter))) {
        Splitter1->setSizes({kPlayerWidth, kDesignWidth - kFrameWidth - kPlayerWidth});
    }
    ListView1->header()->restoreState(settings_.WindowPart(kWebColumns));
    ListView2->header()->restoreState(settings_.WindowPart(kCacheColumns));
    return placed;
}

void TMainFrm::SaveWindowState() {
    settings_.SetWindowPart(kGeometry, saveGeometry());
    settings_.SetWindowPart(kSplitter, Splitter1->saveState());
    settings_.SetWindowPart(kWebColumns, ListView1->header()->saveState());
    settings_.SetWindowPart(kCacheColumns, ListView2->header()->saveState());
}
