#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "TestUtil.h"
#include "support/TestEnvironment.h"
#include "widgets/BrowseFolderDlg.h"

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
    TBrowseFolderDialog dlg(TestFolders().home);
    EXPECT_EQ(dlg.windowTitle(), "Browse For Folder");
    EXPECT_EQ(dlg.Label2->text(), "Choose Directory to Save Flash");
    EXPECT_EQ(dlg.Label1->text(), "Folder:");
    EXPECT_EQ(dlg.Button1->text(), "OK");
    EXPECT_EQ(dlg.Button2->text(), "Cancel");
    EXPECT_TRUE(dlg.Edit1->isReadOnly());
    EXPECT_EQ(dlg.size(), QSize(406, 382));
    EXPECT_TRUE(dlg.ChosenFolder.isEmpty());

    QTemporaryDir movies;
    dlg.open();
    ASSERT_TRUE(dlg.SelectPath(movies.path()));
    EXPECT_EQ(dlg.Edit1->text(), movies.path());
    dlg.Button1->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.ChosenFolder, movies.path() + "/");

    dlg.open();
    dlg.SelectPath("/");
    dlg.Button2->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.ChosenFolder, movies.path() + "/");

    // Reopened, the dialog shows the same selection; the root is accepted as "/".
    dlg.open();
    EXPECT_EQ(dlg.Edit1->text(), "/");
    dlg.Button1->click();
    EXPECT_EQ(dlg.ChosenFolder, "/");
}

TEST(BrowseFolderDialog, FoldersMadeBetweenUsesAndWhileOpenAppear) {
    TBrowseFolderDialog dlg(TestFolders().home);
    QTemporaryDir parent;
    ASSERT_TRUE(QDir(parent.path()).mkdir("first"));
    ASSERT_TRUE(dlg.SelectPath(parent.path() + "/first"));
    auto shown = [&](const QString& name) {
        return !dlg.ShellTreeView1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive)
                    .isEmpty();
    };
    EXPECT_TRUE(shown("first"));

    // Made between two uses: there when the chooser opens again.
    ASSERT_TRUE(QDir(parent.path()).mkdir("between"));
    dlg.open();
    EXPECT_TRUE(WaitUntil([&] { return shown("between"); }));
    // Made while it is open: it appears, and one removed goes.
    QDir(parent.path()).mkdir("while-open");
    QDir(parent.path()).rmdir("first");
    EXPECT_TRUE(WaitUntil([&] { return shown("while-open") && !shown("first"); }));
    dlg.Button2->click();
}
