#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/OpenTabs.h"
#include "support/Files.h"
#include "support/SessionFiles.h"

namespace {}  // namespace

TEST(OpenTabs, FirefoxRecoveryFileGivesEachTabsCurrentEntry) {
    const QByteArray json = R"({"windows":[
        {"tabs":[{"entries":[{"url":"http://one/"},{"url":"http://two/"}],"index":2},
                 {"entries":[],"userTypedValue":"typed.example"}]},
        {"tabs":[{"entries":[{"url":"file:///home/x/"}],"index":1},
                 {"entries":[{"url":"http://two/"}],"index":9}]}],
        "_closedWindows":[{"tabs":[{"entries":[{"url":"http://closed/"}],"index":1}]}]})";
    EXPECT_EQ(FirefoxTabsFromJson(json),
              QStringList({"http://two/", "typed.example", "file:///home/x/", "http://two/"}));
    const auto decoded = DecodeMozLz4(MozLz4(json));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, json);
    QByteArray corrupt = MozLz4(json);
    corrupt[8] = 1;  // a size that does not match
    EXPECT_FALSE(DecodeMozLz4(corrupt).has_value());
    EXPECT_FALSE(DecodeMozLz4("not lz4").has_value());
}

TEST(OpenTabs, ChromiumSessionRebuildsOpenTabsInWindowOrder) {
    SessionWriter s;
    s.Ints(9, {2, 0});  // window 2 is a normal window
    s.Ints(9, {1, 0});
    s.Ints(0, {2, 20});  // tab 20 in window 2
    s.Ints(0, {1, 11});
    s.Ints(0, {1, 10});
    s.Ints(2, {11, 1});
    s.Ints(2, {10, 0});
    s.Navigation(10, 0, "http://first/");
    s.Navigation(10, 1, "http://first/next");
    s.Ints(7, {10, 1});
    s.Navigation(11, 0, "file:///home/user/");
    s.Ints(7, {11, 0});
    s.Navigation(20, 0, "http://same/");
    s.Navigation(20, 1, "http://pruned/");
    s.Ints(24, {20, 1, 1});  // the second entry was removed
    s.Ints(7, {20, 1});
    s.Ints(0, {2, 21});
    s.Ints(2, {21, 1});
    s.Navigation(21, 0, "http://same/");
    s.Ints(0, {2, 22});
    s.Navigation(22, 0, "http://gone/");
    s.Closed(16, 22);
    QByteArray bytes = s.Bytes();
    bytes.append("\x30\x00\x06", 3);  // a record cut short by an interrupted write
    EXPECT_EQ(
        ChromiumTabsFromSession(bytes),
        QStringList({"http://first/next", "file:///home/user/", "http://same/", "http://same/"}));
    QByteArray encrypted = s.Bytes();
    encrypted[4] = 5;
    EXPECT_FALSE(ChromiumTabsFromSession(encrypted).has_value());
}

TEST(OpenTabs, ProfilesAreFoundInTheUsualPlacesAndBadOnesSkipped) {
    QTemporaryDir home;
    const QString ff = home.path() + "/.mozilla/firefox";
    WriteFile(ff + "/profiles.ini",
              "[Install4F96D1932A9F858E]\nDefault=abc.default-release\n\n"
              "[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\n\n"
              "[Profile1]\nName=broken\nIsRelative=1\nPath=broken\n");
    WriteFile(ff + "/abc.default-release/sessionstore-backups/recovery.jsonlz4",
              MozLz4(R"({"windows":[{"tabs":[{"entries":[{"url":"http://fox/"}],"index":1}]}]})"));
    WriteFile(ff + "/broken/sessionstore-backups/recovery.jsonlz4", "garbage");
    SessionWriter s;
    s.Ints(9, {1, 0});
    s.Ints(0, {1, 5});
    s.Navigation(5, 0, "http://chrome/");
    WriteFile(home.path() + "/.config/chromium/Default/Sessions/Session_13300000000000000",
              s.Bytes());
    WriteFile(home.path() + "/.config/chromium/Profile 1/Sessions/Session_1", "SNSS but broken");
    EXPECT_EQ(OpenBrowserTabs(UserFoldersUnder(home.path())).tabs,
              QStringList({"http://fox/", "http://chrome/"}));
    const TOpenTabs unreadable = OpenBrowserTabs(UserFoldersUnder(home.path() + "/absent"));
    EXPECT_TRUE(unreadable.tabs.isEmpty());
    EXPECT_TRUE(unreadable.error.contains("cannot be read")) << unreadable.error.toStdString();
}

TEST(OpenTabs, ChromiumPruneRecordsWithHostileNumbersAreReadSafely) {
    const QStringList kept({"http://kept/"});
    const struct {
        quint8 id;  // 5: pruned from the back, 11: from the front, 24: from the middle
        std::initializer_list<qint32> values;
        QStringList tabs;
    } records[] = {
        {24, {10, 2147483000, 2147483000}, kept},
        {24, {10, -2147483647, 5}, kept},
        {24, {10, 0, -7}, kept},
        {5, {10, -65536}, kept},
        {5, {10, 2147483647}, kept},
        {5, {10, 0}, {}},
        {11, {10, 2147483647}, {}},
        {11, {10, -2147483647}, kept},
    };
    for (const auto& r : records) {
        SessionWriter s;
        s.Ints(9, {1, 0});
        s.Ints(0, {1, 10});
        s.Navigation(10, 0, "http://kept/");
        s.Ints(7, {10, 0});
        s.Ints(r.id, r.values);
        EXPECT_EQ(ChromiumTabsFromSession(s.Bytes()), r.tabs)
            << int(r.id) << " " << *r.values.begin();
    }
}
