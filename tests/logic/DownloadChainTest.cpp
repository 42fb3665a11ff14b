// The download chain without any window: the names it gives, and how politely it asks.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <atomic>

#include "TestUtil.h"
#include "logic/Core.h"
#include "support/Files.h"
#include "support/Gate.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"

namespace {
// Each movie's body names its address.
std::string ServePath(const std::string& request) {
    return RawHttpServer::Response(200, RequestPath(request));
}

void Download(TCore& core, const QStringList& addresses, const QString& folder) {
    std::vector<TFoundMovie> movies;
    for (const QString& address : addresses) {
        movies.push_back({address, TMovieSource::CommandLine, QString()});
    }
    core.WebMovies().SetFound(movies);
    core.WebMovies().SetAllTicked(true);
    ASSERT_TRUE(core.Chain().Start(folder));
    ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 30000));
}
}  // namespace

// A file already in the folder is replaced by the window's rule and kept by the batch's; a
// name saved by an earlier command of one run stays taken when the run says so.
TEST(DownloadChain, NamesNeverTakeAFileTheRuleKeeps) {
    RawHttpServer server(ServePath);
    const QString a = QString::fromStdString(server.Url("/1/a.swf"));
    const QString b = QString::fromStdString(server.Url("/2/a.swf"));
    const struct {
        bool replace;
        bool acrossCommands;
        std::map<QString, QByteArray> files;
    } rules[] = {
        {true, false, {{"a.swf", "/1/a.swf"}, {"a (2).swf", "/2/a.swf"}}},
        {true, true, {{"a.swf", "/1/a.swf"}, {"a (2).swf", "/2/a.swf"}, {"a (3).swf", "/1/a.swf"}}},
        {false,
         true,
         {{"a.swf", "old"},
          {"a (2).swf", "/1/a.swf"},
          {"a (3).swf", "/2/a.swf"},
          {"a (4).swf", "/1/a.swf"}}},
    };
    const QString other = QString::fromStdString(server.Url("/3/other.swf"));
    for (const auto& rule : rules) {
        for (const bool ahead : {false, true}) {
            QTemporaryDir folder;
            ASSERT_TRUE(WriteFile(folder.filePath("a.swf"), "old"));
            TCore core(TestFolders());
            core.Chain().ReplaceExisting(rule.replace);
            core.Chain().NumberAcrossCommands(rule.acrossCommands);
            core.Chain().DownloadAhead(ahead);
            Download(core, {a, b, other}, folder.path() + "/");
            Download(core, {a}, folder.path() + "/");  // a second command of the same run
            std::map<QString, QByteArray> files;
            for (const QString& name : QDir(folder.path()).entryList(QDir::Files)) {
                files[name] = ReadAll(folder.filePath(name));
            }
            std::map<QString, QByteArray> expected = rule.files;
            expected["other.swf"] = "/3/other.swf";
            EXPECT_EQ(files, expected) << rule.replace << rule.acrossCommands << ahead;
        }
    }
}

// With a delay between requests to one host, two movies of one host are asked for that far
// apart; the delay can be cancelled like a transfer.
TEST(DownloadChain, WaitsBetweenRequestsToOneHost) {
    RawHttpServer server(ServePath);
    QTemporaryDir folder;
    TCore core(TestFolders());
    core.Chain().SetHostDelay(400);
    QElapsedTimer took;
    took.start();
    Download(core,
             {QString::fromStdString(server.Url("/a.swf")),
              QString::fromStdString(server.Url("/b.swf"))},
             folder.path() + "/");
    EXPECT_GE(took.elapsed(), 400);
    EXPECT_EQ(server.Requests().size(), 2u);

    core.WebMovies().SetFound(
        {{QString::fromStdString(server.Url("/c.swf")), TMovieSource::CommandLine, QString()}});
    core.WebMovies().SetAllTicked(true);
    ASSERT_TRUE(core.Chain().Start(folder.path() + "/"));
    EXPECT_TRUE(core.Busy());  // waiting for the host
    core.CancelAll();
    ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 5000));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(core.WebMovies().Row(0).status, TMovieStatus::New);
}

// Each row ends as its answer says: saved, tried again while the server is busy, failed with the
// server's words, refused for a scheme other than http and https (asked for or redirected to).
TEST(DownloadChain, EachRowEndsAsItsAnswerSays) {
    std::atomic<int> busyAnswers{0};
    RawHttpServer server([&](const std::string& request) {
        const std::string path = RequestPath(request);
        if (path == "/busy.swf" && busyAnswers++ == 0) {
            return RawHttpServer::Response(503, "later", "Retry-After: 0\r\n");
        }
        if (path == "/gone.swf") {
            return RawHttpServer::Response(404, "missing");
        }
        if (path == "/away.swf") {
            return RawHttpServer::Response(302, "", "Location: file:///etc/passwd\r\n");
        }
        return RawHttpServer::Response(200, "FWS" + path);
    });
    const auto at = [&](const char* path) { return QString::fromStdString(server.Url(path)); };
    const struct {
        QString address;
        TMovieStatus status;
        QString reason;
    } rows[] = {
        {at("/ok.swf"), TMovieStatus::Saved, ""},
        {at("/busy.swf"), TMovieStatus::Saved, ""},
        {at("/gone.swf"), TMovieStatus::Failed, "HTTP 404 Not Found"},
        {at("/away.swf"), TMovieStatus::Failed,
         "redirected to an address that is not http or https"},
        {"ftp://127.0.0.1/movie.swf", TMovieStatus::Failed, "not an http or https address"},
    };
    QStringList addresses;
    for (const auto& row : rows) {
        addresses << row.address;
    }
    for (const bool ahead : {false, true}) {
        busyAnswers = 0;
        QTemporaryDir folder;
        TCore core(TestFolders());
        core.Chain().RequestOptions().retries = 1;
        core.Chain().DownloadAhead(ahead);
        Download(core, addresses, folder.path() + "/");
        for (int i = 0; i < core.WebMovies().Count(); ++i) {
            EXPECT_EQ(core.WebMovies().Row(i).status, rows[i].status) << i << ahead;
            EXPECT_EQ(core.WebMovies().Row(i).reason, rows[i].reason) << i << ahead;
        }
        EXPECT_EQ(busyAnswers, 2);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"busy.swf", "ok.swf"}));
    }
}

// The list changes under a running chain (a new page replaces it), or the chain is stopped: the
// download under way ends without marking whatever row now stands in its place, or as stopped;
// a movie asked ahead is never asked for, its row stays as it was and no file of it is left.
TEST(DownloadChain, ARowRemovedOrAStopMidChainNeverMismarks) {
    for (const bool stop : {false, true}) {
        for (const bool ahead : {false, true}) {
            TGate answer;
            RawHttpServer server([&answer](const std::string& request) {
                answer.Wait();
                return ServePath(request);
            });
            const auto openAtExit = qScopeGuard([&answer] { answer.Open(); });
            QTemporaryDir folder;
            TCore core(TestFolders());
            core.Chain().DownloadAhead(ahead);
            std::vector<std::pair<int, QString>> finished;
            QObject::connect(&core.Chain(), &TDownloadChain::RowFinished,
                             [&](int row, const QString&, const TDownloadResult& result) {
                                 finished.emplace_back(row, result.reason);
                             });
            core.WebMovies().SetFound({{QString::fromStdString(server.Url("/a.swf")),
                                        TMovieSource::CommandLine, QString()},
                                       {QString::fromStdString(server.Url("/b.swf")),
                                        TMovieSource::CommandLine, QString()}});
            core.WebMovies().SetAllTicked(true);
            ASSERT_TRUE(core.Chain().Start(folder.path() + "/"));
            ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }, 10000));
            if (stop) {
                core.CancelAll();
            } else {
                core.WebMovies().SetFound(
                    {{"http://127.0.0.1:1/new.swf", TMovieSource::Page, QString()}});
            }
            answer.Open();
            ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 10000));
            const std::vector<std::pair<int, QString>> expected{
                stop ? std::pair<int, QString>{0, "stopped"} : std::pair<int, QString>{-1, ""}};
            EXPECT_EQ(finished, expected) << stop << ahead;
            EXPECT_EQ(core.WebMovies().Row(stop ? 1 : 0).status, TMovieStatus::New);
            EXPECT_EQ(server.Requests().size(), 1u);
            // Nothing of the movie asked ahead is left, not even the file opened for it.
            ASSERT_TRUE(WaitUntil([&] {
                return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden) ==
                       (stop ? QStringList() : QStringList{"a.swf"});
            })) << QDir(folder.path())
                       .entryList(QDir::Files | QDir::Hidden)
                       .join(' ')
                       .toStdString();
        }
    }
}
