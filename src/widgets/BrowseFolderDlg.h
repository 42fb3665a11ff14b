#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QFileSystemWatcher;

// The folder an "OK" turns the selected path into: an absolute local path with exactly one
// trailing "/" ("/" stays "/"); nothing for anything else.
std::optional<QString> AcceptedFolder(const QString& path);

// The modal folder chooser, created once and reused: a folders-only tree with the home folder,
// the file system root and the mounted volumes at the top, and the selected path echoed below.
// Listings follow the file system while the chooser lives: folders made or removed meanwhile
// show as they are, each time it opens and while it is open. Folders are read off the
// user-interface thread, so a slow or unresponsive mount never blocks the window.
class TBrowseFolderDialog : public QDialog {
    Q_OBJECT
  public:
    // home: the folder shown at the top as "Home".
    explicit TBrowseFolderDialog(const QString& home, QWidget* parent = nullptr);

    QString ChosenFolder;  // the folder last accepted with "OK"; never cleared

    // Selects the folder at path in the tree, opening the nodes above it.
    bool SelectPath(const QString& path);

    QLabel* Label2;
    QTreeWidget* ShellTreeView1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShellTreeView1Change();
    void Button1Click();
    // Lists the node's folders once, in the background; ReadAgain lists a folder anew.
    void FillChildren(QTreeWidgetItem* node);
    void ReadAgain(const QString& path);
    // Makes the children of every node showing path match the folders found there.
    void ShowFolders(const QString& path, const QStringList& names);
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& label, const QString& path,
                             int at = -1);

    QFileSystemWatcher* watcher_;
};
