#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "logic/PageScan.h"

// Reads the texts of a page's external scripts from the browser's own disk cache (the page has
// fetched them already; nothing is fetched again), off the user-interface thread. Scripts the
// engine has not written yet are looked for again a few times, briefly; the texts found go to
// done, on owner's thread, unless owner has gone.
void ReadCachedScripts(QObject* owner, const QString& profileCache, const QStringList& urls,
                       std::function<void(const QHash<QString, QString>&)> done);

// Scans a loaded page as ScanLoadedPage does; with the deep scan, once its external scripts have
// been read from the cache. network gives the movies the page fetched, asked for at the end.
void ScanLoadedPageLater(QObject* owner, const QString& profileCache, TDocumentSnapshot snapshot,
                         bool deep, std::function<QStringList()> network,
                         std::function<void(const TFoundMovieList&)> done);
