// Saves pictures of the flat buttons: the toolbar with the pointer over "Select All", a sheet of
// one button per style and preset (hot and not), and the About box.
#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QTreeWidget>
#include <vector>

#include "app/MainFrm.h"
#include "support/Headless.h"
#include "support/TestEnvironment.h"
#include "widgets/AboutDlg.h"
#include "widgets/ButtonImages.h"
#include "widgets/HelpWindow.h"
#include "widgets/HtmlHlp.h"
#include "widgets/LbSpeedButton.h"

namespace {
void Enter(QWidget* w) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(w, &enter);
}

const char* StyleName(int s) {
    static const char* names[] = {"bsNormal", "bsEncarta", "bsModern",
                                  "bsOld",    "bsShape",   "bsQuicken"};
    return names[s];
}

const char* PresetName(int p) {
    static const char* names[] = {"lcsCustom", "lcsGold",       "lcsChrome",     "lcsBlue",
                                  "lcsRed",    "lcsUltraFlat1", "lcsUltraFlat2", "lcsUltraFlatXP",
                                  "lcsAqua",   "lcsDefault",    "lcsQuicken"};
    return names[p];
}
}  // namespace

int main(int argc, char** argv) {
    PrepareHeadless();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : ".";

    TMainFrm frm(TestFolders());
    frm.show();
    Enter(frm.LbSpeedButton1);
    QApplication::processEvents();
    frm.Panel1->grab().save(out + "/toolbar_hot.png");

    QWidget sheet;
    sheet.setStyleSheet("background: #d4d0c8");
    auto* grid = new QGridLayout(&sheet);
    int row = 0;
    std::vector<TLbSpeedButton*> hotOnes;
    auto add = [&](const QString& label, auto configure) {
        grid->addWidget(new QLabel(label), row, 0);
        for (int hot = 0; hot < 2; ++hot) {
            auto* b = new TLbSpeedButton(&sheet);
            b->setFixedSize(125, 36);
            b->SetGlyph(SelectAllImage());
            b->SetCaption("Select All");
            configure(b);
            grid->addWidget(b, row, 1 + hot);
            if (hot) {
                hotOnes.push_back(b);
            }
        }
        ++row;
    };
    for (int s = bsNormal; s <= bsQuicken; ++s) {
        add(StyleName(s), [s](TLbSpeedButton* b) {
            b->SetStyle(static_cast<TLbSpeedButtonStyle>(s));
            b->SetHotTrackColor(RGBColor(255, 240, 200));
        });
    }
    for (int p = lcsGold; p <= lcsQuicken; ++p) {
        add(PresetName(p),
            [p](TLbSpeedButton* b) { b->SetColorStyle(static_cast<TLbColorStyle>(p)); });
    }
    sheet.show();
    QApplication::processEvents();
    for (TLbSpeedButton* b : hotOnes) {
        Enter(b);
    }
    QApplication::processEvents();
    sheet.grab().save(out + "/button_sheet.png");

    auto* help = reinterpret_cast<THelpWindow*>(
        HtmlHelp(nullptr, QFile::encodeName(frm.HelpFilePath).constData(), HH_DISPLAY_TOC, 0));
    if (help) {
        help->Contents->setCurrentItem(help->Contents->topLevelItem(0)->child(2));
        QApplication::processEvents();
        help->grab().save(out + "/help_window.png");
        help->close();
    }

    TAboutBox about;
    about.show();
    QApplication::processEvents();
    about.grab().save(out + "/about_box.png");
    return 0;
}
