#include "web/ScriptCache.h"

#include <QSet>
#include <QTimer>
#include <memory>

#include "logic/DeepScan.h"
#include "logic/Job.h"
#include "platform/UrlCache.h"

namespace {
constexpr int kTries = 4;
constexpr int kRetryMs = 250;  // the engine writes an entry within moments

struct Reading {
    QObject* owner;
    QString folder;
    QSet<QString> wanted;
    QHash<QString, QString> texts;
    std::function<void(const QHash<QString, QString>&)> done;
    int tries = 0;
};

void Look(const std::shared_ptr<Reading>& reading) {
    const QSet<QString> wanted = reading->wanted;
    RunInBackground<QHash<QString, QByteArray>>(
        reading->owner, [folder = reading->folder, wanted] { return CachedBodies(folder, wanted); },
        [reading](const QHash<QString, QByteArray>& found) {
            for (auto it = found.begin(); it != found.end(); ++it) {
                reading->texts.insert(it.key(), QString::fromUtf8(it.value()));
                reading->wanted.remove(it.key());
            }
            if (reading->wanted.isEmpty() || ++reading->tries == kTries) {
                reading->done(reading->texts);
            } else {
                QTimer::singleShot(kRetryMs, reading->owner, [reading] { Look(reading); });
            }
        });
}
}  // namespace

void ReadCachedScripts(QObject* owner, const QString& profileCache, const QStringList& urls,
                       std::function<void(const QHash<QString, QString>&)> done) {
    auto reading = std::make_shared<Reading>(Reading{owner,
                                                     ChromiumCacheFolder(profileCache),
                                                     QSet<QString>(urls.begin(), urls.end()),
                                                     {},
                                                     std::move(done)});
    if (reading->wanted.isEmpty()) {
        reading->done({});
        return;
    }
    Look(reading);
}

void ScanLoadedPageLater(QObject* owner, const QString& profileCache, TDocumentSnapshot snapshot,
                         bool deep, std::function<QStringList()> network,
                         std::function<void(const TFoundMovieList&)> done) {
    if (!deep) {
        done(ScanLoadedPage(snapshot, false, {}));
        return;
    }
    const QStringList sources = ScriptSources(snapshot);
    ReadCachedScripts(owner, profileCache, sources,
                      [owner, snapshot = std::move(snapshot), network = std::move(network),
                       done = std::move(done)](const ScriptTexts& texts) {
                          // Reading large scripts takes a while: off the window's thread.
                          RunInBackground<TFoundMovieList>(
                              owner,
                              [snapshot, texts, movies = network()] {
                                  return ScanLoadedPage(snapshot, true, movies, texts);
                              },
                              done);
                      });
}
