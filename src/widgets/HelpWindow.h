#pragma once

#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include "platform/ChmFile.h"
#include "platform/ChmToc.h"

class QTreeWidget;
class QTreeWidgetItem;

// Shows the pages of a compiled help file, their images, styles and links all read from it.
class TChmBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    TChmBrowser(std::shared_ptr<TChmFile> file, QWidget* parent);
    QVariant loadResource(int type, const QUrl& url) override;

  private:
    std::shared_ptr<TChmFile> file_;
};

// A help window: the table of contents beside the page it opens. Belongs to the application,
// not to any form; deleted when closed.
class THelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit THelpWindow(std::shared_ptr<TChmFile> file);

    QTreeWidget* Contents;
    TChmBrowser* Page;

    // Opens a page by its path in the help file ("web.html").
    void OpenPage(const QString& local);
    // A link clicked on a page: another help page opens here, a web page in the desktop's
    // browser; nothing else is followed.
    void FollowLink(const QUrl& link);

    static int OpenCount();
    static void CloseAll();

  private:
    void AddEntries(QTreeWidgetItem* parent, const std::vector<TTocEntry>& entries);
    // Selects the page's entry in the contents, if it has one.
    void ShowInContents(const QUrl& page);
    std::shared_ptr<TChmFile> file_;
};
