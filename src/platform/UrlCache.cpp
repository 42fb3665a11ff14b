#include "platform/UrlCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QtEndian>
#include <cstring>
#include <functional>
#include <mutex>

#include "platform/BodyDecoding.h"
#include "platform/CacheEntryReaders.h"
#include "platform/FileOps.h"

namespace {

// Where a decoded movie ends: its header gives its length (bytes 4 to 7), which a compressed
// movie's file stays within, give or take its compressor's framing. A body that says more is
// cut there, so a small body that decodes to gigabytes costs no more than its movie.
qint64 MovieEnd(const QByteArray& decoded) {
    if (decoded.size() < 8 || !HasMovieSignature(decoded)) {
        return kMaxDecodedBody + 1;
    }
    const qint64 declared = qFromLittleEndian<quint32>(decoded.constData() + 4);
    return decoded.startsWith("FWS") ? declared : declared + declared / 64 + 1024;
}

// "<16 hex>_0" for Chromium's entries, "<40 hex>" for Firefox's.
bool IsEntryName(const char* name, TBrowserFamily kind) {
    const size_t hex = kind == TBrowserFamily::Chromium ? 16 : 40;
    for (size_t i = 0; i < hex; ++i) {
        if (!isxdigit(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return kind == TBrowserFamily::Chromium ? std::strcmp(name + hex, "_0") == 0
                                            : name[hex] == '\0';
}

// A cache file as the folder walk found it. Its origin names it with its size and time, so a
// file rewritten under the same name is a new origin.
struct EntryFile {
    QString path;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QString Origin() const {
        return path + '|' + QString::number(size) + '|' + QString::number(modifiedNs);
    }
};

// Entries already found not to be movies, by path with their size and time: unchanged files
// are not read again. Kept from one scan to the next for the entries that are still there, so
// memory follows the caches' size. Scans run one at a time; the mutex guards the hand-over.
struct NotAMovie {
    qint64 size;
    qint64 modifiedNs;
    int scan;  // the last scan that saw it
};
std::mutex notMoviesMutex;
QHash<QString, NotAMovie> notMovies;
int scans = 0;

struct ScanMemo {
    QHash<QString, NotAMovie>& entries;
    int scan;
};

// Copies the movie of one cache entry into the store; the store path, or empty when the entry
// is no movie or not whole. address gets the movie's address when it is read.
QString CopyOut(TUrlCacheStore& store, TBrowserFamily kind, const EntryFile& entry, ScanMemo& memo,
                QString* address) {
    auto notAMovie = [&] {
        memo.entries.insert(entry.path, {entry.size, entry.modifiedNs, memo.scan});
        return QString();
    };
    // Most entries of a cache are known, unchanged, not to be movies.
    const auto known = memo.entries.find(entry.path);
    if (known != memo.entries.end() && known->size == entry.size &&
        known->modifiedNs == entry.modifiedNs) {
        known->scan = memo.scan;
        return QString();
    }
    const QString origin = entry.Origin();
    if (const QString done = store.PathFromOrigin(origin, address); !done.isEmpty()) {
        return done;
    }
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();  // gone meanwhile: perhaps back later
    }
    const auto response =
        kind == TBrowserFamily::Chromium ? ReadSimpleCacheEntry(file) : ReadCache2Entry(file);
    if (!response) {
        return QString();  // being written, or damaged: perhaps whole later
    }
    const auto body = ReadMovieBody(file, *response);
    if (!body) {
        return notAMovie();
    }
    *address = response->url;
    QString target = store.PathFor(response->url);
    QDir().mkpath(store.Folder());
    // A new file never replaces one that another process stored under the name meanwhile.
    const auto replace =
        QFileInfo::exists(target) ? TAtomicFile::Replace::Always : TAtomicFile::Replace::Never;
    TAtomicFile out(target);
    if (!out.Write(body->constData(), static_cast<size_t>(body->size()))) {
        return QString();
    }
    bool committed = out.Commit(replace);
    while (!committed && out.Taken()) {
        target = store.PathElsewhere(response->url);
        committed = out.CommitAs(target, replace);
    }
    if (!committed) {
        return QString();
    }
    store.Record(response->url, origin, TUrlCacheStore::Writing::Batched);
    return target;
}

// Walks the folder with the system's own calls: a cache holds tens of thousands of files and
// most are passed over on their name, size and time alone.
void ScanFolder(TUrlCacheStore& store, const TCacheFolder& folder, ScanMemo& memo,
                std::vector<TUrlCacheEntry>& out, QSet<QString>& listed) {
    DIR* dir = opendir(QFile::encodeName(folder.path).constData());
    if (!dir) {
        return;
    }
    const QString prefix = folder.path + '/';
    while (const dirent* d = readdir(dir)) {
        if (!IsEntryName(d->d_name, folder.kind)) {
            continue;
        }
        struct stat info {};
        if (fstatat(dirfd(dir), d->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        const EntryFile entry{
            prefix + QLatin1String(d->d_name), static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
        QString address;
        const QString path = CopyOut(store, folder.kind, entry, memo, &address);
        if (!path.isEmpty() && !listed.contains(path)) {
            listed.insert(path);
            out.push_back(
                {path, static_cast<quint64>(QFileInfo(path).size()), address, folder.browser});
        }
    }
    closedir(dir);
}
}  // namespace

std::optional<QByteArray> ReadMovieBody(QIODevice& file, const TCachedResponse& response) {
    if (response.status != 200 || !response.complete || response.bodySize <= 0 ||
        response.bodySize > kMaxDecodedBody) {
        return std::nullopt;
    }
    const QByteArray encoding = response.Header("Content-Encoding");
    const bool named = IsMovieAddress(response.url) || IsFlashType(response.Header("Content-Type"));
    if (!named && encoding.isEmpty()) {
        // Only the signature can tell: read three bytes, not the body.
        file.seek(response.bodyOffset);
        if (!HasMovieSignature(file.read(3))) {
            return std::nullopt;
        }
    }
    file.seek(response.bodyOffset);
    const QByteArray stored = file.read(response.bodySize);
    bool lengthOk = false;
    const qint64 announced = response.Header("Content-Length").toLongLong(&lengthOk);
    if (stored.size() != response.bodySize || (lengthOk && announced != stored.size())) {
        return std::nullopt;  // cut short: never taken for a movie
    }
    if (!named) {
        // Only the signature can tell: the first bytes decoded, not the body.
        const auto start = DecodeBody(stored, encoding, [](const QByteArray&) { return 3; });
        if (!start || !HasMovieSignature(*start)) {
            return std::nullopt;
        }
    }
    auto body = DecodeBody(stored, encoding, MovieEnd);
    if (!body || body->isEmpty() || (!named && !HasMovieSignature(*body))) {
        return std::nullopt;
    }
    return body;
}

// Every whole entry of a Chromium cache folder whose address is wanted, read from its header
// and key first so that the others cost little.
void ForEachWantedEntry(const QString& folder, const QSet<QString>& wanted,
                        const std::function<void(QFile&, const TCachedResponse&)>& take) {
    for (const QFileInfo& f : QDir(folder).entryInfoList({"*_0"}, QDir::Files)) {
        QFile file(f.absoluteFilePath());
        if (!IsEntryName(QFile::encodeName(f.fileName()).constData(), TBrowserFamily::Chromium) ||
            !file.open(QIODevice::ReadOnly) || !wanted.contains(ReadSimpleCacheUrl(file))) {
            continue;
        }
        if (const auto response = ReadSimpleCacheEntry(file)) {  // else still being written
            take(file, *response);
        }
    }
}

QStringList MovieResponsesAmong(const QString& folder, const QStringList& urls, QStringList* seen) {
    QStringList movies;
    ForEachWantedEntry(folder, QSet<QString>(urls.begin(), urls.end()),
                       [&](QFile& file, const TCachedResponse& response) {
                           seen->append(response.url);
                           if (ReadMovieBody(file, response)) {
                               movies << response.url;
                           }
                       });
    return movies;
}

QHash<QString, QByteArray> CachedBodies(const QString& folder, const QSet<QString>& urls) {
    QHash<QString, QByteArray> bodies;
    ForEachWantedEntry(folder, urls, [&](QFile& file, const TCachedResponse& response) {
        if (response.status != 200 || !response.complete || response.bodySize > kMaxDecodedBody ||
            !file.seek(response.bodyOffset)) {
            return;
        }
        const QByteArray stored = file.read(response.bodySize);
        if (stored.size() == response.bodySize) {
            if (auto body = DecodeBody(stored, response.Header("Content-Encoding"))) {
                bodies.insert(response.url, *body);
            }
        }
    });
    return bodies;
}

bool IsMovieAddress(const QString& address) {
    return WithoutQuery(address).endsWith(".swf", Qt::CaseInsensitive);
}

bool IsFlashType(const QByteArray& contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "application/x-shockwave-flash" || type == "application/vnd.adobe.flash.movie";
}

bool HasMovieSignature(const QByteArray& body) {
    return body.startsWith("FWS") || body.startsWith("CWS") || body.startsWith("ZWS");
}

bool IsMovieFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && HasMovieSignature(file.read(3));
}

std::vector<TUrlCacheEntry> EnumerateUrlCache(TUrlCacheStore& store,
                                              const std::vector<TCacheFolder>& folders,
                                              TOutcome* indexKept) {
    std::vector<TUrlCacheEntry> out;
    QSet<QString> listed;
    auto list = [&](const TUrlCacheStore::Item& item, const QString& browser) {
        const QString path = store.Folder() + "/" + item.file;
        if (!listed.contains(path)) {
            listed.insert(path);
            out.push_back(
                {path, static_cast<quint64>(QFileInfo(path).size()), item.address, browser});
        }
    };
    const auto items = store.Items();
    for (const auto& item : items) {
        if (item.origins.contains("preview")) {
            list(item, kPreviewSource);
        }
    }
    {
        std::lock_guard<std::mutex> lock(notMoviesMutex);
        ScanMemo memo{notMovies, ++scans};
        for (const TCacheFolder& folder : folders) {
            ScanFolder(store, folder, memo, out, listed);
        }
        const TOutcome flushed = store.Flush();
        if (indexKept) {
            *indexKept = flushed;
        }
        // Entries gone since are forgotten.
        notMovies.removeIf([&](const auto& entry) { return entry.value().scan != memo.scan; });
    }
    for (const auto& item : store.Items()) {
        list(item, QString());
    }
    return out;
}
