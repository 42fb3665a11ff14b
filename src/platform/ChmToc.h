#pragma once

#include <QString>
#include <vector>

// One entry of a help file's table of contents, with the entries below it.
struct TTocEntry {
    QString name;
    QString local;  // the page inside the help file, as written ("web.html")
    std::vector<TTocEntry> children;
};

// Reads a contents file (the sitemap HTML of a compiled help file): nested lists of
// "text/sitemap" objects with Name and Local parameters.
std::vector<TTocEntry> ParseContents(const QString& html);
