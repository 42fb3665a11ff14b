#include "platform/UrlCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cstring>
#include <mutex>

#include "platform/BodyDecoding.h"
#include "platform/CacheEntryReaders.h"
#include "platform/FileOps.h"

namespace {
constexpr qint64 kMaxMovie = 1LL << 30;  // larger bodies are not movies worth reading whole

// Browser folders under the cache home (each holding profiles), and their snap and flatpak homes.
struct BrowserRoot {
    const char* cacheName;  // below the cache home
    const char* snap;       // below ~/snap, or null
    const char* flatpak;    // below ~/.var/app, or null
};

const BrowserRoot kChromiumRoots[] = {
    {"chromium", "chromium", "org.chromium.Chromium"},
    {"google-chrome", nullptr, "com.google.Chrome"},
    {"google-chrome-beta", nullptr, nullptr},
    {"google-chrome-unstable", nullptr, nullptr},
    {"BraveSoftware/Brave-Browser", "brave", "com.brave.Browser"},
    {"microsoft-edge", nullptr, "com.microsoft.Edge"},
    {"microsoft-edge-beta", nullptr, nullptr},
    {"vivaldi", nullptr, "com.vivaldi.Vivaldi"},
    {"opera", "opera", "com.opera.Opera"},
};

const BrowserRoot kFirefoxRoots[] = {
    {"mozilla/firefox", "firefox", "org.mozilla.firefox"},
    {"librewolf", nullptr, "io.gitlab.librewolf-community"},
    {"waterfox", nullptr, "net.waterfox.waterfox"},
};

// The places one browser keeps its cache: native, snap and flatpak.
QStringList CacheHomes(const BrowserRoot& root, const QString& home, const QString& cacheHome) {
    QStringList homes = {cacheHome + "/" + root.cacheName};
    if (root.snap) {
        homes << home + "/snap/" + root.snap + "/common/.cache/" + root.cacheName;
    }
    if (root.flatpak) {
        homes << home + "/.var/app/" + root.flatpak + "/cache/" + root.cacheName;
    }
    return homes;
}

QStringList Subfolders(const QString& folder) {
    QStringList out;
    for (const QString& name :
         QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        out << folder + "/" + name;
    }
    return out;
}

void AddIfPresent(std::vector<CacheFolder>& out, CacheFolder::Kind kind, const QString& path) {
    const QString clean = QDir::cleanPath(path);
    for (const CacheFolder& f : out) {
        if (f.path == clean) {
            return;
        }
    }
    if (QFileInfo(clean).isDir()) {
        out.push_back({kind, clean});
    }
}

void AddChromiumProfile(std::vector<CacheFolder>& out, const QString& profile) {
    AddIfPresent(out, CacheFolder::Chromium, ChromiumCacheFolder(profile));
}

// "<16 hex>_0" for Chromium's entries, "<40 hex>" for Firefox's.
bool IsEntryName(const char* name, CacheFolder::Kind kind) {
    const size_t hex = kind == CacheFolder::Chromium ? 16 : 40;
    for (size_t i = 0; i < hex; ++i) {
        if (!isxdigit(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return kind == CacheFolder::Chromium ? std::strcmp(name + hex, "_0") == 0 : name[hex] == '\0';
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
// is no movie or not whole.
QString CopyOut(TUrlCacheStore& store, CacheFolder::Kind kind, const EntryFile& entry,
                ScanMemo& memo) {
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
    if (const QString done = store.PathFromOrigin(origin); !done.isEmpty()) {
        return done;
    }
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();  // gone meanwhile: perhaps back later
    }
    const auto response =
        kind == CacheFolder::Chromium ? ReadSimpleCacheEntry(file) : ReadCache2Entry(file);
    if (!response) {
        return QString();  // being written, or damaged: perhaps whole later
    }
    const auto body = ReadMovieBody(file, *response);
    if (!body) {
        return notAMovie();
    }
    const QString target = store.PathFor(response->url);
    QDir().mkpath(store.Folder());
    TAtomicFile out(target);
    if (!out.Write(body->constData(), static_cast<size_t>(body->size())) || !out.Commit()) {
        return QString();
    }
    store.Record(response->url, origin, TUrlCacheStore::Writing::Batched);
    return target;
}

// Walks the folder with the system's own calls: a cache holds tens of thousands of files and
// most are passed over on their name, size and time alone.
void ScanFolder(TUrlCacheStore& store, const CacheFolder& folder, ScanMemo& memo,
                std::vector<UrlCacheEntry>& out, QSet<QString>& listed) {
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
        const QString path = CopyOut(store, folder.kind, entry, memo);
        if (!path.isEmpty() && !listed.contains(path)) {
            listed.insert(path);
            out.push_back({path, static_cast<quint64>(QFileInfo(path).size())});
        }
    }
    closedir(dir);
}
}  // namespace

std::optional<QByteArray> ReadMovieBody(QIODevice& file, const CachedResponse& response) {
    if (response.status != 200 || !response.complete || response.bodySize <= 0 ||
        response.bodySize > kMaxMovie) {
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
    auto body = DecodeBody(stored, encoding);
    if (!body || body->isEmpty() || (!named && !HasMovieSignature(*body))) {
        return std::nullopt;
    }
    return body;
}

QString ChromiumCacheFolder(const QString& profile) {
    const QString data = profile + "/Cache/Cache_Data";
    return QFileInfo(data).isDir() ? data : profile + "/Cache";
}

QStringList MovieResponsesAmong(const QString& folder, const QStringList& urls, QStringList* seen) {
    QStringList movies;
    const QSet<QString> wanted(urls.begin(), urls.end());
    for (const QFileInfo& f : QDir(folder).entryInfoList({"*_0"}, QDir::Files)) {
        QFile file(f.absoluteFilePath());
        if (!IsEntryName(QFile::encodeName(f.fileName()).constData(), CacheFolder::Chromium) ||
            !file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString url = ReadSimpleCacheUrl(file);
        if (!wanted.contains(url)) {
            continue;
        }
        const auto response = ReadSimpleCacheEntry(file);
        if (!response) {
            continue;  // still being written
        }
        seen->append(url);
        if (ReadMovieBody(file, *response)) {
            movies << url;
        }
    }
    return movies;
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

std::vector<CacheFolder> BrowserCacheFolders(const QString& home, const QString& cacheHome,
                                             const QString& configHome,
                                             const QString& embeddedCache) {
    std::vector<CacheFolder> out;
    AddChromiumProfile(out, embeddedCache);
    for (const BrowserRoot& root : kChromiumRoots) {
        for (const QString& browserHome : CacheHomes(root, home, cacheHome)) {
            AddChromiumProfile(out, browserHome);  // browsers without profile folders
            for (const QString& profile : Subfolders(browserHome)) {
                AddChromiumProfile(out, profile);
            }
        }
    }
    QStringList firefoxProfiles;
    for (const BrowserRoot& root : kFirefoxRoots) {
        for (const QString& browserHome : CacheHomes(root, home, cacheHome)) {
            firefoxProfiles << Subfolders(browserHome);
        }
    }
    // Profiles kept outside the cache home hold their cache themselves.
    firefoxProfiles << Subfolders(home + "/.mozilla/firefox")
                    << Subfolders(configHome + "/mozilla/firefox");
    for (const QString& profile : firefoxProfiles) {
        AddIfPresent(out, CacheFolder::Firefox, profile + "/cache2/entries");
    }
    return out;
}

std::vector<UrlCacheEntry> EnumerateUrlCache(TUrlCacheStore& store,
                                             const std::vector<CacheFolder>& folders) {
    std::vector<UrlCacheEntry> out;
    QSet<QString> listed;
    auto list = [&](const QString& path) {
        if (!listed.contains(path)) {
            listed.insert(path);
            out.push_back({path, static_cast<quint64>(QFileInfo(path).size())});
        }
    };
    const auto items = store.Items();
    for (const auto& item : items) {
        if (item.origins.contains("preview")) {
            list(store.Folder() + "/" + item.file);
        }
    }
    {
        std::lock_guard<std::mutex> lock(notMoviesMutex);
        ScanMemo memo{notMovies, ++scans};
        for (const CacheFolder& folder : folders) {
            ScanFolder(store, folder, memo, out, listed);
        }
        store.Flush();
        // Entries gone since are forgotten.
        notMovies.removeIf([&](const auto& entry) { return entry.value().scan != memo.scan; });
    }
    for (const auto& item : store.Items()) {
        list(store.Folder() + "/" + item.file);
    }
    return out;
}
