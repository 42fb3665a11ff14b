#include "logic/SnapshotReports.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr int kMaxParts = 4096;  // 4 GB of text: more than any page holds
constexpr int kMaxDepth = 64;    // frames nest no deeper than this in any real page

bool IsPath(const QString& path) {
    if (!path.startsWith('/') || path.count('/') > kMaxDepth) {
        return false;
    }
    if (path.size() == 1) {
        return true;
    }
    for (const QString& index : path.mid(1).split('/')) {
        bool ok = false;
        if (index.isEmpty() || index.size() > 6 || index.toInt(&ok) < 0 || !ok) {
            return false;
        }
    }
    return true;
}

QString ParentPath(const QString& path) {
    const int slash = path.lastIndexOf('/');
    return slash == 0 ? QString("/") : path.left(slash);
}
}  // namespace

std::optional<TReportLine> ParseReportLine(const QString& message, const QString& secret) {
    if (secret.isEmpty() || !message.startsWith(secret) || message.size() <= secret.size() ||
        message[secret.size()] != ' ') {
        return std::nullopt;
    }
    // Four space-separated fields, then the text, which may hold spaces of its own.
    QStringList fields;
    int at = secret.size() + 1;
    for (int i = 0; i < 3; ++i) {
        const int space = message.indexOf(' ', at);
        if (space < 0) {
            return std::nullopt;
        }
        fields << message.mid(at, space - at);
        at = space + 1;
    }
    const QStringList count = fields[2].split('/');
    bool partOk = false;
    bool partsOk = false;
    TReportLine line{fields[0], fields[1], 0, 1, message.mid(at)};
    if (count.size() == 2) {
        line.part = count[0].toInt(&partOk);
        line.parts = count[1].toInt(&partsOk);
    }
    if (line.scan.isEmpty() || !IsPath(line.path) || !partOk || !partsOk || line.parts < 1 ||
        line.parts > kMaxParts || line.part < 0 || line.part >= line.parts) {
        return std::nullopt;
    }
    return line;
}

void TSnapshotCollector::Add(const TReportLine& line) {
    // A frame may report before the top's list arrives: it is kept and placed once listed.
    if (line.scan != scan_ || reported_.count(line.path) || absent_.count(line.path)) {
        return;
    }
    Report& report = pending_[line.path];
    if (report.parts.empty()) {
        report.parts.resize(static_cast<size_t>(line.parts));
    }
    auto& part = report.parts[static_cast<size_t>(line.part)];
    if (static_cast<int>(report.parts.size()) != line.parts || !part.isNull()) {
        return;
    }
    part = line.text.isNull() ? QString("") : line.text;
    if (++report.received == line.parts) {
        QString json;
        for (const QString& p : report.parts) {
            json += p;
        }
        pending_.erase(line.path);
        Finish(line.path, json);
    }
}

void TSnapshotCollector::Finish(const QString& path, const QString& json) {
    const QJsonObject object = QJsonDocument::fromJson(json.toUtf8()).object();
    if (path == "/") {
        // The top lists every frame below it, parents first; only listed frames are waited for.
        children_["/"];
        for (const auto& v : object.value("framePaths").toArray()) {
            QString framePath;
            for (const auto& index : v.toArray()) {
                framePath += '/' + QString::number(index.toInt(-1));
            }
            if (IsPath(framePath) && framePath != "/" && children_.count(ParentPath(framePath)) &&
                !children_.count(framePath)) {
                children_[ParentPath(framePath)] << framePath;
                children_[framePath];
            }
        }
        topListed_ = true;
    }
    auto doc = SnapshotFromObject(object);
    if (doc && !object.value("absent").toBool()) {
        doc->frames.clear();  // frames come from their own reports only
        reported_[path] = std::move(*doc);
    } else {
        absent_.insert(path);
    }
}

bool TSnapshotCollector::Complete() const {
    if (!topListed_) {
        return false;
    }
    for (const auto& [path, kids] : children_) {
        if (!reported_.count(path) && !absent_.count(path)) {
            return false;
        }
    }
    return true;
}

void TSnapshotCollector::Attach(const QString& path, TDocumentSnapshot* into) const {
    const auto kids = children_.find(path);
    if (kids == children_.end()) {
        return;
    }
    for (const QString& child : kids->second) {
        const auto doc = reported_.find(child);
        if (doc == reported_.end()) {
            Attach(child, into);  // a frame without a document: its own frames stand in
            continue;
        }
        TDocumentSnapshot frame = doc->second;
        Attach(child, &frame);
        into->frames.push_back(std::move(frame));
    }
}

std::optional<TDocumentSnapshot> TSnapshotCollector::Assemble() const {
    const auto top = reported_.find("/");
    if (!topListed_ || top == reported_.end()) {
        return std::nullopt;
    }
    TDocumentSnapshot tree = top->second;
    Attach("/", &tree);
    return tree;
}
