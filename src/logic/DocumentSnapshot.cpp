#include "logic/DocumentSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr int kMaxDepth = 64;  // frames nest no deeper than this in any real page

QStringList Strings(const QJsonArray& array) {
    QStringList out;
    for (const auto& v : array) {
        out << v.toString();
    }
    return out;
}

bool ReadDocument(const QJsonObject& json, int depth, TDocumentSnapshot* doc) {
    if (depth > kMaxDepth || !json.value("url").isString()) {
        return false;
    }
    doc->url = json.value("url").toString();
    doc->base = json.value("base").toString();
    for (const auto& v : json.value("objects").toArray()) {
        const QJsonObject o = v.toObject();
        doc->objects.push_back({o.value("codeBase").toString(), o.value("classId").toString(),
                                o.value("type").toString(), o.value("movie").toString()});
    }
    doc->embeds = Strings(json.value("embeds").toArray());
    doc->scripts = Strings(json.value("scripts").toArray());
    doc->links = Strings(json.value("links").toArray());
    doc->scriptSources = Strings(json.value("scriptSources").toArray());
    doc->handlers = Strings(json.value("handlers").toArray());
    doc->embedLike = Strings(json.value("embedLike").toArray());
    doc->flashVars = Strings(json.value("flashVars").toArray());
    doc->dataValues = Strings(json.value("dataValues").toArray());
    for (const auto& v : json.value("frames").toArray()) {
        TDocumentSnapshot frame;
        if (ReadDocument(v.toObject(), depth + 1, &frame)) {
            doc->frames.push_back(std::move(frame));
        }
    }
    return true;
}
}  // namespace

std::optional<TDocumentSnapshot> SnapshotFromObject(const QJsonObject& json) {
    TDocumentSnapshot doc;
    if (!ReadDocument(json, 0, &doc)) {
        return std::nullopt;
    }
    return doc;
}

std::optional<TDocumentSnapshot> SnapshotFromJson(const QByteArray& json, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument parsed = QJsonDocument::fromJson(json, &parseError);
    TDocumentSnapshot doc;
    if (parsed.isNull() || !parsed.isObject() || !ReadDocument(parsed.object(), 0, &doc)) {
        if (error) {
            *error = parsed.isNull() ? parseError.errorString() : QString("not a page snapshot");
        }
        return std::nullopt;
    }
    return doc;
}
