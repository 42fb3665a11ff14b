#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "discovery/DocumentSnapshot.h"

// The web domain of the Flash player's maker, named by OBJECT codebase attributes that point at
// the player's installer.
inline const char* const kPlayerDomain = "macromedia.com";

// An OBJECT that hosts the Flash player: found by its installer address, its class id or its type.
bool IsFlashObject(const ObjectElement& object);

// The page walk: the top document, then its frames depth first. Every movie found is resolved
// against the address of its own document and appended to found unless already there (letter
// case ignored).
void ScanPage(const DocumentSnapshot& document, QStringList& found);
void ScanFrames(const DocumentSnapshot& document, QStringList& found);
void ScanDocument(const DocumentSnapshot& document, QStringList& found);
void ScanObjectElements(const QString& page, const std::vector<ObjectElement>& objects,
                        QStringList& found);
void ScanEmbedElements(const QString& page, const QStringList& sources, QStringList& found);
void ScanScriptElements(const QString& page, const QStringList& scripts, QStringList& found);
void AddFoundMovie(const QString& address, QStringList& found);

// The movie addresses a script names between pairs of double quotes, before resolution.
QStringList ScriptMovieCandidates(const QString& script);
