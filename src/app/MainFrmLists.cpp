// The two movie lists: rebuilding the web list, ticking, clearing, the popup menu and row
// selection.
#include <QComboBox>
#include <QCursor>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>

#include "app/MainFrm.h"
#include "web/FlashPlayer.h"
#include "widgets/ReportList.h"

void TMainFrm::RefreshWebList() {
    core_->WebMovies().ShowAllFound();
}

TReportList* TMainFrm::ActiveList() const {
    return PageControl1->currentIndex() == 0 ? ListView1 : ListView2;
}

TMovieListModel& TMainFrm::ActiveMovies() {
    if (PageControl1->currentIndex() == 0) {
        return core_->WebMovies();
    }
    return core_->CacheMovies();
}

void TMainFrm::SetAllChecked(bool ticked) {
    ActiveMovies().SetAllTicked(ticked);
}

void TMainFrm::ClearActiveList() {
    ActiveMovies().Clear();
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

void TMainFrm::ConnectSelection(TReportList* list) {
    // Every row that loses or gains the selection reaches the list's handler, losing first.
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, list](const QItemSelection& selected, const QItemSelection& deselected) {
                auto handle = [&](const QItemSelection& rows, bool isSelected) {
                    for (const QModelIndex& index : rows.indexes()) {
                        if (index.column() != 0) {
                            continue;
                        }
                        if (list == ListView1) {
                            ListView1SelectItem(index.row(), isSelected);
                        } else {
                            ListView2SelectItem(index.row(), isSelected);
                        }
                    }
                };
                handle(deselected, false);
                handle(selected, true);
            });
}

// Gaining and losing the selection both play the row's movie.
void TMainFrm::ListView1SelectItem(int row, bool selected) {
    TWebMovieModel& movies = core_->WebMovies();
    if (row >= 0 && row < movies.Count() && !movies.Row(row).address.isEmpty()) {
        FollowPreviewRow(ListView1, row);
        previewRowStatus_ = movies.Row(row).status;
        movies.SetPreviewProblem(row, QString());
        if (movies.Row(row).status != TMovieStatus::Saved) {
            movies.SetStatus(row, TMovieStatus::Preview, movies.Row(row).reason);
        }
        ShockwaveFlash1->SetMovie(movies.Row(row).address);
    }
    emit RowSelectionChanged(ListView1, row, selected);
}

void TMainFrm::ListView2SelectItem(int row, bool selected) {
    if (row >= 0 && row < core_->CacheMovies().Count()) {
        const TMovieRow& movie = core_->CacheMovies().Row(row);
        FollowPreviewRow(ListView2, row);
        ShockwaveFlash1->SetMovieFile(movie.localFile, movie.address);
    }
    emit RowSelectionChanged(ListView2, row, selected);
}

void TMainFrm::FollowPreviewRow(TReportList* list, int row) {
    previewList_ = list;
    previewRow_ = QPersistentModelIndex(list->model()->index(row, 0));
}

void TMainFrm::ClearPreviewIfRowGone() {
    if (previewList_ && !previewRow_.isValid()) {
        previewList_ = nullptr;
        ShockwaveFlash1->Clear();
    }
}

void TMainFrm::PreviewFailed(const QString& movie, const QString& reason) {
    ShowStatus("The movie cannot be played: " + reason);
    if (previewList_ != ListView1 || !previewRow_.isValid()) {
        return;
    }
    TWebMovieModel& movies = core_->WebMovies();
    const int row = previewRow_.row();
    if (movies.Row(row).address != movie) {
        return;  // another row's movie, asked for before
    }
    if (movies.Row(row).status == TMovieStatus::Preview) {
        movies.SetStatus(row, previewRowStatus_, movies.Row(row).reason);
    }
    movies.SetPreviewProblem(row, reason);
}
