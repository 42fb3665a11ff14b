#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/Files.h"
#include "support/ListRows.h"
#include "support/ModalAnswers.h"
#include "support/SessionFiles.h"
#include "support/TestEnvironment.h"
#include "web/WebBrowser.h"
#include "widgets/StatusBar.h"

namespace {
void WriteFirefoxSession(const QString& home, const QByteArray& json) {
    const QString root = home + "/.mozilla/firefox";
    WriteFile(root + "/profiles.ini", "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\n");
    WriteFile(root + "/p.default/sessionstore-backups/recovery.jsonlz4", MozLz4(json));
}

QStringList Items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) {
        out << box->itemText(i);
    }
    return out;
}
}  // namespace

TEST(AddressBar, ListsTheOpenTabsSkippingFolderWindowsAndKeepingRepeats) {
    QTemporaryDir home;
    WriteFirefoxSession(home.path(), R"({"windows":[
        {"tabs":[{"entries":[{"url":"http://games.example/"}],"index":1},
                 {"entries":[{"url":"file:///home/user/Movies/"}],"index":1}]},
        {"tabs":[{"entries":[{"url":"http://games.example/"}],"index":1},
                 {"entries":[{"url":"http://last.example/flash.html"}],"index":1}]}]})");
    SessionWriter chromium;
    chromium.Ints(9, {1, 0});
    chromium.Ints(0, {1, 7});
    chromium.Navigation(7, 0, "FILE:///tmp/");
    WriteFile(home.path() + "/.config/chromium/Default/Sessions/Session_1", chromium.Bytes());
    TMainFrm frm(UserFoldersUnder(home.path()));
    EXPECT_EQ(Items(frm.UrlComBox), QStringList({"http://games.example/", "http://games.example/",
                                                 "http://last.example/flash.html"}));
    EXPECT_EQ(frm.UrlComBox->currentText(), "http://last.example/flash.html");

    // "Address :" reads the tabs again; with none open, the box keeps what it had and the
    // status bar says why.
    QFile::remove(home.path() +
                  "/.mozilla/firefox/p.default/sessionstore-backups/recovery.jsonlz4");
    frm.UrlComBox->setEditText("typed");
    frm.LbSpeedButton5Click();
    EXPECT_EQ(frm.UrlComBox->count(), 3);
    EXPECT_EQ(frm.UrlComBox->currentText(), "typed");
    EXPECT_EQ(frm.StatusBar1->Text(), "No web page is open in a desktop browser");
}

TEST(AddressBar, AnUnreadableHomeIsReportedAndStartUpStillAttachesThePageScan) {
    QTemporaryDir home;
    QString reported;
    TModalAnswers answers([&](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            reported = box->text();
        }
        return int(QDialog::Rejected);
    });
    TUserFolders folders = TestFolders();  // the program's own folders stay usable
    folders.home = home.path() + "/gone";
    folders.configHome = folders.home + "/.config";
    TMainFrm frm(folders);
    EXPECT_TRUE(reported.contains("cannot be read")) << reported.toStdString();
    ListMovies(frm, {"http://old/a.swf"});
    QCoreApplication::processEvents();  // the browser's part starts once the window is up
    emit frm.WebBrowser1->Page()->LoadFailed("HTTP 404");  // a page that failed to load
    EXPECT_EQ(Rows(frm.ListView1), 0);
    EXPECT_EQ(frm.StatusBar1->Text(), "Done");
}
