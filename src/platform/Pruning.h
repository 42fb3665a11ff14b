#pragma once

#include <QSet>
#include <QString>

// Removes the files under folder (its subfolders included) that were used longest ago (by their
// modification time) until what stays holds at most maxBytes. Files whose names are in keep
// (names within their folder, such as an index) stay, and so does everything modified within
// the last minute (a file being written). Links are not followed. The bytes removed.
qint64 PruneFolder(const QString& folder, qint64 maxBytes, const QSet<QString>& keep = {});

// Marks a file as just used, so that pruning keeps it longest.
void TouchFile(const QString& path);
