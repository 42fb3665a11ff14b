#include "app/cli/CliDownloads.h"

#include <QJsonValue>

#include "app/cli/CliOutput.h"
#include "logic/TargetNames.h"
#include "logic/WarcWriter.h"

QString SourceName(TMovieSource source) {
    switch (source) {
        case TMovieSource::Page:
            return "page";
        case TMovieSource::DeepScan:
            return "deep scan";
        case TMovieSource::Network:
            return "network";
        case TMovieSource::CommandLine:
            return "command line";
    }
    return QString();
}

QJsonObject MovieJson(const QString& page, int index, const TMovieRow& row,
                      const QByteArray& sha256) {
    auto orNull = [](const QString& text) {
        return text.isEmpty() ? QJsonValue() : QJsonValue(text);
    };
    return {{"page", orNull(page)},
            {"index", index},
            {"address", row.address},
            {"found", SourceName(row.source)},
            {"document", orNull(row.document)},
            {"status", StatusText(row.status)},
            {"reason", orNull(row.reason)},
            {"size", row.size >= 0 ? QJsonValue(row.size) : QJsonValue()},
            {"saved", orNull(row.localFile)},
            {"sha256", orNull(QString::fromLatin1(sha256))}};
}

QJsonArray LoadsJson(const std::vector<TLoadedFile>& loads) {
    QJsonArray array;
    for (const TLoadedFile& load : loads) {
        QJsonObject json{
            {"address", load.address},
            {"status", static_cast<int>(load.status)},
            {"size", load.size},
            {"sha256", load.sha256.isEmpty() ? QJsonValue() : QJsonValue(QString(load.sha256))}};
        if (!load.refused.isEmpty()) {
            json["refused"] = load.refused;
        }
        array.append(json);
    }
    return array;
}

TCliDownloads::TCliDownloads(TCore& core, TCliOutput& output, const TCliDownloadOptions& options,
                             QObject* parent)
    : QObject(parent), core_(core), output_(output), options_(options) {
    TDownloadChain& chain = core_.Chain();
    THttpGetOptions& requests = chain.RequestOptions();
    requests.recorder = options.warc;
    requests.positions = false;  // the bar shows bytes
    requests.userAgent = options.userAgent;
    requests.retries = options.retries;
    chain.SetHostDelay(options.delayMs);
    // Other programs may be saving into the same folder, and earlier runs have: their files
    // are kept unless the user says otherwise.
    chain.ReplaceExisting(options.overwrite);
    chain.NumberAcrossCommands(true);
    chain.DownloadAhead(true);  // nobody else changes the list while it runs
    connect(&chain, &TDownloadChain::BytesReceived, this, [this](qint64 bytes, qint64 total) {
        output_.Progress(core_.Chain().DownloadUrl, bytes, total);
    });
    connect(&chain, &TDownloadChain::RowFinished, this, &TCliDownloads::Finished);
    connect(&chain, &TDownloadChain::Finished, this, [this] {
        output_.EndProgress();
        CheckArchive();
        if (done_) {
            std::exchange(done_, nullptr)();
        }
    });
}

void TCliDownloads::Finished(int row, const QString& url, const TDownloadResult& result) {
    if (row < 0 || row >= core_.WebMovies().Count()) {
        return;
    }
    TMovieRow movie = core_.WebMovies().Row(row);
    if (result.saved) {
        movie.size = result.bytes;
        output_.CountSaved(result.bytes);
        const TOutcome recorded = index_->Record(url, result.file, result.bytes, result.sha256);
        if (!recorded) {
            output_.Note(recorded.reason);
        }
    }
    QJsonObject json = MovieJson(page_, row + 1, movie, result.sha256);
    if (played_.count(movie.address) > 0) {
        json["loads"] = LoadsJson(movie.loads);
    }
    if (result.saved) {
        output_.Result(result.file, json);
    } else {
        output_.Failure(Printable(url) + ": " + result.reason);
        output_.Result(QString(), json);
    }
    CheckArchive();
}

void TCliDownloads::CheckArchive() {
    if (archiveFailed_ || !options_.warc || options_.warc->Error().isEmpty()) {
        return;
    }
    archiveFailed_ = true;
    output_.Failure(options_.warc->Error());
    core_.Chain().Cancel();
}

void TCliDownloads::Run(const QString& page, const std::vector<TFoundMovie>& movies,
                        const TPlayedLoads& played, const QString& folder,
                        std::function<void()> done) {
    page_ = page;
    played_ = played;
    if (folder != folder_ || !index_) {
        folder_ = folder;
        index_ = std::make_unique<TSavedIndex>(folder);
    }
    TWebMovieModel& list = core_.WebMovies();
    list.SetFound(movies);
    for (const auto& [movie, loads] : played) {
        for (const TLoadedFile& load : loads) {
            list.RecordLoad(movie, load);
        }
    }
    core_.Chain().SaveLoads(!played.empty());
    output_.CountMovies(list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TMovieRow& row = list.Row(i);
        const auto saved = options_.skipExisting ? index_->Find(row.address) : std::nullopt;
        if (saved) {
            // Saved by an earlier run: told as saved, with what the record says.
            list.SetStatus(i, TMovieStatus::Saved, QString(), folder + saved->file);
            TMovieRow movie = list.Row(i);
            movie.size = saved->size;
            QJsonObject json = MovieJson(page, i + 1, movie, saved->sha256);
            json["skipped"] = true;
            output_.Result(movie.localFile, json);
        } else if (MovieFileName(row.address).isEmpty()) {
            // A movie whose address gives no file name would stop the chain: it is told here.
            list.SetStatus(i, TMovieStatus::Failed, "no file name can be made from the address");
            output_.Failure(Printable(list.Row(i).address) + ": " + list.Row(i).reason);
            output_.Result(QString(), MovieJson(page, i + 1, list.Row(i)));
        } else {
            list.SetTicked(i, true);
        }
    }
    done_ = std::move(done);
    if (archiveFailed_ || !core_.Chain().Start(folder)) {
        std::exchange(done_, nullptr)();  // nothing to fetch
    }
}
