#include "app/cli/CliDownloads.h"

#include <QJsonValue>

#include "app/cli/CliOutput.h"
#include "logic/TargetNames.h"
#include "logic/WarcWriter.h"

QString SourceName(MovieSource source) {
    switch (source) {
        case MovieSource::Page:
            return "page";
        case MovieSource::DeepScan:
            return "deep scan";
        case MovieSource::Network:
            return "network";
        case MovieSource::CommandLine:
            return "command line";
    }
    return QString();
}

QJsonObject MovieJson(const QString& page, int index, const MovieRow& row,
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

TCliDownloads::TCliDownloads(TCore& core, TCliOutput& output, TWarcWriter* warc, QObject* parent)
    : QObject(parent), core_(core), output_(output) {
    TDownloadChain& chain = core_.Chain();
    chain.SetHttpOptions(QString(), warc);
    // Other programs may be saving into the same folder: their files are theirs.
    chain.KeepOthersFiles(true);
    chain.TellPositions(false);  // the bar shows bytes
    connect(&chain, &TDownloadChain::BytesReceived, this, [this](qint64 bytes, qint64 total) {
        output_.Progress(core_.Chain().DownloadUrl, bytes, total);
    });
    connect(&chain, &TDownloadChain::RowFinished, this,
            [this](int row, const QString& url, const TDownloadResult& result) {
                if (row < 0) {
                    return;
                }
                MovieRow movie = core_.WebMovies().Row(row);
                if (result.saved) {
                    movie.size = result.bytes;
                }
                const QJsonObject json = MovieJson(page_, row + 1, movie, result.sha256);
                if (result.saved) {
                    output_.Result(result.file, json);
                } else {
                    output_.Failure(url + ": " + result.reason);
                    output_.Result(QString(), json);
                }
            });
    connect(&chain, &TDownloadChain::Finished, this, [this] {
        output_.EndProgress();
        if (done_) {
            std::exchange(done_, nullptr)();
        }
    });
}

void TCliDownloads::Run(const QString& page, const std::vector<FoundMovie>& movies,
                        const QString& folder, std::function<void()> done) {
    page_ = page;
    TMovieListModel& list = core_.WebMovies();
    list.SetFound(movies);
    for (int i = 0; i < list.Count(); ++i) {
        // A movie whose address gives no file name would stop the chain: it is told here.
        if (MovieFileName(list.Row(i).address).isEmpty()) {
            list.SetStatus(i, MovieStatus::Failed, "no file name can be made from the address");
            output_.Failure(list.Row(i).address + ": " + list.Row(i).reason);
            output_.Result(QString(), MovieJson(page, i + 1, list.Row(i)));
        } else {
            list.SetTicked(i, true);
        }
    }
    done_ = std::move(done);
    if (!core_.Chain().Start(folder)) {
        std::exchange(done_, nullptr)();  // nothing to fetch
    }
}
