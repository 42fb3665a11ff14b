#include "widgets/BrowseFolderDlg.h"
#include "widgets/FormFont.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "logic/Job.h"

namespace {
constexpr int kPathRole = Qt::UserRole;

// The names of the folders in path, in the order the tree shows them.
QStringList FolderNames(const QString& path) {
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}
constexpr int kFilledRole = Qt::UserRole + 1;

// File systems that hold no user folders.
bool IsPseudoVolume(const QStorageInfo& volume) {
    static const QStringList pseudo = {
        "proc",    "sysfs",    "tmpfs",      "devtmpfs",  "devpts",  "cgroup",      "cgroup2",
        "overlay", "squashfs", "securityfs", "debugfs",   "tracefs", "mqueue",      "pstore",
        "bpf",     "configfs", "fusectl",    "hugetlbfs", "autofs",  "binfmt_misc", "nsfs"};
    return pseudo.contains(QString::fromUtf8(volume.fileSystemType())) || volume.rootPath() == "/";
}
}  // namespace

std::optional<QString> AcceptedFolder(const QString& path) {
    if (!path.startsWith('/')) {
        return std::nullopt;
    }
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    return folder == "/" ? folder : folder + '/';
}

TBrowseFolderDialog::TBrowseFolderDialog(const QString& home, QWidget* parent) : QDialog(parent) {
    setObjectName("BrowseFolderDialog");
    setWindowTitle("Browse For Folder");
    setFont(FormFont(13));
    setFixedSize(406, 382);

    Label2 = new QLabel("Choose Directory to Save Flash", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(8, 16, 189, 16);
    ShellTreeView1 = new QTreeWidget(this);
    ShellTreeView1->setObjectName("ShellTreeView1");
    ShellTreeView1->setGeometry(8, 40, 385, 241);
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setIndentation(19);
    ShellTreeView1->setRootIsDecorated(false);
    Label1 = new QLabel("Folder:", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 292, 42, 16);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setReadOnly(true);
    Edit1->setGeometry(64, 292, 329, 24);
    // It echoes the tree's choice: no caret, no focus, the face of a label, so it never looks
    // like a box that takes typing.
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->setFrame(false);
    Edit1->setBackgroundRole(QPalette::Window);
    Edit1->setAutoFillBackground(false);
    QPalette flat = Edit1->palette();
    flat.setColor(QPalette::Base, flat.color(QPalette::Window));
    Edit1->setPalette(flat);
    Edit1->setAccessibleName("Folder");
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(200, 336, 90, 28);
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(304, 336, 90, 28);
    setTabOrder(ShellTreeView1, Button1);
    setTabOrder(Button1, Button2);
    setAccessibleName(windowTitle());
    setAccessibleDescription(Label2->text());

    AddNode(nullptr, "Home", home);
    AddNode(nullptr, "File System", "/");
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !IsPseudoVolume(volume)) {
            const QString name = volume.displayName();
            AddNode(nullptr, name.isEmpty() ? volume.rootPath() : name, volume.rootPath());
        }
    }
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& path) { ReadAgain(path); });
    connect(ShellTreeView1, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { FillChildren(node); });
    connect(ShellTreeView1, &QTreeWidget::currentItemChanged, this,
            [this] { ShellTreeView1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] {
        Button1Click();
        done(QDialog::Accepted);
    });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QTreeWidgetItem* TBrowseFolderDialog::AddNode(QTreeWidgetItem* parent, const QString& label,
                                              const QString& path, int at) {
    static QFileIconProvider icons;
    QTreeWidgetItem* node = nullptr;
    if (parent && at >= 0) {
        node = new QTreeWidgetItem();
        parent->insertChild(at, node);
    } else {
        node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ShellTreeView1);
    }
    node->setText(0, label);
    node->setToolTip(0, path);
    node->setIcon(0, icons.icon(QFileInfo(path)));
    node->setData(0, kPathRole, path);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return node;
}

void TBrowseFolderDialog::FillChildren(QTreeWidgetItem* node) {
    if (node->data(0, kFilledRole).toBool()) {
        return;  // listed already; changes on disk arrive through the watcher
    }
    node->setData(0, kFilledRole, true);
    const QString path = node->data(0, kPathRole).toString();
    watcher_->addPath(path);
    ReadAgain(path);
}

void TBrowseFolderDialog::ReadAgain(const QString& path) {
    RunInBackground<QStringList>(
        this, [path] { return FolderNames(path); },
        [this, path](const QStringList& names) { ShowFolders(path, names); });
}

void TBrowseFolderDialog::ShowFolders(const QString& path, const QStringList& names) {
    for (QTreeWidgetItemIterator it(ShellTreeView1); *it; ++it) {
        QTreeWidgetItem* node = *it;
        if (node->data(0, kPathRole).toString() != path || !node->data(0, kFilledRole).toBool()) {
            continue;
        }
        // Folders gone are dropped, new ones put in their place in name order; the others keep
        // their own state (open, listed, selected).
        for (int i = node->childCount() - 1; i >= 0; --i) {
            if (!names.contains(node->child(i)->text(0))) {
                delete node->takeChild(i);
            }
        }
        for (int i = 0; i < names.size(); ++i) {
            if (i >= node->childCount() || node->child(i)->text(0) != names[i]) {
                AddNode(node, names[i], QDir(path).absoluteFilePath(names[i]), i);
            }
        }
        node->setChildIndicatorPolicy(names.isEmpty() ? QTreeWidgetItem::DontShowIndicator
                                                      : QTreeWidgetItem::ShowIndicator);
    }
}

void TBrowseFolderDialog::showEvent(QShowEvent* event) {
    // Each use shows the folders as they are now, whatever the watcher could see.
    QSet<QString> listed;
    for (QTreeWidgetItemIterator it(ShellTreeView1); *it; ++it) {
        if ((*it)->data(0, kFilledRole).toBool()) {
            listed.insert((*it)->data(0, kPathRole).toString());
        }
    }
    for (const QString& path : listed) {
        ReadAgain(path);
    }
    QDialog::showEvent(event);
}

bool TBrowseFolderDialog::SelectPath(const QString& path) {
    const QString target = QDir::cleanPath(path);
    // Start from the top node whose path is the longest prefix of the target.
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < ShellTreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = ShellTreeView1->topLevelItem(i);
        const QString p = top->data(0, kPathRole).toString();
        const bool under = target == p || target.startsWith(p.endsWith('/') ? p : p + '/');
        if (under && (!node || p.size() > node->data(0, kPathRole).toString().size())) {
            node = top;
        }
    }
    while (node && QDir::cleanPath(node->data(0, kPathRole).toString()) != target) {
        if (!node->data(0, kFilledRole).toBool()) {
            // Asked for one path: its folders are read now, on the way down.
            node->setData(0, kFilledRole, true);
            const QString path = node->data(0, kPathRole).toString();
            watcher_->addPath(path);
            ShowFolders(path, FolderNames(path));
        }
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            const QString p = node->child(i)->data(0, kPathRole).toString();
            if (target == p || target.startsWith(p + '/')) {
                next = node->child(i);
            }
        }
        node->setExpanded(true);
        node = next;
    }
    if (node) {
        ShellTreeView1->setCurrentItem(node);
    }
    return node != nullptr;
}

void TBrowseFolderDialog::ShellTreeView1Change() {
    QTreeWidgetItem* node = ShellTreeView1->currentItem();
    Edit1->setText(node ? node->data(0, kPathRole).toString() : QString());
}

void TBrowseFolderDialog::Button1Click() {
    if (auto folder = AcceptedFolder(Edit1->text())) {
        ChosenFolder = *folder;
    }
}
