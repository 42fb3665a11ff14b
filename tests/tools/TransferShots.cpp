// Saves pictures of the folder chooser, the reminder, and the main window part-way through a
// download, for a look by eye.
#include <QApplication>

#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <thread>
#include "support/Headless.h"

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/ListRows.h"
#include "support/ModalAnswers.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "widgets/BrowseFolderDlg.h"
#include "widgets/MsgBox.h"

int main(int argc, char** argv) {
    PrepareHeadless();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : ".";

    TMainFrm frm(TestFolders());
    TBrowseFolderDialog dlg(TestFolders().home, &frm);
    frm.BrowseFolderDialog = &dlg;
    frm.show();

    dlg.show();
    dlg.SelectPath(QDir::homePath());
    QApplication::processEvents();
    dlg.grab().save(out + "/folder_chooser.png");
    dlg.hide();

    TMsgForm reminder;
    reminder.show();
    QApplication::processEvents();
    reminder.grab().save(out + "/reminder.png");
    reminder.hide();

    // A server that sends its movie slowly, so the bar can be caught part-way.
    RawHttpServer slow([](const std::string&, const auto& send) {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 20500\r\n\r\n";
        send(head.data(), head.size());
        const std::string block(1025, 'F');
        for (int i = 0; i < 20; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!send(block.data(), block.size())) {
                return;
            }
        }
    });
    const QString base = QString::fromStdString(slow.Url(""));
    ListMovies(frm, {base + "/games/intro.swf", base + "/menu.swf"});
    frm.SetAllChecked(true);
    QTemporaryDir target;
    {
        TModalAnswers chooser([&](QDialog&) {
            dlg.SelectPath(target.path());
            dlg.Button1->click();
            return dlg.result();
        });
        frm.LbSpeedButton3Click();
    }
    WaitUntil([&] { return frm.ProgressBar->value() >= 40; }, 20000);
    frm.grab().save(out + "/downloading.png");
    WaitUntil([&] { return !frm.Busy(); }, 60000);
    return 0;
}
