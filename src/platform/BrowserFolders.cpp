#include "platform/BrowserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
// One browser: its folder name under the config and cache homes, its snap and flatpak names.
struct BrowserEntry {
    const char* name;
    TBrowserFamily family;
    const char* folder;   // below the config and cache homes (Chromium) or the home (Firefox)
    const char* snap;     // below ~/snap, or null
    const char* flatpak;  // below ~/.var/app, or null
};

const BrowserEntry kBrowsers[] = {
    {"Firefox", TBrowserFamily::Firefox, "mozilla/firefox", "firefox", "org.mozilla.firefox"},
    {"LibreWolf", TBrowserFamily::Firefox, "librewolf", nullptr, "io.gitlab.librewolf-community"},
    {"Waterfox", TBrowserFamily::Firefox, "waterfox", nullptr, "net.waterfox.waterfox"},
    {"Chromium", TBrowserFamily::Chromium, "chromium", "chromium", "org.chromium.Chromium"},
    {"Google Chrome", TBrowserFamily::Chromium, "google-chrome", nullptr, "com.google.Chrome"},
    {"Google Chrome Beta", TBrowserFamily::Chromium, "google-chrome-beta", nullptr, nullptr},
    {"Google Chrome Dev", TBrowserFamily::Chromium, "google-chrome-unstable", nullptr, nullptr},
    {"Brave", TBrowserFamily::Chromium, "BraveSoftware/Brave-Browser", "brave",
     "com.brave.Browser"},
    {"Microsoft Edge", TBrowserFamily::Chromium, "microsoft-edge", nullptr, "com.microsoft.Edge"},
    {"Microsoft Edge Beta", TBrowserFamily::Chromium, "microsoft-edge-beta", nullptr, nullptr},
    {"Vivaldi", TBrowserFamily::Chromium, "vivaldi", nullptr, "com.vivaldi.Vivaldi"},
    {"Opera", TBrowserFamily::Chromium, "opera", "opera", "com.opera.Opera"},
};

// Firefox-family browsers keep their profiles in a dot folder of the home ("mozilla/firefox" in
// ~/.mozilla/firefox, "librewolf" in ~/.librewolf) or, newer ones, under the config home.
QString DotFolder(const BrowserEntry& b) {
    return "." + QString(b.folder);
}

TBrowserInstall Native(const BrowserEntry& b, const TUserFolders& f) {
    if (b.family == TBrowserFamily::Chromium) {
        return {b.name, b.family, {f.configHome + "/" + b.folder}, f.cacheHome + "/" + b.folder};
    }
    return {b.name,
            b.family,
            {f.home + "/" + DotFolder(b), f.configHome + "/" + b.folder},
            f.cacheHome + "/" + b.folder};
}

TBrowserInstall Snap(const BrowserEntry& b, const TUserFolders& f) {
    const QString common = f.home + "/snap/" + b.snap + "/common/";
    const QString profiles =
        b.family == TBrowserFamily::Chromium ? common + b.folder : common + DotFolder(b);
    return {b.name, b.family, {profiles}, common + ".cache/" + b.folder};
}

TBrowserInstall Flatpak(const BrowserEntry& b, const TUserFolders& f) {
    const QString app = f.home + "/.var/app/" + b.flatpak + "/";
    const QString profiles =
        b.family == TBrowserFamily::Chromium ? app + "config/" + b.folder : app + DotFolder(b);
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

void AddIfPresent(std::vector<TCacheFolder>& out, TBrowserFamily kind, const QString& path,
                  const QString& browser) {
    const QString clean = QDir::cleanPath(path);
    for (const TCacheFolder& f : out) {
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
QString FirefoxCacheOf(const TBrowserInstall& install, const QString& profile) {
    for (const QString& root : install.profileRoots) {
        if (profile.startsWith(root + "/")) {
            return install.cacheRoot + profile.mid(root.size());
        }
    }
    return profile;
}
}  // namespace

std::vector<TBrowserInstall> BrowserInstalls(const TUserFolders& folders, TBrowserFamily family) {
    std::vector<TBrowserInstall> out;
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

QStringList ProfileFolders(TBrowserFamily family, const QString& root) {
    return family == TBrowserFamily::Firefox ? FirefoxProfileFolders(root) : Subfolders(root);
}

QString EmbeddedBrowserCache(const TUserFolders& folders) {
    return folders.cacheHome + "/vimbrel/browser";
}

QString ChromiumCacheFolder(const QString& profile) {
    const QString data = profile + "/Cache/Cache_Data";
    return QFileInfo(data).isDir() ? data : profile + "/Cache";
}

std::vector<TCacheFolder> BrowserCacheFolders(const TUserFolders& folders,
                                              const QString& embeddedCache) {
    std::vector<TCacheFolder> out;
    AddIfPresent(out, TBrowserFamily::Chromium, ChromiumCacheFolder(embeddedCache),
                 kEmbeddedBrowser);
    for (const TBrowserInstall& install : BrowserInstalls(folders, TBrowserFamily::Chromium)) {
        // Browsers without profile folders keep their cache in the root itself.
        QStringList profiles = {install.cacheRoot};
        profiles << Subfolders(install.cacheRoot);
        for (const QString& profile : profiles) {
            AddIfPresent(out, TBrowserFamily::Chromium, ChromiumCacheFolder(profile),
                         install.browser);
        }
    }
    for (const TBrowserInstall& install : BrowserInstalls(folders, TBrowserFamily::Firefox)) {
        // The profiles the browser lists, then any other profile its cache root mirrors.
        QStringList locals;
        for (const QString& root : install.profileRoots) {
            for (const QString& profile : FirefoxProfileFolders(root)) {
                locals << FirefoxCacheOf(install, profile) << profile;
            }
        }
        locals << Subfolders(install.cacheRoot);
        for (const QString& local : locals) {
            AddIfPresent(out, TBrowserFamily::Firefox, local + "/cache2/entries", install.browser);
        }
    }
    return out;
}
