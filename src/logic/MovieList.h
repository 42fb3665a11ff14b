#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <vector>

#include "logic/LoadRecorder.h"
#include "logic/PageScan.h"

enum class MovieStatus { New, Preview, Saved, Failed };

// The words a status shows: "New", "Preview", "Saved", "Failed".
QString StatusText(MovieStatus status);

// One movie of a list.
struct MovieRow {
    QString address;  // web: the movie's address; cache: where it came from, when known
    MovieSource source = MovieSource::Page;
    QString document;  // the document it was found in
    MovieStatus status = MovieStatus::New;
    QString reason;     // why it failed
    qint64 size = -1;   // bytes, when known
    QString localFile;  // web: the file it was saved to; cache: the cached copy
    QString browser;    // cache: whose cache held it
    int index = 0;      // cache: its running number within its scan
    bool ticked = false;
    std::vector<TLoadedFile> loads;  // what the movie loaded while it played, one per address
    int LoadsKept() const;           // of those, the files kept
    bool loadsSaved = false;         // saved, with the files it loaded that were kept
    QString previewProblem;          // why its preview could not be played, if it could not
};

// A movie list as the window and the command line show it. The web list's columns are "Index",
// "Flash", "Status" and "Loads" (how many files the movie loaded while it played); the cache
// list's "Index", "Flash", "Size" and "Local Path". The tick
// is the first column's check state. A row's tooltip and accessible description tell what its
// columns do not: why it failed, where it was saved, where a cached movie came from.
//
// The web list keeps every movie its page scan found, also once its rows have been cleared:
// those are not listed again when the page fetches them once more.
class TMovieListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum class Kind { Web, Cache };
    enum Column {
        IndexColumn = 0,
        FlashColumn = 1,
        StatusColumn = 2,
        SizeColumn = 2,
        LocalPathColumn = 3
    };

    explicit TMovieListModel(Kind kind, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    Kind ListKind() const { return kind_; }
    int Count() const { return rowCount(); }
    const MovieRow& Row(int row) const { return rows_[static_cast<size_t>(shownFrom_ + row)]; }

    // Web list: the page's movies replace every row, each "New" and unticked.
    void SetFound(const std::vector<FoundMovie>& movies);
    // Web list: every movie found listed again, each "New" and unticked.
    void ShowAllFound();
    // Web list: every address found, listed or cleared, in order.
    QStringList FoundMovies() const;
    bool WasFound(const QString& address) const;  // letter case ignored

    void Append(const MovieRow& row);
    // Removes the listed rows (the web list still knows their movies).
    void Clear();

    void SetTicked(int row, bool ticked);
    void SetAllTicked(bool ticked);
    void SetStatus(int row, MovieStatus status, const QString& reason = {},
                   const QString& localFile = {});
    // A file the movie of the rows known as movie (their address, or a cache row's file)
    // loaded; a later load of the same address replaces the earlier.
    void RecordLoad(const QString& movie, const TLoadedFile& file);
    // Why the row's preview could not be played; empty once it could.
    void SetPreviewProblem(int row, const QString& why);
    // The row was saved with the files it loaded that were kept.
    void SetLoadsSaved(int row);

  private:
    MovieRow& At(int row) { return rows_[static_cast<size_t>(shownFrom_ + row)]; }
    QString Description(const MovieRow& row) const;
    QString ToolTip(const MovieRow& row) const;
    void RowChanged(int row);

    const Kind kind_;
    std::vector<MovieRow> rows_;
    int shownFrom_ = 0;  // rows before it have been cleared
    QSet<QString> foundKeys_;
};
