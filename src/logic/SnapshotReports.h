#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "logic/DocumentSnapshot.h"

// One console line of a frame's report: "<secret> <scan> <path> <part>/<parts> <text>", where
// the path is the frame's indices from the top ("/" for the top, "/0/2" below it).
struct TReportLine {
    QString scan;
    QString path;
    int part = 0;
    int parts = 1;
    QString text;
};

// The line, when it is a report line carrying this run's secret; nothing for any other message.
std::optional<TReportLine> ParseReportLine(const QString& message, const QString& secret);

// Gathers the reports of one snapshot, frame by frame, and builds the page's tree from them.
class TSnapshotCollector {
  public:
    explicit TSnapshotCollector(QString scan) : scan_(std::move(scan)) {}

    const QString& Scan() const { return scan_; }
    // Lines of other scans and repeated lines are ignored.
    void Add(const TReportLine& line);
    // The top and every frame it listed have reported.
    bool Complete() const;
    // The tree in document order: depth first, frames in the order their documents hold them.
    // Frames that have not reported are left out (their reported frames take their place);
    // nothing when the top has not reported.
    std::optional<TDocumentSnapshot> Assemble() const;

  private:
    struct Report {
        std::vector<QString> parts;
        int received = 0;
    };
    void Finish(const QString& path, const QString& json);
    void Attach(const QString& path, TDocumentSnapshot* into) const;

    QString scan_;
    std::map<QString, Report> pending_;              // path -> parts seen so far
    std::map<QString, TDocumentSnapshot> reported_;  // path -> its document, frames empty
    std::map<QString, QStringList> children_;        // path -> its frames' paths, in order
    std::set<QString> absent_;                       // reported without a document
    bool topListed_ = false;
};
