#pragma once

#include <QString>
#include <QStringList>

#include "logic/DocumentSnapshot.h"
#include "logic/PageScan.h"

// The deep scan: movies the page scan's rules miss. Per document, in the page scan's document
// order: links to movies, movies in single-quoted and backquoted script strings, movies of
// OBJECT elements of any kind and of the player's own elements, movies passed in flashvars and
// in data-* attributes. Each is resolved against its document like the page scan's movies and
// appended unless already found (letter case ignored), so the page scan's rows stay first.
void ScanPageDeep(const DocumentSnapshot& document, FoundMovieList& found);
void ScanDocumentDeep(const DocumentSnapshot& document, FoundMovieList& found);

// The movie addresses among the values of a flashvars text ("file=a.swf&autoplay=1").
QStringList FlashVarsMovies(const QString& flashVars);
