#include "widgets/HelpWindow.h"

#include <QAccessibleWidget>
#include <QDesktopServices>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>

#include <QHBoxLayout>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace {
constexpr int kLocalRole = Qt::UserRole;

std::vector<QPointer<THelpWindow>>& OpenWindows() {
    static std::vector<QPointer<THelpWindow>> windows;
    return windows;
}

QUrl PageUrl(const QString& local) {
    QUrl url;
    url.setScheme("chm");
    url.setPath("/" + QString(local).remove(QRegularExpression("^/+")));
    return url;
}
}  // namespace

TChmBrowser::TChmBrowser(std::shared_ptr<TChmFile> file, QWidget* parent)
    : QTextBrowser(parent), file_(std::move(file)) {
    // Links are followed here: help pages in this window, web pages in the desktop's browser.
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

QVariant TChmBrowser::loadResource(int type, const QUrl& url) {
    if (url.scheme() != "chm") {
        return QTextBrowser::loadResource(type, url);
    }
    const auto data = file_->Read(url.path());
    if (!data) {
        return QVariant();
    }
    if (type == QTextDocument::ImageResource) {
        return *data;  // the document decodes image bytes itself
    }
    return QString::fromUtf8(*data);
}

namespace {
// A help window is a window to screen readers, named by its title.
QAccessibleInterface* HelpWindowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("THelpWindow") && object && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}
}  // namespace

THelpWindow::THelpWindow(std::shared_ptr<TChmFile> file) : file_(std::move(file)) {
    static const bool accessible = [] {
        QAccessible::installFactory(HelpWindowAccessible);
        return true;
    }();
    (void)accessible;
    setObjectName("HelpWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 520);
    auto* split = new QSplitter(this);
    Contents = new QTreeWidget(split);
    Contents->setObjectName("HelpContents");
    Contents->setHeaderHidden(true);
    Page = new TChmBrowser(file_, split);
    Page->setObjectName("HelpPage");
    split->setStretchFactor(1, 3);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    const auto contents = file_->Read(file_->ContentsPath());
    const std::vector<TTocEntry> toc =
        contents ? ParseContents(QString::fromUtf8(*contents)) : std::vector<TTocEntry>();
    AddEntries(nullptr, toc);
    Contents->expandAll();
    // The contents pane is as wide as its longest title, within reason.
    Contents->resizeColumnToContents(0);
    const int contentsWidth = std::clamp(Contents->columnWidth(0) + 24, 220, 360);
    split->setSizes({contentsWidth, width() - contentsWidth});
    connect(Contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !item->data(0, kLocalRole).toString().isEmpty()) {
            OpenPage(item->data(0, kLocalRole).toString());
        }
    });
    connect(Page, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(Page->documentTitle());
        ShowInContents(Page->source());  // after a link, Back and Forward alike
    });
    connect(Page, &QTextBrowser::anchorClicked, this, &THelpWindow::FollowLink);
    if (!toc.empty()) {
        Contents->setCurrentItem(Contents->topLevelItem(0));
    }
    OpenWindows().push_back(this);
}

void THelpWindow::AddEntries(QTreeWidgetItem* parent, const std::vector<TTocEntry>& entries) {
    for (const TTocEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(Contents);
        item->setText(0, entry.name);
        item->setToolTip(0, entry.name);  // whole, should the pane be narrower than the title
        item->setData(0, kLocalRole, entry.local);
        AddEntries(item, entry.children);
    }
}

void THelpWindow::OpenPage(const QString& local) {
    Page->setSource(PageUrl(local));
}

void THelpWindow::FollowLink(const QUrl& link) {
    const QUrl target = Page->source().resolved(link);
    if (target.scheme() == "http" || target.scheme() == "https") {
        QDesktopServices::openUrl(target);
        return;
    }
    if (target.scheme() != "chm") {
        return;  // nothing else leaves the help
    }
    Page->setSource(target);
    ShowInContents(target);  // told here too: a link followed in a click's handler tells nothing
}

void THelpWindow::ShowInContents(const QUrl& page) {
    const QString local = page.path().mid(1);
    for (QTreeWidgetItemIterator it(Contents); *it; ++it) {
        if ((*it)->data(0, kLocalRole).toString().compare(local, Qt::CaseInsensitive) == 0) {
            const QSignalBlocker quiet(Contents);
            Contents->setCurrentItem(*it);
            break;
        }
    }
}

int THelpWindow::OpenCount() {
    int n = 0;
    for (const auto& w : OpenWindows()) {
        n += w ? 1 : 0;
    }
    return n;
}

void THelpWindow::CloseAll() {
    auto windows = std::move(OpenWindows());
    OpenWindows().clear();
    for (const auto& w : windows) {
        if (w) {
            w->close();
        }
    }
}
