#include "platform/BrowserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
// One browser: its folder name under the config and cache homes, its snap and flatpak names.
struct BrowserEntry {
    const char* name;
    BrowserFamily family;
    const char* folder;   // below the config and cache homes (Chromium) or the home (Firefox)
    const char* snap;     // below ~/snap, or null
    const char* flatpak;  // below ~/.var/app, or null
};

const BrowserEntry kBrowsers[] = {
    {"Firefox", BrowserFamily::Firefox, "mozilla/firefox", "firefox", "org.mozilla.firefox"},
    {"LibreWolf", BrowserFamily::Firefox, "librewolf", nullptr, "io.gitlab.librewolf-community"},
    {"Waterfox", BrowserFamily::Firefox, "waterfox", nullptr, "net.waterfox.waterfox"},
    {"Chromium", BrowserFamily::Chromium, "chromium", "chromium", "org.chromium.Chromium"},
    {"Google Chrome", BrowserFamily::Chromium, "google-chrome", nullptr, "com.google.Chrome"},
    {"Google Chrome Beta", BrowserFamily::Chromium, "google-chrome-beta", nullptr, nullptr},
    {"Google Chrome Dev", BrowserFamily::Chromium, "google-chrome-unstable", nullptr, nullptr},
    {"Brave", BrowserFamily::Chromium, "BraveSoftware/Brave-Browser", "brave", "com.brave.Browser"},
    {"Microsoft Edge", BrowserFamily::Chromium, "microsoft-edge", nullptr, "com.microsoft.Edge"},
    {"Microsoft Edge Beta", BrowserFamily::Chromium, "microsoft-edge-beta", nullptr, nullptr},
    {"Vivaldi", BrowserFamily::Chromium, "vivaldi", nullptr, "com.vivaldi.Vivaldi"},
    {"Opera", BrowserFamily::Chromium, "opera", "opera", "com.opera.Opera"},
};

// Firefox-family browsers keep their profiles in a dot folder of the home ("mozilla/firefox" in
// ~/.mozilla/firefox, "librewolf" in ~/.librewolf) or, newer ones, under the config home.
QString DotFolder(const BrowserEntry& b) {
    return "." + QString(b.folder);
}

BrowserInstall Native(const BrowserEntry& b, const TUserFolders& f) {
    if (b.family == BrowserFamily::Chromium) {
        return {b.name, b.family, {f.configHome + "/" + b.folder}, f.cacheHome + "/" + b.folder};
    }
    return {b.name,
            b.family,
            {f.home + "/" + DotFolder(b), f.configHome + "/" + b.folder},
            f.cacheHome + "/" + b.folder};
}

BrowserInstall Snap(const BrowserEntry& b, const TUserFolders& f) {
    const QString common = f.home + "/snap/" + b.snap + "/common/";
    const QString profiles =
        b.family == BrowserFamily::Chromium ? common + b.folder : common + DotFolder(b);
    return {b.name, b.family, {profiles}, common + ".cache/" + b.folder};
}

BrowserInstall Flatpak(const BrowserEntry& b, const TUserFolders& f) {
    const QString app = f.home + "/.var/app/" + b.flatpak + "/";
    const QString profiles =
        b.family == BrowserFamily::Chromium ? app + "config/" + b.folder : app + DotFolder(b);
    return {b.name, b.family, {profiles}, app + "cache/" + b.folder};
}

QStringList Subfolders(const QString& folder) {
    QStringList out;
    for (const QString& name :
         QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        out << folder + "/" + name;
    }
    return out;
}

void AddIfPresent(std::vector<CacheFolder>& out, BrowserFamily kind, const QString& path,
                  const QString& browser) {
    const QString clean = QDir::cleanPath(path);
    for (const CacheFolder& f : out) {
        if (f.path == clean) {
            return;
        }
    }
    if (QFileInfo(clean).isDir()) {
        out.push_back({kind, clean, browser});
    }
}

// A Firefox profile's local folder holds its cache: under the cache root for a profile kept in
// a profile root, the profile itself otherwise.
QString FirefoxCacheOf(const BrowserInstall& install, const QString& profile) {
    for (const QString& root : install.profileRoots) {
        if (profile.startsWith(root + "/")) {
            return install.cacheRoot + profile.mid(root.size());
        }
    }
    return profile;
}
}  // namespace

std::vector<BrowserInstall> BrowserInstalls(const TUserFolders& folders, BrowserFamily family) {
    std::vector<BrowserInstall> out;
    for (const BrowserEntry& b : kBrowsers) {
        if (b.family != family) {
            continue;
        }
        out.push_back(Native(b, folders));
        if (b.snap) {
            out.push_back(Snap(b, folders));
        }
        if (b.flatpak) {
            out.push_back(Flatpak(b, folders));
        }
    }
    return out;
}

QStringList FirefoxProfileFolders(const QString& root) {
    QStringList folders;
    const QString ini = root + "/profiles.ini";
    if (!QFileInfo::exists(ini)) {
        return folders;
    }
    QSettings settings(ini, QSettings::IniFormat);
    auto add = [&](const QString& path, bool relative) {
        if (path.isEmpty()) {
            return;
        }
        const QString folder = QDir::cleanPath(relative ? root + "/" + path : path);
        if (!folders.contains(folder)) {
            folders << folder;
        }
    };
    // The installs' default profiles first, then every listed profile.
    for (const QString& group : settings.childGroups()) {
        if (group.startsWith("Install")) {
            const QString path = settings.value(group + "/Default").toString();
            add(path, !QDir::isAbsolutePath(path));
        }
    }
    for (const QString& group : settings.childGroups()) {
        if (group.startsWith("Profile")) {
            add(settings.value(group + "/Path").toString(),
                settings.value(group + "/IsRelative", 1).toInt() != 0);
        }
    }
    return folders;
}

QStringList ProfileFolders(BrowserFamily family, const QString& root) {
    return family == BrowserFamily::Firefox ? FirefoxProfileFolders(root) : Subfolders(root);
}

QString EmbeddedBrowserCache(const TUserFolders& folders) {
    return folders.cacheHome + "/vimbrel/browser";
}

QString ChromiumCacheFolder(const QString& profile) {
    const QString data = profile + "/Cache/Cache_Data";
    return QFileInfo(data).isDir() ? data : profile + "/Cache";
}

std::vector<CacheFolder> BrowserCacheFolders(const TUserFolders& folders,
                                             const QString& embeddedCache) {
    std::vector<CacheFolder> out;
    AddIfPresent(out, BrowserFamily::Chromium, ChromiumCacheFolder(embeddedCache),
                 kEmbeddedBrowser);
    for (const BrowserInstall& install : BrowserInstalls(folders, BrowserFamily::Chromium)) {
        // Browsers without profile folders keep their cache in the root itself.
        QStringList profiles = {install.cacheRoot};
        profiles << Subfolders(install.cacheRoot);
        for (const QString& profile : profiles) {
            AddIfPresent(out, BrowserFamily::Chromium, ChromiumCacheFolder(profile),
                         install.browser);
        }
    }
    for (const BrowserInstall& install : BrowserInstalls(folders, BrowserFamily::Firefox)) {
        // The profiles the browser lists, then any other profile its cache root mirrors.
        QStringList locals;
        for (const QString& root : install.profileRoots) {
            for (const QString& profile : FirefoxProfileFolders(root)) {
                locals << FirefoxCacheOf(install, profile) << profile;
            }
        }
        locals << Subfolders(install.cacheRoot);
        for (const QString& local : locals) {
            AddIfPresent(out, BrowserFamily::Firefox, local + "/cache2/entries", install.browser);
        }
    }
    return out;
}
