#include "app/MainFrm.h"

#include "Version.h"
#include "platform/DataFiles.h"
#include "widgets/FormFont.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QTabWidget>
#include <QUrl>
#include <utility>

#include "web/BrowserPage.h"
#include "web/FlashPlayer.h"
#include "web/LivePageScan.h"
#include "web/PagePlayers.h"
#include "web/PageRecording.h"
#include "web/WebBrowser.h"
#include "web/WindowShown.h"
#include "widgets/AboutDlg.h"
#include "widgets/AlignLayout.h"
#include "widgets/ButtonImages.h"
#include "widgets/FormControls.h"
#include "widgets/HtmlHlp.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/ModalDialogs.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

TMainFrm::TMainFrm(const TUserFolders& folders, QWidget* parent)
    : QMainWindow(parent), core_(new TCore(folders, this)), settings_(folders) {
    setObjectName("MainFrm");
    setWindowTitle("Vimbrel v" VIMBREL_VERSION);
    setFont(FormFont(13));
    CreateMenus();
    CreateControls();
    ConnectHandlers();
    move(82, 78);
    SetOuterSize(kDesignWidth, kDesignHeight);
    setMinimumSize(size());  // smaller, the toolbar and the lists' columns would be cut
    FormCreate();
}

TMainFrm::~TMainFrm() {
    // The engine still tells pages' last news while they go, after this window's own part is
    // gone: nothing of the page reaches the window from here on.
    for (QObject* page : std::initializer_list<QObject*>{PageRecording, PageScan}) {
        if (page) {
            page->disconnect(this);
        }
    }
}

int TMainFrm::OuterWidth() const {
    return width() + kFrameWidth;
}

void TMainFrm::SetOuterSize(int width, int height) {
    resize(width - kFrameWidth, height - kFrameHeight + menuBar()->sizeHint().height());
}

void TMainFrm::CreateMenus() {
    File1 = menuBar()->addMenu("&File");
    File1->setObjectName("File1");
    Download1 = AddMenuItem(File1, "Download1", "&Download Flash");
    CopyFlash1 = AddMenuItem(File1, "CopyFlash1", "&Copy Flash To...");
    SaveWebArchive1 = AddMenuItem(File1, "SaveWebArchive1", "Save Page as &Web Archive…");
    N5 = AddMenuSeparator(File1, "N5");
    Exit1 = AddMenuItem(File1, "Exit1", "E&xit");

    Edit1 = menuBar()->addMenu("&Edit");
    Edit1->setObjectName("Edit1");
    SelectAll1 = AddMenuItem(Edit1, "SelectAll1", "&Select All");
    DeselectAll1 = AddMenuItem(Edit1, "DeselectAll1", "&Deselect all");
    N1 = AddMenuSeparator(Edit1, "N1");
    ClearList1 = AddMenuItem(Edit1, "ClearList1", "&Clear list");
    N7 = AddMenuSeparator(Edit1, "N7");
    DeepScan1 = AddMenuItem(Edit1, "DeepScan1", "Dee&p Scan");
    DeepScan1->setCheckable(true);  // off at every start: nothing is stored
    // Remembered options: as they were last time, on at the first start.
    SaveLoads1 = AddOption(Edit1, "SaveLoads1", "Save &Loaded Files", settings_.SaveLoadedFiles(),
                           [this](bool on) {
                               KeepSetting(settings_.SetSaveLoadedFiles(on));
                               core_->Chain().SaveLoads(on);
                           });
    PlayInPages1 = AddOption(Edit1, "PlayInPages1", "Play Flash &in Pages",
                             settings_.PlayFlashInPages(), [this](bool on) {
                                 KeepSetting(settings_.SetPlayFlashInPages(on));
                                 PlayFlashInPages(BrowserProfile(), on);  // from the next page
                             });
    N8 = AddMenuSeparator(Edit1, "N8");
    Stop1 = AddMenuItem(Edit1, "Stop1", "S&top");
    Stop1->setShortcut(Qt::Key_Escape);

    Help1 = menuBar()->addMenu("&Help");
    Help1->setObjectName("Help1");
    Content1 = AddMenuItem(Help1, "Content1", "&Content");
    N2 = AddMenuSeparator(Help1, "N2");
    WebPage1 = AddMenuItem(Help1, "WebPage1", "&Home page");
    N3 = AddMenuSeparator(Help1, "N3");
    About1 = AddMenuItem(Help1, "About1", "&About...");

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    SelectAll2 = AddMenuItem(PopupMenu1, "SelectAll2", "Select All");
    DeselectAll2 = AddMenuItem(PopupMenu1, "DeselectAll2", "Deselect All");
    N4 = AddMenuSeparator(PopupMenu1, "N4");
    Clear1 = AddMenuItem(PopupMenu1, "Clear1", "Clear List");
    N6 = AddMenuSeparator(PopupMenu1, "N6");
    Download2 = AddMenuItem(PopupMenu1, "Download2", "Download Flash");
    CopyFlash2 = AddMenuItem(PopupMenu1, "CopyFlash2", "Copy Flash To");
}

void TMainFrm::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    setCentralWidget(client);
    auto* form = new TAlignLayout(client);

    StatusBar1 = new TStatusBar(client);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->SetPanelWidths({575, 150, 100});
    StatusBar1->SetText("Done");
    form->AddAligned(StatusBar1, TAlignLayout::Bottom, 21);

    Panel1 = MakePanel(client, "Panel1", TBevel::Lowered);
    form->AddAligned(Panel1, TAlignLayout::Top, 40);
    LbSpeedButton1 = MakeFlatButton(Panel1, "LbSpeedButton1", "Select All", SelectAllImage(),
                                    QRect(480, 2, 125, 36));
    LbSpeedButton2 = MakeFlatButton(Panel1, "LbSpeedButton2", "Deselect All", DeselectAllImage(),
                                    QRect(608, 2, 125, 36));
    LbSpeedButton3 = MakeFlatButton(Panel1, "LbSpeedButton3", "Download  Flash", DownloadImage(),
                                    QRect(735, 2, 149, 36));
    StopButton = MakeFlatButton(Panel1, "StopButton", "Stop", StopImage(), QRect(397, 2, 80, 36));

    // The player pane and the tabs share the width as the user drags it; both grow with the
    // window.
    Splitter1 = new QSplitter(client);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setHandleWidth(4);
    form->AddAligned(Splitter1, TAlignLayout::Client);
    Panel2 = MakePanel(Splitter1, "Panel2", TBevel::Lowered);
    Panel2->setMinimumWidth(120);
    auto* playerPane = new TAlignLayout(Panel2);
    Panel9 = MakePanel(Panel2, "Panel9", TBevel::None);
    playerPane->AddAligned(Panel9, TAlignLayout::Bottom, 1);
    Panel7 = MakePanel(Panel2, "Panel7", TBevel::None);
    playerPane->AddAligned(Panel7, TAlignLayout::Client);
    auto* playerHost = new TAlignLayout(Panel7);
    ShockwaveFlash1 = new TFlashPlayer(Panel7);
    ShockwaveFlash1->setObjectName("ShockwaveFlash1");
    playerHost->AddAligned(ShockwaveFlash1, TAlignLayout::Client);

    Panel3 = MakePanel(Splitter1, "Panel3", TBevel::Lowered);
    Splitter1->setStretchFactor(0, kPlayerWidth);
    Splitter1->setStretchFactor(1, kDesignWidth - kFrameWidth - kPlayerWidth);
    auto* pages = new TAlignLayout(Panel3);
    PageControl1 = new QTabWidget(Panel3);
    PageControl1->setObjectName("PageControl1");
    PageControl1->tabBar()->setExpanding(false);
    pages->AddAligned(PageControl1, TAlignLayout::Client);

    TabSheet1 = new QWidget();
    TabSheet1->setObjectName("TabSheet1");
    PageControl1->addTab(TabSheet1, "Internet Flash Movies");
    auto* web = new TAlignLayout(TabSheet1);
    Panel4 = MakePanel(TabSheet1, "Panel4", TBevel::Lowered);
    web->AddAligned(Panel4, TAlignLayout::Top, 40);
    LbSpeedButton5 =
        MakeFlatButton(Panel4, "LbSpeedButton5", "Address :", AddressImage(), QRect(2, 2, 100, 36));
    UrlComBox = new QComboBox(Panel4);
    UrlComBox->setObjectName("UrlComBox");
    UrlComBox->setEditable(true);
    UrlComBox->setInsertPolicy(QComboBox::NoInsert);  // only the address list writes items
    UrlComBox->setGeometry(104, 8, 473, 24);
    LbSpeedButton6 =
        MakeFlatButton(Panel4, "LbSpeedButton6", "  GO!", GoImage(), QRect(580, 2, 66, 36));
    LbSpeedButton6->SetLayout(blGlyphRight);
    setTabOrder(StopButton, LbSpeedButton1);  // as they stand, left to right
    setTabOrder(LbSpeedButton1, LbSpeedButton2);
    setTabOrder(LbSpeedButton2, LbSpeedButton3);
    setTabOrder(LbSpeedButton5, UrlComBox);
    setTabOrder(UrlComBox, LbSpeedButton6);

    Panel5 = MakePanel(TabSheet1, "Panel5", TBevel::None);
    web->AddAligned(Panel5, TAlignLayout::Top, 193);
    auto* webList = new TAlignLayout(Panel5);
    ListView1 = new TReportList(Panel5, "ListView1", &core_->WebMovies(), {50, 400, 75, 50});
    ListView1->SetFillColumn(TWebMovieModel::FlashColumn);
    webList->AddAligned(ListView1, TAlignLayout::Client);

    Panel6 = MakePanel(TabSheet1, "Panel6", TBevel::Lowered);
    web->AddAligned(Panel6, TAlignLayout::Client);
    auto* browserHost = new TAlignLayout(Panel6);
    WebBrowser1 = new TWebBrowser(Panel6);
    WebBrowser1->setObjectName("WebBrowser1");
    browserHost->AddAligned(WebBrowser1, TAlignLayout::Client);

    TabSheet2 = new QWidget();
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet2, "   IE Cache Files    ");
    auto* cache = new TAlignLayout(TabSheet2);
    Panel8 = MakePanel(TabSheet2, "Panel8", TBevel::None);
    cache->AddAligned(Panel8, TAlignLayout::Client);
    auto* cacheList = new TAlignLayout(Panel8);
    ListView2 = new TReportList(Panel8, "ListView2", &core_->CacheMovies(), {50, 150, 75, 300});
    ListView2->setFrameShape(QFrame::NoFrame);
    ListView2->SetFillColumn(TCacheMovieModel::FlashColumn);
    cacheList->AddAligned(ListView2, TAlignLayout::Client);
    PageControl1->setCurrentIndex(0);
}

void TMainFrm::ConnectHandlers() {
    connect(Exit1, &QAction::triggered, this, &TMainFrm::Exit1Click);
    for (QAction* item : {SelectAll1, SelectAll2}) {
        connect(item, &QAction::triggered, this, [this] { SetAllChecked(true); });
    }
    for (QAction* item : {DeselectAll1, DeselectAll2}) {
        connect(item, &QAction::triggered, this, [this] { SetAllChecked(false); });
    }
    for (QAction* item : {ClearList1, Clear1}) {
        connect(item, &QAction::triggered, this, &TMainFrm::ClearActiveList);
    }
    connect(LbSpeedButton1, &TLbSpeedButton::OnClick, this, [this] { SetAllChecked(true); });
    connect(LbSpeedButton2, &TLbSpeedButton::OnClick, this, [this] { SetAllChecked(false); });
    for (QAction* item : {Download1, CopyFlash1, Download2, CopyFlash2}) {
        connect(item, &QAction::triggered, this, &TMainFrm::LbSpeedButton3Click);
    }
    connect(LbSpeedButton3, &TLbSpeedButton::OnClick, this, &TMainFrm::LbSpeedButton3Click);
    connect(StopButton, &TLbSpeedButton::OnClick, this, &TMainFrm::StopClick);
    connect(Stop1, &QAction::triggered, this, &TMainFrm::StopClick);
    connect(core_, &TCore::TransferRunningChanged, this, &TMainFrm::ShowTransferRunning);
    connect(LbSpeedButton5, &TLbSpeedButton::OnClick, this, &TMainFrm::LbSpeedButton5Click);
    connect(LbSpeedButton6, &TLbSpeedButton::OnClick, this, &TMainFrm::LbSpeedButton6Click);
    UrlComBox->installEventFilter(this);
    connect(WebPage1, &QAction::triggered, this, &TMainFrm::WebPage1Click);
    connect(About1, &QAction::triggered, this, &TMainFrm::About1Click);
    connect(Content1, &QAction::triggered, this, &TMainFrm::Content1Click);
    for (TLbSpeedButton* b : {LbSpeedButton1, LbSpeedButton2, LbSpeedButton3, StopButton,
                              LbSpeedButton5, LbSpeedButton6}) {
        connect(b, &TLbSpeedButton::OnMouseEnter, this, &TMainFrm::LbSpeedButtonMouseEnter);
        connect(b, &TLbSpeedButton::OnMouseExit, this, &TMainFrm::LbSpeedButtonMouseExit);
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (!changingPageInCode_) {
            PageControl1Change();
        }
    });
    connect(StatusBar1, &TStatusBar::Resized, this, &TMainFrm::StatusBar1Resize);
    connect(core_, &TCore::StatusChanged, this, &TMainFrm::ShowStatus);
    connect(core_, &TCore::ProgressChanged, this, &TMainFrm::SetProgress);
    connect(core_, &TCore::CacheScanFinished, this, &TMainFrm::FinishCacheScan);
    for (TMovieListModel* movies :
         std::initializer_list<TMovieListModel*>{&core_->WebMovies(), &core_->CacheMovies()}) {
        connect(movies, &QAbstractItemModel::modelReset, this, &TMainFrm::ClearPreviewIfRowGone);
        connect(movies, &QAbstractItemModel::rowsRemoved, this, &TMainFrm::ClearPreviewIfRowGone);
    }
    connect(ShockwaveFlash1, &TFlashPlayer::FileLoaded, core_, &TCore::RecordLoad);
    connect(ShockwaveFlash1, &TFlashPlayer::MovieFailed, this, &TMainFrm::PreviewFailed);
    ListView1->viewport()->installEventFilter(this);
    ListView2->viewport()->installEventFilter(this);
    ConnectSelection(ListView1);
    ConnectSelection(ListView2);
    Panel4->installEventFilter(this);
    CreateKeyboardActions();
}

void TMainFrm::NameControlsForScreenReaders() {
    UrlComBox->setAccessibleName("Address");
    ShockwaveFlash1->setAccessibleName("Preview");
    WebBrowser1->setAccessibleName("Web page");
    ListView1->setAccessibleName("Internet Flash Movies");
    ListView2->setAccessibleName("IE Cache Files");
    ProgressBar->setAccessibleName("Progress");
    StatusBar1->setAccessibleDescription("Status");
    PageControl1->tabBar()->setAccessibleTabName(1, PageControl1->tabText(1).simplified());
}

void TMainFrm::FormCreate() {
    Download1->setEnabled(true);
    Download2->setEnabled(true);
    CopyFlash1->setEnabled(false);
    CopyFlash2->setEnabled(false);
    TargetFolder.clear();
    core_->Chain().SaveLoads(SaveLoads1->isChecked());
    ProgressBar = new QProgressBar(StatusBar1);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    StatusBar1Resize();
    NameControlsForScreenReaders();
    FillAddressList();  // an unreadable list is reported, and start-up goes on
    HelpFilePath = ComputeHelpFilePath();
    ApplicationHelpEvent() = [this](quint16 command, qint32 data, bool& callHelp) {
        return ApplicationHelp(command, data, callHelp);
    };
    ApplicationHelpFile() = HelpFilePath;
    ConnectPageRecording();
    ShowTransferRunning(false);
    placeOnActivate_ = !RestoreWindowState();
    // The engine takes a while to start: the window comes up first.
    WhenWindowShown(this, [this] { StartBrowser(); });
}

void TMainFrm::StartBrowser() {
    if (std::exchange(browserStarted_, true)) {
        return;
    }
    PlayFlashInPages(BrowserProfile(), PlayInPages1->isChecked());
    if (!SharedPagePlayers().IsRunning()) {
        ShowStatus("Flash does not play in pages: " + SharedPagePlayers().Error());
    }
    // What the page's movies load is recorded against their rows, as the preview's is.
    connect(&SharedPagePlayers(), &TPagePlayers::FileLoaded, core_, &TCore::RecordLoad);
    connect(&SharedPagePlayers(), &TPagePlayers::MovieFailed, this,
            [this](const QString& movie, const QString& reason) {
                ShowStatus("A movie of the page cannot be played: " + reason + " (" + movie + ")");
            });
    ConnectPageScan();
    if (!pendingAddress_.isEmpty()) {
        NavigateRecorded(std::exchange(pendingAddress_, QString()));
    }
}

void TMainFrm::KeepSetting(const TOutcome& written) {
    if (!written) {
        ShowStatus("Not remembered for the next start: " + written.reason);
    }
}

void TMainFrm::ReportError(const QString& text) {
    ShowErrorBox(this, text);
}

bool TMainFrm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QMainWindow::event(e);
}

void TMainFrm::FormActivate() {
    if (placeOnActivate_) {
        move(50, 25);
    }
}

void TMainFrm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    ArrangeToolbar();
}

bool TMainFrm::FormCloseQuery() const {
    return !Busy();
}

void TMainFrm::closeEvent(QCloseEvent* e) {
    if (!FormCloseQuery()) {
        e->ignore();  // the window stays until the work has ended
        if (!quitWhenIdle_ && AskToStopAndQuit()) {
            quitWhenIdle_ = true;
            core_->CancelAll();
        }
        return;
    }
    FormClose();
    e->accept();
}

void TMainFrm::FormClose() {
    SaveWindowState();
    HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

QString TMainFrm::ComputeHelpFilePath() const {
    const QString beside = HelpFilePathFor(QCoreApplication::applicationFilePath());
    return BesideOrInstalled(QFileInfo(beside).path(), QFileInfo(beside).fileName());
}

bool TMainFrm::ApplicationHelp(quint16 command, qint32 data, bool& callHelp) {
    if (command == 0 && data == 0) {
        // Owned by the application, not by this window.
        HtmlHelp(nullptr, QFile::encodeName(ApplicationHelpFile()).constData(), HH_DISPLAY_TOC, 0);
    }
    callHelp = false;  // the toolkit's own help never runs
    return true;
}

void TMainFrm::Content1Click() {
    bool callHelp = true;
    ApplicationHelp(0, 0, callHelp);
}

void TMainFrm::Exit1Click() {
    close();
}

void TMainFrm::About1Click() {
    auto* box = new TAboutBox(this);  // kept until the program ends
    RunModal(*box);
}

void TMainFrm::WebPage1Click() {
    // Until the project has a web site, its home is the help beside the program.
    if (QString(VIMBREL_HOMEPAGE).isEmpty()) {
        Content1Click();
    } else {
        QDesktopServices::openUrl(QUrl(VIMBREL_HOMEPAGE));
    }
}
