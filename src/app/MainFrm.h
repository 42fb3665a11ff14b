#pragma once

#include <QMainWindow>
#include <QPersistentModelIndex>

#include "logic/Core.h"
#include "platform/Settings.h"

class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabWidget;
class TLbSpeedButton;
class TBrowseFolderDialog;
class TLivePageScan;
class TFlashPlayer;
class TReportList;
class TWebBrowser;
class TPageRecording;
class TStatusBar;

// The main window: toolbar, player pane, the two tabs with their lists, the status bar. The
// work is the core's; the window drives it and shows its lists and state.
class TMainFrm : public QMainWindow {
    Q_OBJECT
  public:
    // The design's window frame: outer size minus client size (the menu bar counts as frame).
    static constexpr int kFrameWidth = 8;
    static constexpr int kFrameHeight = 65;
    static constexpr int kDesignWidth = 900;
    static constexpr int kDesignHeight = 597;
    static constexpr int kPlayerWidth = 233;  // the player pane's width at the start

    // folders: whose browsers it reads (sessions, caches).
    explicit TMainFrm(const TUserFolders& folders, QWidget* parent = nullptr);
    ~TMainFrm() override;

    TCore& Core() { return *core_; }

    // Outer size as the design counts it.
    int OuterWidth() const;
    void SetOuterSize(int width, int height);

    // Shell
    void ArrangeToolbar();
    void FinishCacheScan(const TOutcome& outcome);
    void FormActivate();
    bool FormCloseQuery() const;
    void FormClose();
    void PageControl1Change();
    void SelectPageInCode(int page);  // switches tabs without the user's tab rules

    // Lists
    void RefreshWebList();
    void SetAllChecked(bool ticked);
    void ClearActiveList();
    void ListView1MouseDown(Qt::MouseButton button);
    void ListView2MouseDown(Qt::MouseButton button);
    void ListView1SelectItem(int row, bool selected);
    void ListView2SelectItem(int row, bool selected);

    // Status
    void ShowStatus(const QString& text);
    void SetProgress(int position);
    void FinishTransfer();
    void StatusBar1Resize();
    bool Busy() const { return core_->Busy(); }

    // Transfers
    void LbSpeedButton3Click();
    QString TargetFolder;
    // Stop: ends the running download chain or copy.
    void StopClick();
    // While a transfer runs, the commands that cannot act are disabled and say why.
    void ShowTransferRunning(bool running);

    // Keyboard: the caret into the address box (Ctrl+L, Alt+D); the next pane (F6).
    void FocusAddressBox();
    void FocusNextPane();

    // Address bar and page scan
    // Fills the address box with the pages open in the desktop's browsers: how many, or -1 when
    // they cannot be read (reported). With none, the box keeps what it had.
    int FillAddressList();
    void LbSpeedButton5Click();
    void LbSpeedButton6Click();
    // Types the address into the address box and presses "GO!".
    void OpenAddress(const QString& address);

    // Web archive
    // Asks where, then saves the page shown as the engine received it, with the movies
    // previewed on it and what they loaded.
    void SaveWebArchiveClick();
    // Saves it as target (a WACZ package for a name ending in ".wacz"); the status bar tells.
    void SavePageArchive(const QString& target);
    // Shows what the scan found as the web list, every row ticked, and "Done".
    void FinishPageScan(const TFoundMovieList& found);

    // A setting that could not be written is told in the status bar; the option still acts now.
    void KeepSetting(const TOutcome& written);

    // The standard error report: a message box with the error text.
    void ReportError(const QString& text);

    // Help
    QString ComputeHelpFilePath() const;
    bool ApplicationHelp(quint16 command, qint32 data, bool& callHelp);
    void Content1Click();

    // Command handlers
    void Exit1Click();
    void WebPage1Click();
    void About1Click();
    void LbSpeedButtonMouseEnter(TLbSpeedButton* sender);
    void LbSpeedButtonMouseExit(TLbSpeedButton* sender);

    // Controls, named as in the form.
    QMenu* File1;
    QAction* Download1;
    QAction* CopyFlash1;
    QAction* SaveWebArchive1;
    QAction* N5;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* SelectAll1;
    QAction* DeselectAll1;
    QAction* N1;
    QAction* ClearList1;
    QAction* N7;
    QAction* DeepScan1;
    QAction* SaveLoads1;
    QAction* PlayInPages1;
    QAction* N8;
    QAction* Stop1;
    QAction* FocusAddress1;
    QAction* NextPane1;
    QMenu* Help1;
    QAction* Content1;
    QAction* N2;
    QAction* WebPage1;
    QAction* N3;
    QAction* About1;
    QMenu* PopupMenu1;
    QAction* SelectAll2;
    QAction* DeselectAll2;
    QAction* N4;
    QAction* Clear1;
    QAction* N6;
    QAction* Download2;
    QAction* CopyFlash2;

    TStatusBar* StatusBar1;
    QFrame* Panel1;
    TLbSpeedButton* LbSpeedButton1;
    TLbSpeedButton* LbSpeedButton2;
    TLbSpeedButton* LbSpeedButton3;
    TLbSpeedButton* StopButton;
    QSplitter* Splitter1;  // the player pane beside the tabs
    QFrame* Panel2;
    QFrame* Panel7;
    TFlashPlayer* ShockwaveFlash1;
    QFrame* Panel9;
    QFrame* Panel3;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QFrame* Panel4;
    TLbSpeedButton* LbSpeedButton5;
    QComboBox* UrlComBox;
    TLbSpeedButton* LbSpeedButton6;
    QFrame* Panel5;
    TReportList* ListView1;
    QFrame* Panel6;
    TWebBrowser* WebBrowser1;
    QWidget* TabSheet2;
    QFrame* Panel8;
    TReportList* ListView2;
    QProgressBar* ProgressBar = nullptr;

    QString HelpFilePath;
    TBrowseFolderDialog* BrowseFolderDialog = nullptr;  // created once at start-up
    TLivePageScan* PageScan = nullptr;                  // of the browser's page
    TPageRecording* PageRecording = nullptr;            // what the browser's page received

  signals:
    // A row's selection changed (either list), after the window's own handling.
    void RowSelectionChanged(TReportList* list, int row, bool selected);

  protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void CreateMenus();
    void CreateControls();
    void ConnectHandlers();
    void FormCreate();
    // What needs the browser engine, made once the window is drawn; an address opened before
    // waits for it.
    void StartBrowser();
    bool browserStarted_ = false;
    TReportList* ActiveList() const;
    TMovieListModel& ActiveMovies();
    void ConnectSelection(TReportList* list);
    void ConnectPageScan();
    void ConnectPageRecording();
    void EnableSaveWebArchive();
    // Opens the address once the page's answers are recorded.
    void NavigateRecorded(const QString& address);
    void NavigatePending();
    QString pendingAddress_;
    void NameControlsForScreenReaders();
    void CreateKeyboardActions();
    // The transfer commands as the tab and the running work allow.
    void EnableTransferCommands();
    // Asked when a close is requested while work runs: true to stop it and quit.
    bool AskToStopAndQuit();
    // The preview follows its row: cleared when the row leaves the list.
    void FollowPreviewRow(TReportList* list, int row);
    // The preview's movie cannot be played: its row keeps the status it had, and tells why.
    void PreviewFailed(const QString& movie, const QString& reason);
    void ClearPreviewIfRowGone();
    // Window geometry, splitter and column widths: as the user left them, and kept at the end.
    bool RestoreWindowState();
    void SaveWindowState();

    TCore* core_;
    TSettings settings_;
    bool changingPageInCode_ = false;
    bool placeOnActivate_ = true;       // until the user has a place of their own
    bool quitWhenIdle_ = false;         // "Stop and quit" answered: closes once the work has ended
    QPersistentModelIndex previewRow_;  // the row the preview plays
    TReportList* previewList_ = nullptr;
    TMovieStatus previewRowStatus_ = TMovieStatus::New;  // its status before it was previewed
};
