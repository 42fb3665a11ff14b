#pragma once

#include <QAbstractItemView>
#include <QStringList>

#include "app/MainFrm.h"
#include "widgets/ReportList.h"

// Reading and setting the rows of the window's movie lists as a user sees them.
inline QString Cell(const QAbstractItemView* list, int row, int column) {
    return list->model()->index(row, column).data().toString();
}
inline int Rows(const QAbstractItemView* list) {
    return list->model()->rowCount();
}
inline bool Ticked(const QAbstractItemView* list, int row) {
    return list->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}
inline void Tick(QAbstractItemView* list, int row, bool ticked) {
    list->model()->setData(list->model()->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked,
                           Qt::CheckStateRole);
}
inline void SelectRow(QAbstractItemView* list, int row) {
    list->setCurrentIndex(list->model()->index(row, 0));
}

// The web list holding these movies as a page scan found them, every row "New" and unticked.
inline void ListMovies(TMainFrm& frm, const QStringList& addresses) {
    std::vector<TFoundMovie> found;
    for (const QString& address : addresses) {
        found.push_back({address, TMovieSource::Page, QString()});
    }
    frm.Core().WebMovies().SetFound(found);
}

// A row of the cache list, as the cache scan appends it.
inline void AddCacheRow(TMainFrm& frm, int index, const QString& localPath, qint64 size = 7) {
    TMovieRow row;
    row.index = index;
    row.localFile = localPath;
    row.size = size;
    frm.Core().CacheMovies().Append(row);
}

// One column of a list, top to bottom.
inline QStringList Column(const QAbstractItemView* list, int column) {
    QStringList out;
    for (int row = 0; row < Rows(list); ++row) {
        out << Cell(list, row, column);
    }
    return out;
}
