#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// An OBJECT element as the page wrote it.
struct TObjectElement {
    QString codeBase;  // the codebase attribute
    QString classId;   // the classid attribute
    QString type;      // the type attribute
    QString movie;     // the movie its player plays: "movie" param, else "src" param, else data
};

// One document of a loaded page with its frame documents, in the order the page holds them.
struct TDocumentSnapshot {
    QString url;
    QString base;  // what its relative addresses resolve against (document.baseURI)
    std::vector<TObjectElement> objects;
    QStringList embeds;   // src attributes as written
    QStringList scripts;  // script texts
    // Described for the deep scan only:
    QStringList links;          // href of A and AREA elements, as written
    QStringList scriptSources;  // the addresses its external scripts were fetched from
    QStringList handlers;       // script in event handler attributes and javascript: links
    QStringList embedLike;      // movies of the player's own elements (ruffle-embed, ruffle-object)
    QStringList flashVars;      // flashvars of PARAM elements and attributes
    QStringList dataValues;     // data-* attribute values that mention ".swf"
    std::vector<TDocumentSnapshot> frames;

    // The address relative movie addresses resolve against: its base, else its own address.
    const QString& Base() const { return base.isEmpty() ? url : base; }
};

class QJsonObject;

// Reads one document described as a JSON object; nothing when it has no address.
std::optional<TDocumentSnapshot> SnapshotFromObject(const QJsonObject& json);

// Reads the JSON that the in-page snapshot script produces; nothing when it is not a snapshot.
std::optional<TDocumentSnapshot> SnapshotFromJson(const QByteArray& json, QString* error);
