#pragma once

#include <QString>
#include <QStringList>

// The string literals of a script, read as a JavaScript engine reads them, in one pass over the
// text: double-quoted, single-quoted and template literals with their escapes decoded (\', \",
// \\, \n …, \xHH, \uHHHH, \u{…}, line continuations), comments skipped, and a regular-expression
// literal told from a division well enough that a quote inside one does not derail the rest. The
// static parts of a template count, its ${…} parts are read as script. Literals joined with "+"
// ('games/' + 'level1.swf') give one string. A literal left open at the end of the text counts
// as far as it goes.
QStringList ScriptStrings(const QString& script);

// The movie addresses among a script's string literals, before resolution: those that name a
// movie, spaces encoded.
QStringList ScriptMovieStrings(const QString& script);
