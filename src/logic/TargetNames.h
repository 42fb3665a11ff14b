#pragma once

#include <QSet>
#include <QString>
#include <functional>

// The file name cut from a movie address: the text after the "/" before the first ".swf", up to
// and including that ".swf", in the address's own letter case; empty when the address names no
// web scheme ("http://" or "https://") or no ".swf".
QString MovieFileName(const QString& address);

// A path in folder for name that no earlier file of the same command took: name itself, else
// "stem (2).ext", "(3)" … skipping names that exist on disk too. A file that was already in the
// folder before the command is replaced when name itself is free in this command, unless
// replaceOlder is false: then name itself must be free on disk too.
QString UniqueTargetPath(const QString& folder, const QString& name,
                         const QSet<QString>& takenByCommand,
                         const std::function<bool(const QString&)>& exists,
                         bool replaceOlder = true);

// The path with " (k)" before its extension: "a/b (2).swf".
QString NumberedPath(const QString& path, int k);

// The name with the characters that reorder text on screen (bidirectional controls) taken out,
// so a name reads as what it is.
QString WithoutBidiControls(const QString& name);

// A movie's file name as it can go on disk: bidirectional controls taken out, and shortened to
// at most maxBytes bytes (a file system takes 255) by keeping its start, a hash of the whole
// and its extension.
QString DiskFileName(const QString& name, int maxBytes = 200);

// The text after the last "/" of a path.
QString LastPathPart(const QString& path);
