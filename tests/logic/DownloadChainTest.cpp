// The download chain without any window: the names it gives, and how politely it asks.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/Core.h"
#include "support/Files.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"

namespace {
// Each movie's body names its address.
std::string ServePath(const std::string& request) {
    return RawHttpServer::Response(200, RequestPath(request));
}

void Download(TCore& core, const QStringList& addresses, const QString& folder) {
    std::vector<FoundMovie> movies;
    for (const QString& address : addresses) {
        movies.push_back({address, MovieSource::CommandLine, QString()});
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
    for (const auto& rule : rules) {
        QTemporaryDir folder;
        ASSERT_TRUE(WriteFile(folder.filePath("a.swf"), "old"));
        TCore core(TestFolders());
        core.Chain().ReplaceExisting(rule.replace);
        core.Chain().NumberAcrossCommands(rule.acrossCommands);
        Download(core, {a, b}, folder.path() + "/");
        Download(core, {a}, folder.path() + "/");  // a second command of the same run
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files)) {
            files[name] = ReadAll(folder.filePath(name));
        }
        EXPECT_EQ(files, rule.files) << rule.replace << rule.acrossCommands;
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
        {{QString::fromStdString(server.Url("/c.swf")), MovieSource::CommandLine, QString()}});
    core.WebMovies().SetAllTicked(true);
    ASSERT_TRUE(core.Chain().Start(folder.path() + "/"));
    EXPECT_TRUE(core.Busy());  // waiting for the host
    core.CancelAll();
    ASSERT_TRUE(WaitUntil([&] { return !core.Busy(); }, 5000));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(core.WebMovies().Row(0).status, MovieStatus::New);
}
