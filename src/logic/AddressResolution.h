#pragma once

#include <QString>

// A copy with the ASCII letters A to Z lowered and everything else as it is.
QString LowerAscii(QString text);

// Whether the address is an http or https one, the only kinds the program fetches.
bool IsHttpAddress(const QString& address);

// Trims leading and trailing spaces and writes each inner space as "%20"; a text of spaces only
// becomes empty. Other white space is left alone.
QString EncodeSpaces(const QString& text);

// The absolute address of a movie address found in the document at page:
// - "scheme://…" (any scheme, any case) is already absolute;
// - "//host/…" takes the page's scheme;
// - "/…" is joined to the site root (scheme, host and port of the page);
// - "../…" is joined to the page's parent folder (one level, never above the site root);
// - anything else is joined to the page's folder.
QString ResolveMovieAddress(const QString& page, const QString& movie);

// The parts of a page address that relative movie addresses are joined to; each ends in "/".
QString PageDirectory(const QString& page);
QString ParentDirectory(const QString& page);
QString SiteRoot(const QString& page);
