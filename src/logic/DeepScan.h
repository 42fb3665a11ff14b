#pragma once

#include <QString>
#include <QStringList>

#include "logic/DocumentSnapshot.h"
#include "logic/PageScan.h"

// The deep scan: movies the page scan's rules miss. Per document, in the page scan's document
// order: links to movies, movies in every string literal of its scripts (inline, external, in
// event handlers and javascript: links), movies of OBJECT elements of any kind and of the
// player's own elements, movies passed in flashvars and in data-* attributes. Each is resolved
// against its document like the page scan's movies and appended unless already found (letter case
// ignored), so the page scan's rows stay first. An external script is read once per page
// however many elements name it, and a page's scripts are read up to kMostScriptBytes in all:
// the rest count as unread.
constexpr qint64 kMostScriptBytes = 64LL * 1024 * 1024;
void ScanPageDeep(const TDocumentSnapshot& document, TFoundMovieList& found,
                  const ScriptTexts& scripts = {});

// Every external script address of a page and its frames, in document order.
QStringList ScriptSources(const TDocumentSnapshot& document);

// The movie addresses among the values of a flashvars text ("file=a.swf&autoplay=1").
QStringList FlashVarsMovies(const QString& flashVars);
