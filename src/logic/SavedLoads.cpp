#include "logic/SavedLoads.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include "logic/AddressResolution.h"
#include "logic/TargetNames.h"
#include "platform/FileOps.h"

namespace {
constexpr int kMaxNameBytes = 120;
constexpr int kMostDepth = 16;  // folders below the movie's

// One path segment as a file name that stays where it is put and reads as it is.
QString SafeName(const QString& segment) {
    QString name = WithoutBidiControls(QUrl::fromPercentEncoding(segment.toUtf8()));
    for (QChar& c : name) {
        if (c == '/' || c == '\\' || c.unicode() < 0x20 || c.unicode() == 0x7f) {
            c = '_';
        }
    }
    static const QRegularExpression device("^(con|prn|aux|nul|com[0-9]|lpt[0-9])(\\..*)?$",
                                           QRegularExpression::CaseInsensitiveOption);
    if (name == "." || name == ".." || device.match(name).hasMatch()) {
        name.prepend('_');
    }
    return DiskFileName(name, kMaxNameBytes);
}

// The path of a load relative to the movie's folder, before it is made unique.
QString PlaceOf(const QUrl& movie, const QUrl& load) {
    const QString folder = movie.path(QUrl::FullyEncoded).section('/', 0, -2) + "/";
    const QString path = load.path(QUrl::FullyEncoded);
    const bool sameSite = load.scheme() == movie.scheme() && load.host() == movie.host() &&
                          load.port() == movie.port();
    QString relative;
    if (sameSite && path.startsWith(folder)) {
        relative = path.mid(folder.size());
    } else {
        const QString host =
            load.port() < 0 ? load.host() : QString("%1_%2").arg(load.host()).arg(load.port());
        relative = host + path;
    }
    QStringList names;
    for (const QString& segment : relative.split('/')) {
        if (!segment.isEmpty()) {
            names << SafeName(segment);
        }
    }
    if (names.size() > kMostDepth) {
        // Deeper folders are folded into one name, so the path stays short.
        const QString folded =
            SafeName(names.mid(kMostDepth - 1, names.size() - kMostDepth).join('_'));
        names = names.mid(0, kMostDepth - 1) + QStringList{folded, names.last()};
    }
    if (names.isEmpty() || relative.endsWith('/')) {
        names << "index";
    }
    return names.join('/');
}
}  // namespace

QStringList LoadPaths(const QString& movieAddress, const QString& movieFile,
                      const std::vector<TLoadedFile>& loads) {
    const QUrl movie(movieAddress);
    // Taken paths and folders, in lower case: a file system may not tell letter cases apart.
    QSet<QString> files = {movieFile.toLower(), "manifest.json"};
    QSet<QString> folders;
    QStringList out;
    for (const TLoadedFile& load : loads) {
        const QUrl url(load.address);
        if (load.localFile.isEmpty() || !url.isValid()) {
            out << QString();
            continue;
        }
        QString path = PlaceOf(movie, url);
        for (int k = 2; files.contains(path.toLower()) || folders.contains(path.toLower()); ++k) {
            path = NumberedPath(PlaceOf(movie, url), k);
        }
        // A folder this path needs must not be a file already.
        bool clash = false;
        for (qsizetype slash = path.indexOf('/'); slash >= 0;
             slash = path.indexOf('/', slash + 1)) {
            clash = clash || files.contains(path.left(slash).toLower());
        }
        if (clash) {
            out << QString();
            continue;
        }
        files.insert(path.toLower());
        for (qsizetype slash = path.indexOf('/'); slash >= 0;
             slash = path.indexOf('/', slash + 1)) {
            folders.insert(path.left(slash).toLower());
        }
        out << path;
    }
    return out;
}

TSaveLoadsJob::TSaveLoadsJob(QString folder, QString movieAddress, TDownloadResult movie,
                             std::vector<TLoadedFile> loads, QObject* owner)
    : TJob(owner),
      folder_(std::move(folder)),
      movieAddress_(std::move(movieAddress)),
      movie_(std::move(movie)),
      loads_(std::move(loads)) {}

TOutcome TSaveLoadsJob::Execute() {
    return SaveLoadsBeside(folder_, movieAddress_, movie_, loads_,
                           [this] { return IsCancelled(); });
}

TOutcome SaveLoadsBeside(const QString& folder, const QString& movieAddress,
                         const TDownloadResult& movie, const std::vector<TLoadedFile>& loads,
                         const std::function<bool()>& cancelled) {
    const QString movieFile = LastPathPart(movie.file);
    const QStringList paths = LoadPaths(movieAddress, movieFile, loads);
    QJsonArray manifest;
    manifest.append(QJsonObject{{"address", movieAddress},
                                {"saved", movieFile},
                                {"size", movie.bytes},
                                {"sha256", QString::fromLatin1(movie.sha256)},
                                {"status", static_cast<int>(movie.httpStatus)}});
    QString failure;
    const QString root = QDir::cleanPath(folder);
    for (size_t i = 0; i < loads.size(); ++i) {
        if (cancelled()) {
            return TOutcome::Stopped();
        }
        const TLoadedFile& load = loads[i];
        QString saved = paths[static_cast<int>(i)];
        const QString target = QDir::cleanPath(folder + saved);
        if (!saved.isEmpty() && target.startsWith(root + "/")) {
            TOutcome copied = MakeFolderInside(root, saved.section('/', 0, -2));
            if (copied) {
                copied = CopyFileAtomic(load.localFile, target);
            }
            if (!copied) {
                failure = failure.isEmpty() ? copied.reason : failure;
                saved.clear();
            }
        } else {
            saved.clear();
        }
        QJsonObject entry{{"address", load.address},
                          {"saved", saved.isEmpty() ? QJsonValue() : QJsonValue(saved)},
                          {"size", load.size},
                          {"sha256", QString::fromLatin1(load.sha256)},
                          {"status", static_cast<int>(load.status)}};
        if (!load.refused.isEmpty()) {
            entry["refused"] = load.refused;
        }
        manifest.append(entry);
    }
    TAtomicFile file(folder + "manifest.json");
    const QByteArray json = QJsonDocument(manifest).toJson();
    if (!file.Write(json.constData(), static_cast<size_t>(json.size())) || !file.Commit()) {
        return TOutcome::Failed(file.Error());
    }
    return failure.isEmpty() ? TOutcome::Done()
                             : TOutcome::Failed(
                                   "the movie was saved, but not every file it "
                                   "loads: " +
                                   failure);
}
