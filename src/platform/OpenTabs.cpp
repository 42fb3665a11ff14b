#include "platform/OpenTabs.h"

#include <lz4.h>

#include "platform/BrowserFolders.h"
#include "platform/Pickle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

namespace {
constexpr qint64 kMaxSessionBytes = 256LL * 1024 * 1024;

std::optional<QByteArray> ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxSessionBytes) {
        return std::nullopt;
    }
    return f.readAll();
}

// ---- Firefox family

QStringList FirefoxProfileTabs(const QString& profile) {
    // The live recovery file first, then its backup, then the clean-shutdown session.
    for (const char* name : {"sessionstore-backups/recovery.jsonlz4",
                             "sessionstore-backups/recovery.baklz4", "sessionstore.jsonlz4"}) {
        const auto file = ReadFile(profile + "/" + name);
        if (!file) {
            continue;
        }
        if (const auto json = DecodeMozLz4(*file)) {
            if (auto tabs = FirefoxTabsFromJson(*json)) {
                return *tabs;
            }
        }
    }
    return {};
}

// ---- Chromium family

QStringList ChromiumProfileTabs(const QString& profile) {
    // The newest session file with a readable header.
    QFileInfoList sessions =
        QDir(profile + "/Sessions")
            .entryInfoList({"Session_*"}, QDir::Files, QDir::Name | QDir::Reversed);
    const QFileInfo legacy(profile + "/Current Session");
    if (legacy.exists()) {
        sessions << legacy;
    }
    for (const QFileInfo& session : sessions) {
        const auto file = ReadFile(session.absoluteFilePath());
        if (!file) {
            continue;
        }
        if (auto tabs = ChromiumTabsFromSession(*file)) {
            return *tabs;
        }
    }
    return {};
}

// A little-endian reader over a byte range that fails instead of reading past its end.
class Reader {
  public:
    Reader(const char* data, qsizetype size) : data_(data), size_(size) {}
    bool Int32(qint32* v) { return Raw(v, 4); }
    bool UInt16(quint16* v) { return Raw(v, 2); }
    bool UInt8(quint8* v) { return Raw(v, 1); }
    bool Skip(qsizetype n) {
        if (n < 0 || n > size_ - pos_) {
            return false;
        }
        pos_ += n;
        return true;
    }
    qsizetype Left() const { return size_ - pos_; }
    const char* Here() const { return data_ + pos_; }

  private:
    template <typename T>
    bool Raw(T* v, qsizetype n) {
        if (n > size_ - pos_) {
            return false;
        }
        std::memcpy(v, data_ + pos_, static_cast<size_t>(n));
        pos_ += n;
        return true;
    }
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

struct ChromiumTab {
    qint32 window = 0;
    qint32 visualIndex = 0;
    std::map<qint32, QString> navigations;  // history index -> address
    qint32 current = -1;
};

QString CurrentAddress(const ChromiumTab& tab) {
    const auto exact = tab.navigations.find(tab.current);
    if (exact != tab.navigations.end()) {
        return exact->second;
    }
    const auto later = tab.navigations.upper_bound(tab.current);
    return later != tab.navigations.end() ? later->second : tab.navigations.rbegin()->second;
}

// Removes navigations [from, from + count) and moves later ones down by count. The file's
// numbers are not trusted: a count below one prunes nothing, and the sums are taken wide.
void PruneNavigations(ChromiumTab& tab, qint32 from, qint32 count) {
    if (count < 1) {
        return;
    }
    const qint64 end = qint64(from) + count;
    std::map<qint32, QString> kept;
    for (const auto& [index, url] : tab.navigations) {
        if (index < from) {
            kept[index] = url;
        } else if (index >= end) {
            kept[index - count] = url;
        }
    }
    tab.navigations = std::move(kept);
    if (tab.current >= end) {
        tab.current -= count;
    } else if (tab.current >= from) {
        tab.current = qint32(std::max<qint64>(qint64(from) - 1, -1));
    }
}
}  // namespace

std::optional<QByteArray> DecodeMozLz4(const QByteArray& file) {
    static const QByteArray magic("mozLz40\0", 8);
    if (file.size() < 12 || !file.startsWith(magic)) {
        return std::nullopt;
    }
    quint32 size = 0;
    std::memcpy(&size, file.constData() + 8, 4);
    if (size == 0 || size > kMaxSessionBytes) {
        return std::nullopt;
    }
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    const int n = LZ4_decompress_safe(file.constData() + 12, out.data(),
                                      static_cast<int>(file.size() - 12), static_cast<int>(size));
    if (n != static_cast<int>(size)) {
        return std::nullopt;  // corrupt, or not the size the header promised
    }
    return out;
}

std::optional<QStringList> FirefoxTabsFromJson(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject()) {
        return std::nullopt;
    }
    QStringList tabs;
    for (const auto& window : doc.object().value("windows").toArray()) {
        for (const auto& tabValue : window.toObject().value("tabs").toArray()) {
            const QJsonObject tab = tabValue.toObject();
            const QJsonArray entries = tab.value("entries").toArray();
            if (entries.isEmpty()) {
                tabs << tab.value("userTypedValue").toString();
                continue;
            }
            const int index = std::clamp(tab.value("index").toInt(entries.size()), 1,
                                         static_cast<int>(entries.size()));
            tabs << entries.at(index - 1).toObject().value("url").toString();
        }
    }
    return tabs;
}

std::optional<QStringList> ChromiumTabsFromSession(const QByteArray& snss) {
    Reader file(snss.constData(), snss.size());
    qint32 signature = 0;
    qint32 version = 0;
    if (!file.Int32(&signature) || !file.Int32(&version) || signature != 0x53534E53 ||
        (version != 1 && version != 3)) {
        return std::nullopt;  // not a session file, or an encrypted one
    }
    std::map<qint32, ChromiumTab> tabs;
    std::map<qint32, bool> realWindows;
    auto pair = [](const char* p, qint32* a, qint32* b) {
        std::memcpy(a, p, 4);
        std::memcpy(b, p + 4, 4);
    };
    for (;;) {
        quint16 size = 0;
        quint8 id = 0;
        if (!file.UInt16(&size) || size == 0 || !file.UInt8(&id) || file.Left() < size - 1) {
            break;  // the end, or a record cut short by an interrupted write
        }
        const char* p = file.Here();
        const qsizetype n = size - 1;
        file.Skip(n);
        qint32 a = 0, b = 0, c = 0;
        switch (id) {
            case 0:  // SetTabWindow: window, tab
                if (n == 8) {
                    pair(p, &a, &b);
                    tabs[b].window = a;
                }
                break;
            case 2:  // SetTabIndexInWindow: tab, visual index
                if (n == 8) {
                    pair(p, &a, &b);
                    tabs[a].visualIndex = b;
                }
                break;
            case 5:  // PathPrunedFromBack: tab, index
                if (n == 8) {
                    pair(p, &a, &b);
                    if (b >= 0) {  // a negative index is not one the browser writes
                        PruneNavigations(tabs[a], b, std::numeric_limits<qint32>::max() - b);
                    }
                }
                break;
            case 6: {  // UpdateTabNavigation: pickle of tab, index, address, …
                TPickleReader pickle(p, n);
                QByteArray url;
                if (pickle.Int32(&a) && pickle.Int32(&b) && pickle.String(&url)) {
                    tabs[a].navigations[b] = QString::fromUtf8(url);
                }
                break;
            }
            case 7:  // SetSelectedNavigationIndex: tab, index
                if (n == 8) {
                    pair(p, &a, &b);
                    tabs[a].current = b;
                }
                break;
            case 9:  // SetWindowType: window, type
                if (n == 8) {
                    pair(p, &a, &b);
                    realWindows[a] = true;
                }
                break;
            case 11:  // PathPrunedFromFront: tab, count
                if (n == 8) {
                    pair(p, &a, &b);
                    PruneNavigations(tabs[a], 0, b);
                }
                break;
            case 16:  // TabClosed
                if (n == 16) {
                    std::memcpy(&a, p, 4);
                    tabs.erase(a);
                }
                break;
            case 17:  // WindowClosed
                if (n == 16) {
                    std::memcpy(&a, p, 4);
                    realWindows.erase(a);
                }
                break;
            case 24:  // TabNavigationPathPruned: tab, index, count
                if (n == 12) {
                    pair(p, &a, &b);
                    std::memcpy(&c, p + 8, 4);
                    PruneNavigations(tabs[a], b, c);
                }
                break;
            default:
                break;
        }
    }
    // Windows by id, tabs by their place in the window, then by id.
    std::vector<std::pair<std::tuple<qint32, qint32, qint32>, QString>> open;
    for (const auto& [tabId, tab] : tabs) {
        if (tab.window != 0 && !tab.navigations.empty() && realWindows.count(tab.window)) {
            open.push_back({{tab.window, tab.visualIndex, tabId}, CurrentAddress(tab)});
        }
    }
    std::sort(open.begin(), open.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    QStringList out;
    for (const auto& entry : open) {
        out << entry.second;
    }
    return out;
}

TOpenTabs OpenBrowserTabs(const TUserFolders& folders) {
    if (!QFileInfo(folders.home).isDir() || !QFileInfo(folders.home).isReadable()) {
        return {{},
                "The list of open browser windows cannot be read: " + folders.home +
                    " is not readable."};
    }
    TOpenTabs open;
    for (const TBrowserFamily family : {TBrowserFamily::Firefox, TBrowserFamily::Chromium}) {
        for (const TBrowserInstall& install : BrowserInstalls(folders, family)) {
            for (const QString& root : install.profileRoots) {
                for (const QString& profile : ProfileFolders(family, root)) {
                    open.tabs << (family == TBrowserFamily::Firefox ? FirefoxProfileTabs(profile)
                                                                    : ChromiumProfileTabs(profile));
                }
            }
        }
    }
    return open;
}

QStringList WebPagesAmong(const QStringList& tabs) {
    QStringList pages;
    for (const QString& address : tabs) {
        if (!address.isEmpty() && !address.toLower().contains("file://")) {
            pages << address;
        }
    }
    return pages;
}
