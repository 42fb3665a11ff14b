#pragma once

#include <QList>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QSet>
#include <QString>
#include <QStringList>

#include "app/BusyState.h"
#include "logic/HttpGetThread.h"
#include "platform/UserFolders.h"

class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QProgressBar;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TLbSpeedButton;
class TBrowseFolderDialog;
class TNetworkMovies;
class TFlashPlayer;
class TWebBrowser;
class TStatusBar;
class TWorkerThread;

// The main window: toolbar, player pane, the two tabs with their lists, the status bar.
class TMainFrm : public QMainWindow {
    Q_OBJECT
  public:
    // The design's window frame: outer size minus client size (the menu bar counts as frame).
    static constexpr int kFrameWidth = 8;
    static constexpr int kFrameHeight = 65;
    static constexpr int kDesignWidth = 900;
    static constexpr int kDesignHeight = 597;

    // folders: whose browsers it reads (sessions, caches) and where it keeps its own files.
    explicit TMainFrm(const TUserFolders& folders, QWidget* parent = nullptr);
    ~TMainFrm() override;

    // Outer size as the design counts it.
    int OuterWidth() const;
    void SetOuterSize(int width, int height);

    // Shell
    void ArrangeToolbar();
    void FinishCacheScan();
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
    void ListView1SelectItem(QTreeWidgetItem* row, bool selected);
    void ListView2SelectItem(QTreeWidgetItem* row, bool selected);
    void AppendCacheRow(int index, const QString& name, const QString& size,
                        const QString& localPath);

    // Status
    void ShowStatus(const QString& text);
    void SetProgress(int position);
    void FinishTransfer();
    void StatusBar1Resize();

    bool Busy() const { return busy_.Any(); }
    TBusyState& BusyFlags() { return busy_; }

    // Transfers
    void LbSpeedButton3Click();
    void SelectNextDownload();
    QString TargetFileFor(const QString& address) const;
    void FinishDownload(bool saved, const QString& target);

    // Address bar and page scan
    void FillAddressList();
    void LbSpeedButton5Click();
    void LbSpeedButton6Click();
    void WebBrowser1DocumentComplete(bool loaded);
    // A movie the page fetched after its scan: a new ticked row when the deep scan is on.
    void NetworkMovieFound(const QString& url);

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
    QAction* N5;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* SelectAll1;
    QAction* DeselectAll1;
    QAction* N1;
    QAction* ClearList1;
    QAction* N7;
    QAction* DeepScan1;
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
    QTreeWidget* ListView1;
    QFrame* Panel6;
    TWebBrowser* WebBrowser1;
    QWidget* TabSheet2;
    QFrame* Panel8;
    QTreeWidget* ListView2;
    QProgressBar* ProgressBar = nullptr;

    // Fields shared by the window's operations.
    QString TargetFile;
    QString DownloadUrl;
    QString TargetFolder;
    int DownloadRow = -1;
    QStringList FoundMovies;
    QStringList CopyList;
    // The workers running; each is cleared by its completion handler, before it releases itself.
    const TWorkerThread* DownloadWorker = nullptr;
    const TWorkerThread* CopyWorker = nullptr;
    const TWorkerThread* ScanWorker = nullptr;
    QString HelpFilePath;
    TBrowseFolderDialog* BrowseFolderDialog = nullptr;  // created once at start-up
    THttpGetThread::Options HttpOptions;
    TNetworkMovies* NetworkMovies = nullptr;  // what the page fetched, for the deep scan

    // Shows FoundMovies as the web list, every row ticked, and "Done".
    void FinishPageScan();

  signals:
    // A row's selection changed (either list), after the window's own handling.
    void RowSelectionChanged(QTreeWidget* list, QTreeWidgetItem* row, bool selected);

  protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    const TUserFolders folders_;

    void CreateMenus();
    void CreateControls();
    void ConnectHandlers();
    void FormCreate();
    void StartCacheScan();
    void StartDownload();
    QTreeWidget* ActiveList() const;
    void ConnectSelection(QTreeWidget* list);
    void ConnectDeepScan();
    void NameControlsForScreenReaders();

    TBusyState busy_;
    bool changingPageInCode_ = false;
    QPersistentModelIndex downloadRowRef_;        // the row being downloaded
    QList<QPersistentModelIndex> failedInChain_;  // not tried again by the same chain
    QSet<QString> savedInChain_;                  // files this chain wrote
    int pageScan_ = 0;                            // the latest document's scan
    bool pageScanned_ = false;                    // this navigation's page has been scanned
};
