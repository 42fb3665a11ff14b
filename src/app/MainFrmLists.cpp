// The two movie lists: rebuilding the web list, ticking, clearing, the popup menu and row
// selection.
#include <QComboBox>
#include <QCursor>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/MainFrm.h"
#include "web/FlashPlayer.h"
#include "widgets/ListGrid.h"

void TMainFrm::RefreshWebList() {
    ListView1->clear();
    for (int i = 0; i < FoundMovies.size(); ++i) {
        AppendReportRow(ListView1, {QString::number(i + 1), FoundMovies[i], "New"});
    }
}

QTreeWidget* TMainFrm::ActiveList() const {
    return PageControl1->currentIndex() == 0 ? ListView1 : ListView2;
}

void TMainFrm::SetAllChecked(bool ticked) {
    QTreeWidget* list = ActiveList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        SetTicked(list->topLevelItem(i), ticked);
    }
}

void TMainFrm::ClearActiveList() {
    QTreeWidget* list = ActiveList();
    if (list->topLevelItemCount() > 0) {
        list->clear();
    }
}

void TMainFrm::AppendCacheRow(int index, const QString& name, const QString& size,
                              const QString& localPath) {
    AppendReportRow(ListView2, {QString::number(index), name, size, localPath});
}

void TMainFrm::ListView1MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        PopupMenu1->popup(QCursor::pos());
    }
}

void TMainFrm::ListView2MouseDown(Qt::MouseButton button) {
    ListView1MouseDown(button);
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress) {
        const auto button = static_cast<QMouseEvent*>(e)->button();
        if (watched == ListView1->viewport()) {
            ListView1MouseDown(button);
        } else if (watched == ListView2->viewport()) {
            ListView2MouseDown(button);
        }
    }
    if (e->type() == QEvent::KeyPress && watched == UrlComBox) {
        // Enter acts as "GO!"; the box still gets the key. The box, not its line edit, has the
        // keyboard focus and hands keys on to the line edit itself.
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            LbSpeedButton6Click();
        }
    } else if (e->type() == QEvent::Resize && watched == Panel4) {
        // The address bar gets its new width after the window's own resize event.
        ArrangeToolbar();
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainFrm::ConnectSelection(QTreeWidget* list) {
    // Every row that loses or gains the selection reaches the list's handler, losing first.
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, list](const QItemSelection& selected, const QItemSelection& deselected) {
                auto handle = [&](const QItemSelection& rows, bool isSelected) {
                    for (const QModelIndex& index : rows.indexes()) {
                        if (index.column() != 0) {
                            continue;
                        }
                        QTreeWidgetItem* row = list->topLevelItem(index.row());
                        if (list == ListView1) {
                            ListView1SelectItem(row, isSelected);
                        } else {
                            ListView2SelectItem(row, isSelected);
                        }
                    }
                };
                handle(deselected, false);
                handle(selected, true);
            });
}

// Gaining and losing the selection both play the row's movie.
void TMainFrm::ListView1SelectItem(QTreeWidgetItem* row, bool selected) {
    if (row && !row->text(1).isEmpty()) {
        ShockwaveFlash1->SetMovie(row->text(1));
        if (row->text(2) != "Saved") {
            row->setText(2, "Preview");
        }
    }
    emit RowSelectionChanged(ListView1, row, selected);
}

void TMainFrm::ListView2SelectItem(QTreeWidgetItem* row, bool selected) {
    if (row) {
        ShockwaveFlash1->SetMovieFile(row->text(3));
    }
    emit RowSelectionChanged(ListView2, row, selected);
}
