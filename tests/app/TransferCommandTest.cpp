#include <gtest/gtest.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/Files.h"
#include "support/Gate.h"
#include "support/ListRows.h"
#include "support/ModalAnswers.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "widgets/BrowseFolderDlg.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/MsgBox.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

namespace {

class TransferCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frm.BrowseFolderDialog = &dlg;
        frm.show();
        QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                         [this](const QString& text) { statuses << text; });
    }
    void TearDown() override {
        WaitUntil([this] { return !frm.Busy(); }, 30000);
    }

    void ShowMovies(const QStringList& addresses) {
        ListMovies(frm, addresses);
        frm.SetAllChecked(true);
    }

    // Runs the transfer command, picking folder in the chooser, and waits for the work to end.
    void RunCommandInto(const QString& folder) {
        TModalAnswers chooser([this, folder](QDialog&) { return ChooseFolder(folder); });
        frm.LbSpeedButton3Click();
        ASSERT_TRUE(WaitUntil([this] { return !frm.Busy(); }, 30000));
    }

    // Answers the folder chooser as a user picking folder and pressing "OK".
    int ChooseFolder(const QString& folder) {
        dlg.SelectPath(folder);
        dlg.Button1->click();
        return dlg.result();
    }

    QString Status(int row) { return Cell(frm.ListView1, row, 2); }

    TMainFrm frm{TestFolders()};
    TBrowseFolderDialog dlg{TestFolders().home, &frm};
    QTemporaryDir target;
    QStringList statuses;
};

std::string Serve(const std::string& request) {
    const std::string line = RequestLine(request);
    if (line.find("/missing.swf") != std::string::npos) {
        return RawHttpServer::Response(404, "no");
    }
    const size_t start = line.find(' ') + 1;
    return RawHttpServer::Response(200, "movie " + line.substr(start, line.rfind(' ') - start));
}
}  // namespace

TEST_F(TransferCommandTest, DownloadsTickedRowsInTurnMarkingEachSavedOrFailed) {
    RawHttpServer server(Serve);
    const QString base = QString::fromStdString(server.Url(""));
    ShowMovies({base + "/a.swf", base + "/skip.swf", base + "/missing.swf", base + "/b.swf"});
    Tick(frm.ListView1, 1, false);

    RunCommandInto(target.path());
    EXPECT_EQ(statuses, QStringList({"Downloading " + base + "/a.swf", "Done",
                                     "downloading " + base + "/missing.swf", "Done",
                                     "downloading " + base + "/b.swf", "Done"}));
    EXPECT_EQ(Status(0), "Saved");
    EXPECT_EQ(Status(1), "New");
    EXPECT_EQ(Status(2), "Failed");
    EXPECT_EQ(Status(3), "Saved");
    // Where a file went and why a row failed: what the row's tooltip and a screen reader tell.
    auto told = [this](int row, Qt::ItemDataRole role) {
        return frm.ListView1->model()->index(row, 1).data(role).toString();
    };
    EXPECT_EQ(told(2, Qt::AccessibleDescriptionRole), "HTTP 404 Not Found");
    EXPECT_EQ(told(2, Qt::AccessibleDescriptionRole), "HTTP 404 Not Found");
    EXPECT_EQ(told(0, Qt::AccessibleDescriptionRole), "Saved to " + target.filePath("a.swf"));
    EXPECT_EQ(ReadAll(target.filePath("a.swf")), "movie /a.swf");
    EXPECT_EQ(ReadAll(target.filePath("b.swf")), "movie /b.swf");
    EXPECT_FALSE(QFile::exists(target.filePath("missing.swf")));
    EXPECT_EQ(frm.ProgressBar->value(), 0);
    EXPECT_EQ(frm.TargetFolder, target.path() + "/");

    // A later press tries the failed row again, and only it.
    statuses.clear();
    RunCommandInto(target.path());
    EXPECT_EQ(statuses.first(), "Downloading " + base + "/missing.swf");
    EXPECT_EQ(statuses.last(), "Done");
    EXPECT_EQ(server.Requests().size(), 4u);
}

TEST_F(TransferCommandTest, SameFileNamesInOneChainAreKeptApart) {
    RawHttpServer server(Serve);
    const QString base = QString::fromStdString(server.Url(""));
    QFile old(target.filePath("a.swf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("there before");
    old.close();
    ShowMovies({base + "/x/a.swf", base + "/y/a.swf"});
    RunCommandInto(target.path());
    EXPECT_EQ(ReadAll(target.filePath("a.swf")), "movie /x/a.swf");
    EXPECT_EQ(ReadAll(target.filePath("a (2).swf")), "movie /y/a.swf");
}

TEST_F(TransferCommandTest, BusyChainRefusesASecondPressAndTheCloseAndSurvivesARebuild) {
    TGate answer;  // the server answers once the test has done its checks
    RawHttpServer slow([&answer](const std::string& request) {
        answer.Wait();
        return Serve(request);
    });
    const auto openAtExit = qScopeGuard([&answer] { answer.Open(); });
    const QString base = QString::fromStdString(slow.Url(""));
    ShowMovies({base + "/a.swf"});
    {
        TModalAnswers chooser([this](QDialog&) { return ChooseFolder(target.path()); });
        frm.LbSpeedButton3Click();
    }
    ASSERT_TRUE(frm.Busy());

    int dialogsShown = 0;
    {
        TModalAnswers count([&](QDialog&) { return ++dialogsShown, int(QDialog::Rejected); });
        frm.LbSpeedButton3Click();
    }
    EXPECT_EQ(dialogsShown, 0);
    {
        TModalAnswers keep([](QDialog& box) { return PressButton(box, "Keep downloading"); });
        EXPECT_FALSE(frm.close());
    }

    // The list is rebuilt while the row downloads: no new row may be marked for it.
    ShowMovies({base + "/other.swf", base + "/a.swf"});
    frm.SetAllChecked(false);
    answer.Open();
    ASSERT_TRUE(WaitUntil([this] { return !frm.Busy(); }, 30000));
    EXPECT_EQ(Status(0), "New");
    EXPECT_EQ(Status(1), "New");
    EXPECT_TRUE(QFile::exists(target.filePath("a.swf")));
}

TEST_F(TransferCommandTest, NothingTickedShowsTheReminderAndNoChooser) {
    ShowMovies({"http://127.0.0.1:1/a.swf"});
    frm.SetAllChecked(false);
    QString heading;
    QString line3;
    int chooserShown = 0;
    TModalAnswers answers([&](QDialog& dialog) {
        auto* form = qobject_cast<TMsgForm*>(&dialog);
        if (!form) {
            return ++chooserShown, int(QDialog::Rejected);
        }
        heading = form->Label1->text();
        line3 = form->Label3->text();
        form->show();
        QTest::keyClick(form, Qt::Key_Return);  // OK has the focus
        return form->result();
    });
    frm.LbSpeedButton3Click();
    EXPECT_EQ(chooserShown, 0);
    EXPECT_EQ(heading, "You should choose flash movies at first!");
    EXPECT_EQ(line3, "the flash movie you want. You can also use \"Select All\"");
    EXPECT_FALSE(frm.Busy());
    EXPECT_TRUE(statuses.isEmpty());
}

TEST_F(TransferCommandTest, CacheTabCopiesTheTickedRowsAndTellsWhyOneFailed) {
    QTemporaryDir cache;
    QStringList paths;
    for (const char* name : {"one.swf", "two.swf", "three.swf", "gone.swf"}) {
        ASSERT_TRUE(WriteFile(cache.filePath(name), name));
        paths << cache.filePath(name);
    }
    for (int i = 0; i < 4; ++i) {
        AddCacheRow(frm, i + 1, paths[i]);
    }
    QFile::remove(paths[3]);  // the browser dropped it since the scan
    frm.SelectPageInCode(1);
    frm.SetAllChecked(true);
    Tick(frm.ListView2, 1, false);
    RunCommandInto(target.path());
    const QString folder = target.path() + "/";
    EXPECT_EQ(statuses, QStringList({"Copying To: " + folder + "one.swf",
                                     "Copying To: " + folder + "three.swf",
                                     "Copying To: " + folder + "gone.swf", "Done"}));
    EXPECT_EQ(ReadAll(folder + "three.swf"), "three.swf");
    EXPECT_FALSE(QFile::exists(folder + "two.swf"));
    EXPECT_FALSE(QFile::exists(folder + "gone.swf"));
    EXPECT_TRUE(
        frm.ListView2->model()
            ->index(3, 1)
            .data(Qt::AccessibleDescriptionRole)
            .toString()
            .contains("Copy failed: cannot read " + paths[3] + ": No such file or directory"));
}

TEST_F(TransferCommandTest, OnlyHttpAndHttpsLeaveTheProgram) {
    QTemporaryDir local;
    ASSERT_TRUE(WriteFile(local.filePath("secret.swf"), "local bytes"));
    RawHttpServer other([](const std::string&) { return RawHttpServer::Response(200, "x"); });
    RawHttpServer web([&](const std::string& request) {
        if (RequestLine(request).find("/redirect.swf") != std::string::npos) {
            return RawHttpServer::Response(
                302, "", "Location: file://" + local.filePath("secret.swf").toStdString() + "\r\n");
        }
        return Serve(request);
    });
    const QString dict = QString("dict://127.0.0.1:%1/a.swf?http://x").arg(other.Port());
    ShowMovies({"file://" + local.filePath("secret.swf") + "?http://x", dict,
                QString::fromStdString(web.Url("/redirect.swf")),
                QString::fromStdString(web.Url("/fine.swf"))});
    RunCommandInto(target.path());
    EXPECT_EQ(Status(0), "Failed");
    EXPECT_EQ(Status(1), "Failed");
    EXPECT_EQ(Status(2), "Failed");
    EXPECT_EQ(Status(3), "Saved");
    EXPECT_TRUE(other.Requests().empty());
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"fine.swf"}));
}

// Stop (the button, Escape, the Edit menu) ends a chain at once: no file is left, the row under
// way fails ("stopped"), the rows not reached stay New. Meanwhile the commands that cannot act
// are disabled and say why. A close request answered "Stop and quit" ends the same way.
TEST_F(TransferCommandTest, StopAndStopAndQuitEndAChainAtOnceLeavingNoFile) {
    TGate answer;  // the server never answers while the test runs
    RawHttpServer slow([&answer](const std::string& request) {
        answer.Wait();
        return Serve(request);
    });
    const auto openAtExit = qScopeGuard([&answer] { answer.Open(); });
    const QString base = QString::fromStdString(slow.Url(""));
    ShowMovies({base + "/a.swf", base + "/b.swf", base + "/c.swf"});
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    const auto startChain = [this] {
        TModalAnswers chooser([this](QDialog&) { return ChooseFolder(target.path()); });
        frm.LbSpeedButton3Click();
        return frm.Core().Chain().IsRunning();
    };
    const auto stopWith = [this](const std::function<void()>& stop) {
        EXPECT_FALSE(frm.LbSpeedButton3->isEnabled());
        EXPECT_FALSE(frm.Download1->isEnabled());
        EXPECT_FALSE(frm.LbSpeedButton6->isEnabled());
        EXPECT_EQ(frm.LbSpeedButton3->toolTip(),
                  "Movies are being downloaded: Stop (Esc) ends it first");
        EXPECT_TRUE(frm.StopButton->isEnabled());
        stop();
        EXPECT_TRUE(WaitUntil([this] { return !frm.Busy(); }, 5000));
        EXPECT_EQ(Status(0), "Failed");
        EXPECT_EQ(frm.Core().WebMovies().Row(0).reason, "stopped");
        EXPECT_EQ(Status(1), "New");
        EXPECT_EQ(Status(2), "New");
        EXPECT_TRUE(QDir(target.path()).isEmpty());
    };
    const std::function<void()> stops[] = {
        [this] { frm.StopButton->Click(); },
        [this] { QTest::keyClick(frm.ListView1, Qt::Key_Escape); },
        [this] { frm.Stop1->trigger(); }};
    for (const auto& stop : stops) {
        ASSERT_TRUE(startChain());
        stopWith(stop);
        EXPECT_TRUE(frm.LbSpeedButton3->isEnabled());
        EXPECT_FALSE(frm.StopButton->isEnabled());
    }

    ASSERT_TRUE(startChain());
    stopWith([this] {
        TModalAnswers stop([](QDialog& box) { return PressButton(box, "Stop and quit"); });
        EXPECT_FALSE(frm.close());  // closes once the chain has ended
    });
    EXPECT_TRUE(WaitUntil([this] { return !frm.isVisible(); }));
}

// The folder chosen last is offered first by the chooser, in a later run too.
TEST_F(TransferCommandTest, TheChooserOffersTheFolderChosenLastTimeAfterARestart) {
    RawHttpServer server(Serve);
    ShowMovies({QString::fromStdString(server.Url("/a.swf"))});
    RunCommandInto(target.path());
    TMainFrm next(TestFolders());
    TBrowseFolderDialog chooser(TestFolders().home, &next);
    next.BrowseFolderDialog = &chooser;
    ListMovies(next, {QString::fromStdString(server.Url("/b.swf"))});
    next.SetAllChecked(true);
    QString offered;
    TModalAnswers look([&](QDialog&) {
        offered = chooser.Edit1->text();
        return int(QDialog::Rejected);
    });
    next.LbSpeedButton3Click();
    EXPECT_EQ(QDir::cleanPath(offered), QDir::cleanPath(target.path()));
}
