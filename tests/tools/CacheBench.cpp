// Times the cache scan over a generated Chromium simple-cache folder of 20,000 entries, 500 of
// them movies: a first (cold) scan that copies the movies out, then warm scans, each beside
// `find DIR -type f | wc -l` over the same folder, with the peak memory after each scan. Not a
// test: the machine is shared, so compare the ratio.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "platform/UrlCache.h"
#include "support/SimpleCacheWriter.h"

namespace {
constexpr int kEntries = 20000;
constexpr int kMovies = 500;

double FindMs(const QString& folder) {
    QElapsedTimer t;
    t.start();
    QProcess::execute("sh", {"-c", "find '" + folder + "' -type f | wc -l > /dev/null"});
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString cache = dir.filePath("Cache_Data");
    const QByteArray script(2000, 'x');
    for (int i = 0; i < kEntries; ++i) {
        const bool movie = i % (kEntries / kMovies) == 0;
        const QByteArray url =
            "http://bench.example/" + QByteArray::number(i) + (movie ? "/game.swf" : "/script.js");
        const QByteArray body = movie ? "FWS" + QByteArray(4000, 'm') : script;
        WriteSimpleCacheEntry(
            QString("%1/%2_0").arg(cache).arg(i, 16, 16, QChar('0')),
            "1/0/_dk_http://bench.example http://bench.example " + url,
            RawHeaders(movie ? "application/octet-stream" : "text/javascript", body.size()), body);
    }
    TUrlCacheStore store(dir.filePath("store"));
    const std::vector<TCacheFolder> folders = {{TBrowserFamily::Chromium, cache, "bench"}};
    std::printf("%d entries, %d movies\n", kEntries, kMovies);
    const long startKb = PeakKb();
    for (int run = 1; run <= 4; ++run) {
        QElapsedTimer t;
        t.start();
        const auto listed = EnumerateUrlCache(store, folders);
        const double scanMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
        const double findMs = FindMs(cache);
        std::printf(
            "scan %d (%s): %.1f ms, %zu listed; find | wc -l: %.1f ms; ratio %.2f; "
            "peak memory +%ld kB\n",
            run, run == 1 ? "cold, copies out" : "warm", scanMs, listed.size(), findMs,
            scanMs / findMs, PeakKb() - startKb);
    }
    return 0;
}
