#pragma once

#include <QString>

class TMainFrm;
class MovieServer;

// Fills every source the cache tab reads with the server's three movies, each under its own name
// prefix: chromium ("chr-") and firefox-esr ("ff-") caches placed under cacheHome, the window's
// own browser ("own-"), and one movie played in the preview ("prev-a.swf"). False when a browser
// did not do its part in time.
bool FillEveryCacheSource(TMainFrm& frm, MovieServer& server, const QString& cacheHome);

// How many complete responses for addresses with this text the embedded browser has written.
int OwnCacheEntries(const QString& text);
