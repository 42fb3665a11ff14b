#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "support/ModalDriver.h"
#include "transfers/BrowseFolderDlg.h"

TEST(AcceptedFolder, AbsolutePathsGetExactlyOneTrailingSlash) {
    EXPECT_EQ(AcceptedFolder("/"), "/");
    EXPECT_EQ(AcceptedFolder("/home/user/Movies"), "/home/user/Movies/");
    EXPECT_EQ(AcceptedFolder("/home/user/Movies/"), "/home/user/Movies/");
    EXPECT_EQ(AcceptedFolder("/mnt//"), "/mnt/");
    EXPECT_FALSE(AcceptedFolder(""));
    EXPECT_FALSE(AcceptedFolder("Movies"));
    EXPECT_FALSE(AcceptedFolder("smb://server/share"));
}

TEST(BrowseFolderDialog, OkAcceptsTheSelectedFolderCancelKeepsTheLastOne) {
    TBrowseFolderDialog dlg;
    EXPECT_EQ(dlg.windowTitle(), "Browse For Folder");
    EXPECT_EQ(dlg.Label2->text(), "Choose Directory to Save Flash");
    EXPECT_EQ(dlg.Label1->text(), "Folder:");
    EXPECT_EQ(dlg.Button1->text(), "OK");
    EXPECT_EQ(dlg.Button2->text(), "Cancel");
    EXPECT_TRUE(dlg.Edit1->isReadOnly());
    EXPECT_EQ(dlg.size(), QSize(406, 382));
    EXPECT_TRUE(dlg.ChosenFolder.isEmpty());

    QTemporaryDir movies;
    WhenModal([&](QWidget*) {
        ASSERT_TRUE(dlg.SelectPath(movies.path()));
        EXPECT_EQ(dlg.Edit1->text(), movies.path());
        dlg.Button1->click();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.ChosenFolder, movies.path() + "/");

    WhenModal([&](QWidget*) {
        dlg.SelectPath("/");
        dlg.Button2->click();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(dlg.ChosenFolder, movies.path() + "/");

    // Reopened, the dialog shows the same selection; the root is accepted as "/".
    WhenModal([&](QWidget*) {
        EXPECT_EQ(dlg.Edit1->text(), "/");
        dlg.Button1->click();
    });
    dlg.exec();
    EXPECT_EQ(dlg.ChosenFolder, "/");
}
