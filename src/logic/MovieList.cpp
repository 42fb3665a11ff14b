#include "logic/MovieList.h"

#include "logic/TargetNames.h"

#include <algorithm>

QString StatusText(TMovieStatus status) {
    switch (status) {
        case TMovieStatus::New:
            return "New";
        case TMovieStatus::Preview:
            return "Preview";
        case TMovieStatus::Saved:
            return "Saved";
        case TMovieStatus::Failed:
            return "Failed";
    }
    return QString();
}

namespace {
const TMovieRow kNoRow;
}

TMovieListModel::TMovieListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

TWebMovieModel::TWebMovieModel(QObject* parent)
    : TMovieListModel({"Index", "Flash", "Status", "Loads"}, parent) {}

TCacheMovieModel::TCacheMovieModel(QObject* parent)
    : TMovieListModel({"Index", "Flash", "Size", "Local Path"}, parent) {}

const TMovieRow& TMovieListModel::Row(int row) const {
    return Has(row) ? rows_[static_cast<size_t>(shownFrom_ + row)] : kNoRow;
}

int TMovieListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size()) - shownFrom_;
}

int TMovieListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

int TMovieRow::LoadsKept() const {
    int kept = 0;
    for (const TLoadedFile& file : loads) {
        kept += file.localFile.isEmpty() ? 0 : 1;
    }
    return kept;
}

QString TCacheMovieModel::Summary(const TMovieRow& row) const {
    QString text = row.address.isEmpty() ? QString("Address not known") : row.address;
    if (!row.browser.isEmpty()) {
        text += ", from the cache of " + row.browser;
    }
    if (!row.reason.isEmpty()) {
        text += ". Copy failed: " + row.reason;
    }
    return text;
}

QString TWebMovieModel::Summary(const TMovieRow& row) const {
    if (row.status == TMovieStatus::Failed) {
        return row.reason;
    }
    return row.status == TMovieStatus::Saved ? "Saved to " + row.localFile : QString();
}

QString TMovieListModel::Description(const TMovieRow& row) const {
    QString text = Summary(row);
    const auto add = [&text](const QString& more) {
        text = text.isEmpty() ? more : text + ". " + more;
    };
    if (!row.loads.empty()) {
        add(QString("It loaded %1 files while it played").arg(row.loads.size()));
    }
    if (row.status == TMovieStatus::Saved && !row.loads.empty()) {
        // Saved without some of what it needs to play: the row says which.
        QStringList missed;
        for (const TLoadedFile& file : row.loads) {
            if (!row.loadsSaved || file.localFile.isEmpty()) {
                missed << file.address;
            }
        }
        if (!missed.isEmpty()) {
            add("Not saved with it: " + missed.join(", "));
        }
    }
    if (!row.previewProblem.isEmpty()) {
        add("The preview could not be played: " + row.previewProblem);
    }
    return text;
}

// The columns may show an address or a path cut short: the tooltip has them whole.
QString TCacheMovieModel::ToolTip(const TMovieRow& row) const {
    const QString description = Description(row);
    return row.localFile.isEmpty() ? description : description + "\n" + row.localFile;
}

QString TWebMovieModel::ToolTip(const TMovieRow& row) const {
    const QString description = Description(row);
    return description.isEmpty() ? row.address : row.address + "\n" + description;
}

QVariant TWebMovieModel::Cell(const TMovieRow& movie, int row, int column) const {
    switch (column) {
        case IndexColumn:
            return QString::number(row + 1);
        case FlashColumn:
            return movie.address;
        case StatusColumn:
            return StatusText(movie.status);
        case LoadsColumn:
            return movie.loads.empty() ? QString() : QString::number(movie.loads.size());
    }
    return {};
}

QVariant TCacheMovieModel::Cell(const TMovieRow& movie, int, int column) const {
    switch (column) {
        case IndexColumn:
            return QString::number(movie.index);
        case FlashColumn:
            return LastPathPart(movie.localFile);
        case SizeColumn:
            return QString::number(static_cast<quint32>(movie.size & 0xFFFFFFFF));
        case LocalPathColumn:
            return movie.localFile;
    }
    return {};
}

QVariant TMovieListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const TMovieRow& row = Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return Cell(row, index.row(), index.column());
        case Qt::CheckStateRole:
            return index.column() == 0 ? QVariant(row.ticked ? Qt::Checked : Qt::Unchecked)
                                       : QVariant();
        case Qt::ToolTipRole:
            return ToolTip(row);
        case Qt::AccessibleDescriptionRole: {
            const QString text = Description(row);
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        default:
            return {};
    }
}

bool TMovieListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= rowCount()) {
        return false;
    }
    SetTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TMovieListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == 0 ? f | Qt::ItemIsUserCheckable : f;
}

QVariant TMovieListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= headers_.size()) {
        return {};
    }
    return headers_[section];
}

void TWebMovieModel::SetFound(const std::vector<TFoundMovie>& movies) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(movies.size());
    foundKeys_.clear();
    for (const TFoundMovie& movie : movies) {
        TMovieRow row;
        row.address = movie.address;
        row.source = movie.source;
        row.document = movie.document;
        rows_.push_back(std::move(row));
        foundKeys_.insert(movie.address.toCaseFolded());
    }
    shownFrom_ = 0;
    endResetModel();
}

void TWebMovieModel::ShowAllFound() {
    beginResetModel();
    for (TMovieRow& row : rows_) {
        row.status = TMovieStatus::New;
        row.reason.clear();
        row.localFile.clear();
        row.ticked = false;
    }
    shownFrom_ = 0;
    endResetModel();
}

QStringList TWebMovieModel::FoundMovies() const {
    QStringList out;
    for (const TMovieRow& row : rows_) {
        out << row.address;
    }
    return out;
}

bool TWebMovieModel::WasFound(const QString& address) const {
    return foundKeys_.contains(address.toCaseFolded());
}

void TMovieListModel::Append(const TMovieRow& row) {
    const int at = rowCount();
    beginInsertRows({}, at, at);
    rows_.push_back(row);
    foundKeys_.insert(row.address.toCaseFolded());
    endInsertRows();
}

void TMovieListModel::Clear() {
    if (rowCount() == 0) {
        return;
    }
    beginResetModel();
    rows_.clear();
    foundKeys_.clear();
    endResetModel();
}

void TWebMovieModel::Clear() {
    if (rowCount() == 0) {
        return;
    }
    beginResetModel();
    shownFrom_ = static_cast<int>(rows_.size());  // its movies are still known as found
    endResetModel();
}

void TMovieListModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TMovieListModel::SetTicked(int row, bool ticked) {
    if (Has(row) && At(row).ticked != ticked) {
        At(row).ticked = ticked;
        emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
    }
}

void TMovieListModel::SetAllTicked(bool ticked) {
    for (int row = 0; row < rowCount(); ++row) {
        At(row).ticked = ticked;
    }
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    }
}

void TMovieListModel::SetStatus(int row, TMovieStatus status, const QString& reason,
                                const QString& localFile) {
    if (!Has(row)) {
        return;
    }
    TMovieRow& r = At(row);
    r.status = status;
    r.reason = reason;
    if (!localFile.isEmpty()) {
        r.localFile = localFile;
    }
    RowChanged(row);
}

void TMovieListModel::SetPreviewProblem(int row, const QString& why) {
    if (!Has(row)) {
        return;
    }
    At(row).previewProblem = why;
    RowChanged(row);
}

void TMovieListModel::SetLoadsSaved(int row) {
    if (!Has(row)) {
        return;
    }
    At(row).loadsSaved = true;
    RowChanged(row);
}

void TMovieListModel::RecordLoad(const QString& movie, const TLoadedFile& file) {
    for (int row = 0; row < rowCount(); ++row) {
        TMovieRow& r = At(row);
        if (MovieKey(r) != movie) {
            continue;
        }
        const auto same = std::find_if(r.loads.begin(), r.loads.end(), [&](const TLoadedFile& f) {
            return f.address == file.address;
        });
        if (same != r.loads.end()) {
            *same = file;
        } else {
            r.loads.push_back(file);
        }
        RowChanged(row);
    }
}
