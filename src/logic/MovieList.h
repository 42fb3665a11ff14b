#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "logic/LoadRecorder.h"
#include "logic/PageScan.h"

enum class TMovieStatus { New, Preview, Saved, Failed };

// The words a status shows: "New", "Preview", "Saved", "Failed".
QString StatusText(TMovieStatus status);

// One movie of a list.
struct TMovieRow {
    QString address;  // web: the movie's address; cache: where it came from, when known
    TMovieSource source = TMovieSource::Page;
    QString document;  // the document it was found in
    TMovieStatus status = TMovieStatus::New;
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

// A movie list as the window and the command line show it: the rows, their ticks and statuses,
// and what each movie loaded. The tick is the first column's check state. A row's tooltip and
// accessible description tell what its columns do not: why it failed, where it was saved, where
// a cached movie came from. A row number outside the list is ignored (Row gives an empty row).
class TMovieListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    int Count() const { return rowCount(); }
    bool Has(int row) const { return row >= 0 && row < rowCount(); }
    const TMovieRow& Row(int row) const;

    void Append(const TMovieRow& row);
    // Removes the listed rows.
    virtual void Clear();

    void SetTicked(int row, bool ticked);
    void SetAllTicked(bool ticked);
    void SetStatus(int row, TMovieStatus status, const QString& reason = {},
                   const QString& localFile = {});
    // A file the movie of the rows known as movie (their address, or a cache row's file)
    // loaded; a later load of the same address replaces the earlier.
    void RecordLoad(const QString& movie, const TLoadedFile& file);
    // Why the row's preview could not be played; empty once it could.
    void SetPreviewProblem(int row, const QString& why);
    // The row was saved with the files it loaded that were kept.
    void SetLoadsSaved(int row);

  protected:
    explicit TMovieListModel(QStringList headers, QObject* parent);
    // What a cell shows (row: its place in the list).
    virtual QVariant Cell(const TMovieRow& movie, int row, int column) const = 0;
    // What the row says of itself before what it loaded and how its preview went.
    virtual QString Summary(const TMovieRow& movie) const = 0;
    virtual QString ToolTip(const TMovieRow& movie) const = 0;
    // The name the movie's loads are recorded under.
    virtual const QString& MovieKey(const TMovieRow& movie) const = 0;
    QString Description(const TMovieRow& row) const;
    TMovieRow& At(int row) { return rows_[static_cast<size_t>(shownFrom_ + row)]; }
    void RowChanged(int row);

    std::vector<TMovieRow> rows_;
    int shownFrom_ = 0;        // rows before it have been cleared
    QSet<QString> foundKeys_;  // every address listed, case folded

  private:
    const QStringList headers_;
};

// The web list: the movies of the page, "Index", "Flash", "Status" and "Loads" (how many files
// the movie loaded while it played). It keeps every movie its page scan found, also once its
// rows have been cleared: those are not listed again when the page fetches them once more.
class TWebMovieModel : public TMovieListModel {
    Q_OBJECT
  public:
    enum Column { IndexColumn, FlashColumn, StatusColumn, LoadsColumn };
    explicit TWebMovieModel(QObject* parent = nullptr);

    // The page's movies replace every row, each "New" and unticked.
    void SetFound(const std::vector<TFoundMovie>& movies);
    // Every movie found listed again, each "New" and unticked.
    void ShowAllFound();
    // Every address found, listed or cleared, in order.
    QStringList FoundMovies() const;
    bool WasFound(const QString& address) const;  // letter case ignored
    void Clear() override;

  protected:
    QVariant Cell(const TMovieRow& movie, int row, int column) const override;
    QString Summary(const TMovieRow& movie) const override;
    QString ToolTip(const TMovieRow& movie) const override;
    const QString& MovieKey(const TMovieRow& movie) const override { return movie.address; }
};

// The cache list: the movies of the browsers' caches, "Index", "Flash", "Size", "Local Path".
class TCacheMovieModel : public TMovieListModel {
    Q_OBJECT
  public:
    enum Column { IndexColumn, FlashColumn, SizeColumn, LocalPathColumn };
    explicit TCacheMovieModel(QObject* parent = nullptr);

  protected:
    QVariant Cell(const TMovieRow& movie, int row, int column) const override;
    QString Summary(const TMovieRow& movie) const override;
    QString ToolTip(const TMovieRow& movie) const override;
    const QString& MovieKey(const TMovieRow& movie) const override { return movie.localFile; }
};
