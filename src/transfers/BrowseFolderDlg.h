#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The folder an "OK" turns the selected path into: an absolute local path with exactly one
// trailing "/" ("/" stays "/"); nothing for anything else.
std::optional<QString> AcceptedFolder(const QString& path);

// The modal folder chooser, created once and reused: a folders-only tree with the home folder,
// the file system root and the mounted volumes at the top, and the selected path echoed below.
class TBrowseFolderDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TBrowseFolderDialog(QWidget* parent = nullptr);

    QString ChosenFolder;  // the folder last accepted with "OK"; never cleared

    // Selects the folder at path in the tree, opening the nodes above it.
    bool SelectPath(const QString& path);

    QLabel* Label2;
    QTreeWidget* ShellTreeView1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

  private:
    void ShellTreeView1Change();
    void Button1Click();
    void FillChildren(QTreeWidgetItem* node);
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& label, const QString& path);
};
