// Batch work on the command line loses nothing: names that never collide within a run or
// between processes, archives that stay whole when stopped or out of room, a batch that goes on
// past bad input, polite fetching.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <atomic>
#include <map>

#include "TestUtil.h"
#include "support/CliRun.h"
#include "support/Files.h"
#include "support/PageServer.h"
#include "support/RawHttpServer.h"
#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"

namespace {
QString Sha256Of(const QString& path) {
    return QString::fromLatin1(
        QCryptographicHash::hash(ReadAll(path), QCryptographicHash::Sha256).toHex());
}

QString Url(const RawHttpServer& server, const std::string& path) {
    return QString::fromStdString(server.Url(path));
}

// The value of a header in a request text; empty when it has none.
std::string Header(const std::string& request, const std::string& name) {
    const std::string key = "\r\n" + name + ": ";
    const size_t at = request.find(key);
    if (at == std::string::npos) {
        return std::string();
    }
    const size_t from = at + key.size();
    return request.substr(from, request.find("\r\n", from) - from);
}

// Temporary files a download or an archive left in a folder.
QStringList Leftovers(const QString& folder) {
    return QDir(folder).entryList({".*.vimbrel-*", ".vimbrel-spool-*"}, QDir::Files | QDir::Hidden);
}

// Each saved line's file holds the bytes its SHA-256 names, and no two lines name one file.
void ExpectEveryLineNamesItsOwnWholeFile(const std::vector<QJsonObject>& rows) {
    QSet<QString> files;
    for (const QJsonObject& row : rows) {
        const QString file = row["saved"].toString();
        EXPECT_FALSE(files.contains(file)) << file.toStdString();
        files.insert(file);
        EXPECT_EQ(Sha256Of(file), row["sha256"].toString()) << file.toStdString();
    }
}
}  // namespace

// Two pages that each embed their own red.swf keep both movies, the Referer naming the page.
// (Starting a run again with --skip-existing is the manual page's recipe, below.)
TEST(Batch, MoviesOfOneNameOnSeveralPagesAreAllKept) {
    RawHttpServer server([](const std::string& request) {
        const std::string line = RequestLine(request);
        for (const char* page : {"a", "b"}) {
            if (line.find(std::string("/") + page + ".html") != std::string::npos) {
                return RawHttpServer::Response(200,
                                               std::string("<embed src=\"") + page + "/red.swf\">",
                                               "Content-Type: text/html\r\n");
            }
        }
        const size_t movie = line.find("/red.swf");
        return movie == std::string::npos
                   ? RawHttpServer::Response(404, "no")
                   : RawHttpServer::Response(
                         200, "FWS from " + RequestPath(request).substr(
                                                0, RequestPath(request).find("/red.swf")));
    });
    QTemporaryDir folder;
    const QStringList command = {
        "scan", "--json", "--get", folder.path(), Url(server, "/a.html"), Url(server, "/b.html")};
    const Ran first = Vimbrel(command);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    const auto saved = MovieLines(first.out);
    ASSERT_EQ(saved.size(), 2u);
    ExpectEveryLineNamesItsOwnWholeFile(saved);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"red (2).swf", "red.swf"}));
    EXPECT_EQ(ReadAll(folder.filePath("red (2).swf")), "FWS from /b");
    EXPECT_TRUE(first.err.contains("2 pages, 2 movies, 2 saved, 0 failed"))
        << first.err.toStdString();

    std::map<std::string, std::string> referers;  // movie request line -> Referer
    for (const std::string& request : server.Requests()) {
        if (Header(request, "User-Agent") == "HTTPGET") {
            referers[RequestLine(request)] = Header(request, "Referer");
        }
    }
    EXPECT_EQ(referers["GET /a/red.swf HTTP/1.1"], server.Url("/a.html"));
    EXPECT_EQ(referers["GET /b/red.swf HTTP/1.1"], server.Url("/b.html"));
}

// Eight processes saving the same fifty names, each with contents of its own, into one folder:
// all 400 files kept whole, each output line naming the file that holds its bytes.
TEST(Batch, ManyProcessesSavingOneFolderKeepEveryFile) {
    constexpr int kProcesses = 8;
    constexpr int kNames = 50;
    RawHttpServer server([](const std::string& request) {
        return RawHttpServer::Response(200, "FWS " + RequestPath(request));
    });
    QTemporaryDir folder;
    std::vector<QProcess*> running;
    for (int p = 0; p < kProcesses; ++p) {
        QStringList arguments = {"get", "--json", "--to", folder.path()};
        for (int n = 0; n < kNames; ++n) {
            arguments << Url(server, "/p" + std::to_string(p) + "/m" + std::to_string(n) + ".swf");
        }
        running.push_back(StartVimbrel(arguments));
    }
    std::vector<QJsonObject> rows;
    for (QProcess* process : running) {
        const Ran ran = FinishVimbrel(process, 120000);
        EXPECT_EQ(ran.status, 0) << ran.err.toStdString();
        const auto lines = MovieLines(ran.out);
        rows.insert(rows.end(), lines.begin(), lines.end());
    }
    ASSERT_EQ(rows.size(), size_t(kProcesses * kNames));
    ExpectEveryLineNamesItsOwnWholeFile(rows);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), kProcesses * kNames);
    EXPECT_EQ(Leftovers(folder.path()), QStringList());
}

// Ctrl+C while a large body streams into the archive: status 130, the archive ends on the
// last whole record (a reader reads it all, digests hold), and no temporary file is left.
TEST(Batch, StoppedArchiveEndsOnAWholeRecord) {
    std::atomic<bool> sending{false};
    std::atomic<bool> stop{false};
    const auto slow = SlowBody(50'000'000, 64 * 1024, sending, stop);
    RawHttpServer server([&](const std::string& request, const auto& send) {
        if (RequestLine(request).find("/small.swf") != std::string::npos) {
            const std::string answer = RawHttpServer::Response(200, "FWS small");
            send(answer.data(), answer.size());
        } else {
            slow(request, send);
        }
    });
    QTemporaryDir folder;
    const QString warc = folder.filePath("run.warc.gz");
    QProcess* get = StartVimbrel({"get", "--to", folder.path(), "--warc", warc,
                                  Url(server, "/small.swf"), Url(server, "/large.swf")});
    ASSERT_TRUE(WaitUntil([&] { return sending.load(); }, 30000));
    ::kill(static_cast<pid_t>(get->processId()), SIGINT);
    const Ran ran = FinishVimbrel(get);
    stop = true;
    EXPECT_EQ(ran.status, 130) << ran.err.toStdString();
    EXPECT_EQ(Leftovers(folder.path()), QStringList());
    EXPECT_FALSE(QFile::exists(folder.filePath("large.swf")));
    const WarcRecords read = ReadWarc(warc);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    ASSERT_EQ(read.records.size(), 3u);  // warcinfo, and small.swf's response and request
    EXPECT_TRUE(read.records[1]["payloadDigestOk"].toBool());
    EXPECT_TRUE(read.records[1]["uri"].toString().endsWith("/small.swf"));
}

// An archive on a disk that fills up: exit 1 with the reason, the archive readable to its last
// whole record, nothing more fetched once it failed, no temporary file left.
TEST(Batch, ArchiveOnAFullDiskStopsTheBatchAndSaysWhy) {
    TSmallDisk disk(2);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const std::string body = "FWS" + std::string(200 * 1024, 'x');
    RawHttpServer server([&](const std::string&) { return RawHttpServer::Response(200, body); });
    QTemporaryDir folder;
    QStringList arguments = {"get", "--to", folder.path(), "--warc", disk.Folder() + "run.warc"};
    for (int n = 0; n < 40; ++n) {
        arguments << Url(server, "/m" + std::to_string(n) + ".swf");
    }
    const Ran ran = Vimbrel(arguments);
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.contains("run.warc: disk full")) << ran.err.toStdString();
    const WarcRecords read = ReadWarc(disk.Folder() + "run.warc");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    const int movies = (static_cast<int>(read.records.size()) - 1) / 2;
    EXPECT_GT(movies, 0);
    EXPECT_LE(movies, 10);
    EXPECT_LE(server.Requests().size(), size_t(movies + 1));  // the batch stopped there
    EXPECT_EQ(Leftovers(disk.Folder()), QStringList());
}

// A list with lines that are no address goes on past them: each told with its reason (and a
// JSON row), shown escaped, the others saved, exit 1.
TEST(Batch, ABatchGoesOnPastLinesItCannotTake) {
    RawHttpServer server([](const std::string& request) {
        return RawHttpServer::Response(200, "FWS " + RequestPath(request));
    });
    QTemporaryDir folder;
    const QByteArray list = QByteArray::fromStdString(
        server.Url("/a.swf") + "\n\x1b[31mred\xff\xfe\nftp://host/b.swf\n" + server.Url("/c.swf"));
    ASSERT_TRUE(WriteFile(folder.filePath("list.txt"), list));
    const Ran ran =
        Vimbrel({"get", "--json", "--to", folder.path(), "-i", folder.filePath("list.txt")});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(ran.err.contains("\\x1b[31mred\\xff\\xfe: not text")) << ran.err.toStdString();
    EXPECT_TRUE(ran.err.contains("ftp://host/b.swf: not an http or https address"));
    EXPECT_FALSE(ran.err.contains('\x1b'));
    EXPECT_TRUE(ran.err.contains("2 movies, 2 saved, 2 failed")) << ran.err.toStdString();
    QStringList statuses;
    for (const QJsonObject& row : MovieLines(ran.out)) {
        statuses << row["status"].toString();
    }
    EXPECT_EQ(statuses, QStringList({"Failed", "Failed", "Saved", "Saved"}));
    EXPECT_TRUE(QFile::exists(folder.filePath("a.swf")));
    EXPECT_TRUE(QFile::exists(folder.filePath("c.swf")));
}

// A busy server is asked again after the wait its Retry-After names; a movie given directly is
// asked for with no Referer, under the agent the user chose.
TEST(Batch, ABusyServerIsAskedAgain) {
    std::atomic<int> asked{0};
    RawHttpServer server([&](const std::string&) {
        return ++asked == 1 ? RawHttpServer::Response(503, "busy", "Retry-After: 1\r\n")
                            : RawHttpServer::Response(200, "FWS at last");
    });
    QTemporaryDir folder;
    const Ran ran = Vimbrel(
        {"get", "--to", folder.path(), "--user-agent", "Archiver/1.0", Url(server, "/busy.swf")});
    EXPECT_EQ(ran.status, 0) << ran.err.toStdString();
    EXPECT_EQ(ReadAll(folder.filePath("busy.swf")), "FWS at last");
    ASSERT_EQ(server.Requests().size(), 2u);
    for (const std::string& request : server.Requests()) {
        EXPECT_EQ(Header(request, "User-Agent"), "Archiver/1.0");
        EXPECT_EQ(Header(request, "Referer"), "");
    }
    asked = 0;
    const Ran once =
        Vimbrel({"get", "--to", folder.path(), "--retries", "0", Url(server, "/busy.swf")});
    EXPECT_EQ(once.status, 1);
    EXPECT_TRUE(once.err.contains("HTTP 503")) << once.err.toStdString();
}

// The manual page's batch recipe, run as written (in a folder of its own, with the program on
// the PATH) over pages that each embed a movie of one name: every movie kept, and run again it
// fetches none.
TEST(Batch, TheManualPagesRecipeWorksAsWritten) {
    const QString page = QString::fromUtf8(ReadAll(VIMBREL_SOURCE_DIR "/resources/vimbrel.1.in"));
    const int at = page.indexOf("xargs");
    ASSERT_GE(at, 0);
    const int start = page.lastIndexOf('\n', at) + 1;
    const QString recipe =
        page.mid(start, page.indexOf('\n', at) - start).trimmed().replace("\\-", "-");
    RawHttpServer server([](const std::string& request) {
        const std::string path = RequestPath(request);  // "/p3.html" embeds "m3/movie.swf"
        if (path.size() > 7 && path.rfind(".html") == path.size() - 5) {
            return RawHttpServer::Response(
                200, "<embed src=\"m" + path.substr(2, path.size() - 7) + "/movie.swf\">",
                "Content-Type: text/html\r\n");
        }
        return RawHttpServer::Response(200, "FWS " + RequestPath(request));
    });
    QTemporaryDir work;
    QByteArray pages;
    for (int n = 0; n < 6; ++n) {
        pages += QByteArray::fromStdString(server.Url("/p" + std::to_string(n) + ".html")) + "\n";
    }
    ASSERT_TRUE(WriteFile(work.filePath("pages.txt"), pages));
    auto run = [&] {
        QProcess shell;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", QCoreApplication::applicationDirPath() + ":" + env.value("PATH"));
        shell.setProcessEnvironment(env);
        shell.setWorkingDirectory(work.path());
        shell.start("sh", {"-c", QString(recipe).replace("-P 4 -n 50", "-P 2 -n 3")});
        EXPECT_TRUE(shell.waitForFinished(120000));
        EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    };
    run();
    EXPECT_EQ(QDir(work.filePath("movies")).entryList(QDir::Files).size(), 6);
    const size_t asked = server.Requests().size();
    run();
    EXPECT_EQ(QDir(work.filePath("movies")).entryList(QDir::Files).size(), 6);
    for (size_t i = asked; i < server.Requests().size(); ++i) {
        EXPECT_EQ(server.Requests()[i].find("movie.swf"), std::string::npos);
    }
    EXPECT_EQ(QDir(work.path()).entryList({"run-*.warc.gz"}, QDir::Files).size(), 4);
}

// Standard error carries the program's own messages: a page's console and its script errors
// only with --verbose, after the page's address; a page without movies still has its line.
TEST(Batch, APagesConsoleIsShownOnlyWhenAskedFor) {
    RawHttpServer server([](const std::string&) {
        return RawHttpServer::Response(200,
                                       "<script>console.log('page says hi'); loadMovie();</script>",
                                       "Content-Type: text/html\r\n");
    });
    const QString url = Url(server, "/quiet.html");
    const Ran quiet = Vimbrel({"scan", "--json", url});
    EXPECT_EQ(quiet.status, 0) << quiet.err.toStdString();
    EXPECT_FALSE(quiet.err.contains("page says hi")) << quiet.err.toStdString();
    EXPECT_FALSE(quiet.err.contains("loadMovie")) << quiet.err.toStdString();
    const auto rows = JsonLines(quiet.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["page"].toString(), url);
    EXPECT_EQ(rows[0]["movies"].toInt(), 0);

    const Ran verbose = Vimbrel({"scan", "--verbose", url});
    EXPECT_TRUE(verbose.err.contains(url + ": page says hi")) << verbose.err.toStdString();
    EXPECT_TRUE(verbose.err.contains(url + ": Uncaught ReferenceError: loadMovie"));
}

// A movie's own address, whatever its name, is scanned as the page it opens as: the movie alone.
TEST(Batch, AScanOfAMoviesOwnAddressListsIt) {
    const QByteArray movie = SolidColourSwf({200, 30, 40});
    PageServer site;
    site.Add("/play", movie.toStdString(), "application/x-shockwave-flash");
    const QString address = QString("http://127.0.0.1:%1/play").arg(site.Port());
    const Ran ran = Vimbrel({"scan", "--json", address});
    EXPECT_EQ(ran.status, 0) << ran.err.toStdString();
    ASSERT_EQ(MovieLines(ran.out).size(), 1u) << ran.out.toStdString();
    EXPECT_EQ(MovieLines(ran.out)[0]["address"].toString(), address);
}
