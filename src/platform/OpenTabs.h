#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/UserFolders.h"

// The addresses of the open tabs of the user's desktop browsers (Firefox family and Chromium
// family), one per tab, each its current page; browsers in a fixed order, windows and tabs in
// the browser's own order. A profile that cannot be read is skipped; the error is set, and no
// tab given, only when the home folder itself cannot be read.
struct TOpenTabs {
    QStringList tabs;
    QString error;
};
TOpenTabs OpenBrowserTabs(const TUserFolders& folders);
// Those of the tabs that show a web page: folder windows and local files (file addresses) hold
// none.
QStringList WebPagesAmong(const QStringList& tabs);

// The pieces, for the readers' own use and their tests.
std::optional<QByteArray> DecodeMozLz4(const QByteArray& file);
std::optional<QStringList> FirefoxTabsFromJson(const QByteArray& json);
std::optional<QStringList> ChromiumTabsFromSession(const QByteArray& snss);
