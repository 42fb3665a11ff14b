#include "transfers/BrowseFolderDlg.h"
#include "widgets/FormFont.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeWidget>

namespace {
constexpr int kPathRole = Qt::UserRole;
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

TBrowseFolderDialog::TBrowseFolderDialog(QWidget* parent) : QDialog(parent) {
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
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(200, 336, 90, 28);
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(304, 336, 90, 28);
    setTabOrder(ShellTreeView1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Edit1);

    AddNode(nullptr, "Home", QDir::homePath());
    AddNode(nullptr, "File System", "/");
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !IsPseudoVolume(volume)) {
            const QString name = volume.displayName();
            AddNode(nullptr, name.isEmpty() ? volume.rootPath() : name, volume.rootPath());
        }
    }
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
                                              const QString& path) {
    static QFileIconProvider icons;
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ShellTreeView1);
    node->setText(0, label);
    node->setToolTip(0, path);
    node->setIcon(0, icons.icon(QFileInfo(path)));
    node->setData(0, kPathRole, path);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return node;
}

void TBrowseFolderDialog::FillChildren(QTreeWidgetItem* node) {
    if (node->data(0, kFilledRole).toBool()) {
        return;  // read once; the tree does not follow later changes on disk
    }
    node->setData(0, kFilledRole, true);
    const QString path = node->data(0, kPathRole).toString();
    const QFileInfoList folders =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& folder : folders) {
        AddNode(node, folder.fileName(), folder.absoluteFilePath());
    }
    if (folders.isEmpty()) {
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    }
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
        FillChildren(node);
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
