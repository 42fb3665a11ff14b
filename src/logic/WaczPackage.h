#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

// The parts of a WACZ package (web archive, index and pages, zipped) made from what was recorded.

// A response record of the archive, for its index.
struct TIndexedRecord {
    QString url;
    QDateTime date;
    QString mime;  // the answer's Content-Type, without its parameters
    int status = 0;
    QByteArray digest;  // of its payload, as the record gives it
    qint64 offset = 0;  // of the record's gzip member in the archive's WARC file
    qint64 length = 0;
};

// A page the package was made for.
struct TArchivedPage {
    QString url;
    QString title;
    QDateTime date;
};

// The sort-friendly key replay tools look addresses up by: the host's labels reversed and
// joined by commas ("www" dropped), the port, ")", the path, the query's pairs sorted by name.
QString SurtKey(const QString& url);
// The index (CDXJ): one line per record, "key timestamp {json}", sorted by key and time.
QByteArray CdxjIndex(const std::vector<TIndexedRecord>& records, const QString& warcName);
// pages/pages.jsonl: its header line, then one line per page.
QByteArray PagesJsonl(const std::vector<TArchivedPage>& pages);

// A file of the package for datapackage.json: its path in the package, SHA-256 (hex), size.
struct TPackagedFile {
    QString path;
    QByteArray sha256;
    qint64 bytes = 0;
};
QByteArray DataPackageJson(const std::vector<TPackagedFile>& files, const QString& software,
                           const QDateTime& created, const QString& title);
