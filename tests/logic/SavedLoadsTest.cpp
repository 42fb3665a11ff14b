#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/LoadRecorder.h"
#include "logic/SavedLoads.h"
#include "support/Files.h"
#include "support/Jobs.h"
#include "support/RawHttpServer.h"

namespace {
TLoadedFile Kept(const QString& address) {
    TLoadedFile file;
    file.address = address;
    file.localFile = "/kept/copy";
    return file;
}
}  // namespace

// Whatever a load's address says, its saved path stays inside the movie's folder.
TEST(LoadPaths, HostileAddressesStayInsideTheMoviesFolder) {
    const struct {
        QByteArray address;
        QString path;
    } cases[] = {
        {"http://site/games/levels/child.swf", "levels/child.swf"},
        {"http://site/games/data/vars.txt?x=1", "data/vars.txt"},
        {"http://site/shared/up.swf", "site/shared/up.swf"},  // outside the movie's folder
        {"https://site/games/secure.swf", "site/games/secure.swf"},
        {"http://cdn.other:8080/x.swf", "cdn.other_8080/x.swf"},
        {"http://site/games/a/%2e%2e/%2e%2e/etc/passwd", "a/_../_../etc/passwd"},
        {"http://site/games/a%2Fb%5Cc.swf", "a_b_c.swf"},
        {"http://site/games/con.txt", "_con.txt"},
        {"http://site/games/CHILD.SWF", "CHILD (2).SWF"},    // differs only in letter case
        {"http://site/games/parent.swf", "parent (2).swf"},  // the movie's own name is taken
        {"http://site/games/dir/", "dir/index"},
        {"http://site/games/control%01%0a.swf", "control__.swf"},
        {"http://site/games/evil%E2%80%AEfws.txt", "evilfws.txt"},  // no reordering of text
        {"http://site/games/" + QByteArray("d/").repeated(20) + "deep.txt",
         QString("d/").repeated(15) + "d_d_d_d_d/deep.txt"},  // 16 folders at most
    };
    std::vector<TLoadedFile> loads;
    loads.push_back(Kept("http://site/games/levels/child.swf"));
    loads.push_back(Kept("http://site/games/child.swf"));
    for (const auto& c : cases) {
        loads.push_back(Kept(c.address));
    }
    TLoadedFile refused;
    refused.address = "http://site/games/refused.swf";
    loads.push_back(refused);  // nothing was kept: nothing to save
    const QStringList paths = LoadPaths("http://site/games/parent.swf", "parent.swf", loads);
    ASSERT_EQ(paths.size(), static_cast<qsizetype>(loads.size()));
    EXPECT_EQ(paths[1], "child.swf");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QString path = paths[static_cast<qsizetype>(i + 2)];
        if (i == 0) {
            EXPECT_EQ(path, "levels/child (2).swf");  // the same path asked for twice
        } else {
            EXPECT_EQ(path, cases[i].path) << cases[i].address.toStdString();
        }
        EXPECT_FALSE(path.startsWith('/') || path.split('/').contains(".."))
            << cases[i].address.toStdString();
    }
    EXPECT_TRUE(paths.last().isEmpty());

    const QString longName = "http://site/games/" + QString(300, 'n') + ".swf";
    const QString shortened = LoadPaths("http://site/games/p.swf", "p.swf", {Kept(longName)})[0];
    EXPECT_LE(shortened.toUtf8().size(), 120);
    EXPECT_TRUE(shortened.endsWith(".swf"));
}

// What a movie loads is fetched for it, http and https only, and kept; past the limit of files,
// loads are refused and the limit told once.
TEST(LoadRecorder, FetchesKeepsRefusesAndStopsAtTheLimit) {
    RawHttpServer server([](const std::string& request) {
        return RequestLine(request).find("/missing") != std::string::npos
                   ? RawHttpServer::Response(404, "no")
                   : RawHttpServer::Response(200, "data", "Content-Type: text/plain\r\n");
    });
    QTemporaryDir copies;
    std::vector<TLoadedFile> told;
    int limits = 0;
    TLoadLimits few;
    few.files = 20;
    TLoadRecorder recorder(
        copies.path(),
        [&](const QString&, const TLoadedFile& file, bool limit) {
            told.push_back(file);
            limits += limit ? 1 : 0;
        },
        few);
    const QString site = QString::fromStdString(server.Url(""));
    const TLoadRecorder::Movie m{"m", site + "/m.swf"};
    const auto ok = recorder.Fetch(m, site + "/vars.txt");
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ReadAll(ok.file), "data");
    EXPECT_EQ(told.back().type, "text/plain");
    EXPECT_EQ(ReadAll(told.back().localFile), "data");
    EXPECT_EQ(recorder.Fetch(m, site + "/missing").status, 404);
    EXPECT_TRUE(told.back().localFile.isEmpty());  // an error page is told, not kept
    EXPECT_EQ(recorder.Fetch(m, "file:///etc/passwd").status, 403);
    EXPECT_EQ(told.back().refused, "not an http or https address");

    for (int i = 2; i < few.files; ++i) {  // the refused one took nothing
        recorder.Fetch(m, site + "/more.txt");
    }
    EXPECT_EQ(recorder.Fetch(m, site + "/one-too-many.txt").status, 403);
    EXPECT_EQ(recorder.Fetch(m, site + "/and-another.txt").status, 403);
    EXPECT_EQ(limits, 1);
    EXPECT_EQ(told.back().refused, "more than 20 files loaded");
    EXPECT_EQ(recorder.Fetch({"other movie", site + "/o.swf"}, site + "/vars.txt").status,
              200);  // per movie

    // Read again later (a list read anew), the movie's loads are there, one per address, those
    // kept with their copies; what was refused before it was fetched left nothing to read.
    const std::vector<TLoadedFile> kept = TLoadRecorder::Kept(copies.path(), "m", few);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].address, site + "/vars.txt");
    EXPECT_EQ(ReadAll(kept[0].localFile), "data");
    EXPECT_EQ(kept[1].status, 404);
    EXPECT_TRUE(kept[1].localFile.isEmpty());
    QFile::remove(kept[0].localFile);  // pruned meanwhile: no longer kept
    EXPECT_TRUE(TLoadRecorder::Kept(copies.path(), "m", few)[0].localFile.isEmpty());
}

// A link already in the folder is never followed: what would have gone through it is not
// saved, the rest is, and the reason is told.
TEST(SaveLoadsJob, NothingIsSavedThroughALinkInTheFolder) {
    QTemporaryDir folder;
    QTemporaryDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), folder.filePath("levels")));
    QTemporaryDir copies;
    ASSERT_TRUE(WriteFile(copies.filePath("1"), "FWS child"));
    ASSERT_TRUE(WriteFile(copies.filePath("2"), "vars"));
    std::vector<TLoadedFile> loads(2);
    loads[0].address = "http://site/games/levels/child.swf";
    loads[0].localFile = copies.filePath("1");
    loads[1].address = "http://site/games/vars.txt";
    loads[1].localFile = copies.filePath("2");
    TDownloadResult movie;
    movie.file = folder.filePath("parent.swf");
    TJobInstance<TSaveLoadsJob> job(folder.path() + "/", "http://site/games/parent.swf", movie,
                                    loads);
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_FALSE(job.Outcome());
    EXPECT_TRUE(job.Outcome().reason.contains("levels")) << job.Outcome().reason.toStdString();
    EXPECT_TRUE(QDir(outside.path()).isEmpty());
    EXPECT_EQ(ReadAll(folder.filePath("vars.txt")), "vars");
}
