#include "platform/UrlCache.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <map>
#include <mutex>
#include <set>

#include "platform/BodyDecoding.h"
#include "platform/CacheEntryReaders.h"

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

// A profile's Chromium cache: "Cache/Cache_Data", or "Cache" itself in older builds.
void AddChromiumProfile(std::vector<CacheFolder>& out, const QString& profile) {
    const QString data = profile + "/Cache/Cache_Data";
    AddIfPresent(out, CacheFolder::Chromium, QFileInfo(data).isDir() ? data : profile + "/Cache");
}

bool IsSimpleEntryName(const QString& name) {
    if (name.size() != 18 || !name.endsWith("_0")) {
        return false;
    }
    for (int i = 0; i < 16; ++i) {
        if (!isxdigit(name[i].toLatin1())) {
            return false;
        }
    }
    return true;
}

QString OriginOf(const QFileInfo& file) {
    return QString("%1|%2|%3")
        .arg(file.absoluteFilePath())
        .arg(file.size())
        .arg(file.lastModified().toMSecsSinceEpoch());
}

// Entries already found not to be movies, by origin: unchanged files are not read again.
// Kept from one scan to the next for the entries that are still there, so memory follows the
// caches' size. Scans run one at a time; the mutex guards the hand-over.
std::mutex notMoviesMutex;
std::set<QString> notMovies;

struct ScanMemo {
    std::set<QString> previous;  // not movies at the last scan
    std::set<QString> next;      // not movies now
};

// Copies the movie of one cache entry into the store; the store path, or empty when the entry
// is no movie or not whole.
QString CopyOut(TUrlCacheStore& store, CacheFolder::Kind kind, const QFileInfo& info,
                ScanMemo& memo) {
    const QString origin = OriginOf(info);
    if (const QString done = store.PathFromOrigin(origin); !done.isEmpty()) {
        return done;
    }
    auto notAMovie = [&] {
        memo.next.insert(origin);
        return QString();
    };
    if (memo.previous.count(origin)) {
        return notAMovie();
    }
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();  // gone meanwhile: perhaps back later
    }
    const auto response =
        kind == CacheFolder::Chromium ? ReadSimpleCacheEntry(file) : ReadCache2Entry(file);
    if (!response || response->status != 200 || !response->complete || response->bodySize <= 0 ||
        response->bodySize > kMaxMovie) {
        return response ? notAMovie() : QString();
    }
    const QByteArray encoding = response->Header("Content-Encoding");
    const bool named =
        IsMovieAddress(response->url) || IsFlashType(response->Header("Content-Type"));
    if (!named && encoding.isEmpty()) {
        // Only the signature can tell: read three bytes, not the body.
        file.seek(response->bodyOffset);
        if (!HasMovieSignature(file.read(3))) {
            return notAMovie();
        }
    }
    file.seek(response->bodyOffset);
    const QByteArray stored = file.read(response->bodySize);
    bool lengthOk = false;
    const qint64 announced = response->Header("Content-Length").toLongLong(&lengthOk);
    if (stored.size() != response->bodySize || (lengthOk && announced != stored.size())) {
        return notAMovie();  // cut short: never listed as a movie
    }
    const auto body = DecodeBody(stored, encoding);
    if (!body || body->isEmpty() || (!named && !HasMovieSignature(*body))) {
        return notAMovie();
    }
    const QString target = store.PathFor(response->url);
    QDir().mkpath(store.Folder());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(*body) != body->size() || !out.commit()) {
        return QString();
    }
    store.Record(response->url, origin);
    return target;
}

void ScanFolder(TUrlCacheStore& store, const CacheFolder& folder, ScanMemo& memo,
                std::vector<UrlCacheEntry>& out, std::set<QString>& listed) {
    QDirIterator it(folder.path, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (folder.kind == CacheFolder::Chromium ? !IsSimpleEntryName(info.fileName())
                                                 : info.fileName().size() != 40) {
            continue;
        }
        const QString path = CopyOut(store, folder.kind, info, memo);
        if (!path.isEmpty() && listed.insert(path).second) {
            out.push_back({path, static_cast<quint64>(QFileInfo(path).size())});
        }
    }
}
}  // namespace

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
    std::set<QString> listed;
    auto list = [&](const QString& path) {
        if (listed.insert(path).second) {
            out.push_back({path, static_cast<quint64>(QFileInfo(path).size())});
        }
    };
    const auto items = store.Items();
    for (const auto& item : items) {
        if (item.origins.contains("preview")) {
            list(store.Folder() + "/" + item.file);
        }
    }
    ScanMemo memo;
    {
        std::lock_guard<std::mutex> lock(notMoviesMutex);
        memo.previous.swap(notMovies);
    }
    for (const CacheFolder& folder : folders) {
        ScanFolder(store, folder, memo, out, listed);
    }
    {
        std::lock_guard<std::mutex> lock(notMoviesMutex);
        notMovies.swap(memo.next);
    }
    for (const auto& item : store.Items()) {
        list(store.Folder() + "/" + item.file);
    }
    return out;
}
