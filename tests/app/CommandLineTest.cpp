// The command line, run as the built program is run: without a display, against loopback
// servers, its output read as a script would read it.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/CliRun.h"
#include "support/Files.h"
#include "support/FramedSite.h"
#include "support/Gate.h"
#include "support/ListRows.h"
#include "support/PageServer.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"
#include "widgets/StatusBar.h"

namespace {
QProcess* Start(const QStringList& arguments) {
    return StartVimbrel(arguments);
}

Ran Finish(QProcess* process) {
    return FinishVimbrel(process);
}

std::string Serve(const std::string& request) {
    const std::string line = RequestLine(request);
    if (line.find("/missing.swf") != std::string::npos) {
        return RawHttpServer::Response(404, "no");
    }
    return RawHttpServer::Response(200, "FWS movie " + RequestPath(request));
}
}  // namespace

// The rows the window lists for a page with frames on two origins, in the same order.
TEST(CommandLine, ScanPrintsTheRowsTheWindowListsForTheSamePage) {
    TFramedSite site;
    QStringList windowRows;
    {
        TMainFrm frm(TestFolders());
        QStringList statuses;
        QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                         [&](const QString& text) { statuses << text; });
        frm.OpenAddress(site.A("/index.html"));
        ASSERT_TRUE(WaitUntil([&] { return statuses.contains("Done"); }, 30000));
        windowRows = Column(frm.ListView1, 1);
    }
    ASSERT_EQ(windowRows.size(), 11);
    const Ran plain = Vimbrel({"scan", site.A("/index.html")});
    EXPECT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_EQ(Lines(plain.out), windowRows);

    const Ran json = Vimbrel({"scan", "--json", site.A("/index.html")});
    const QStringList lines = Lines(json.out);
    ASSERT_EQ(lines.size(), windowRows.size() + 1);  // and the page's own line
    const QJsonObject page = QJsonDocument::fromJson(lines.last().toUtf8()).object();
    EXPECT_EQ(page["movies"].toInt(), windowRows.size());
    EXPECT_EQ(page["status"].toString(), "Scanned");
    for (int i = 0; i < windowRows.size(); ++i) {
        const QJsonObject row = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        EXPECT_EQ(row["address"].toString(), windowRows[i]);
        EXPECT_EQ(row["index"].toInt(), i + 1);
        EXPECT_EQ(row["page"].toString(), site.A("/index.html"));
        EXPECT_EQ(row["found"].toString(), "page");
        EXPECT_EQ(row["status"].toString(), "New");
    }
    const QJsonObject inFrame = QJsonDocument::fromJson(lines[8].toUtf8()).object();
    EXPECT_TRUE(inFrame["document"].toString().endsWith("/frame1.html"));
}

// Exit statuses and what is left on disk: 0 all saved, 1 something failed (its reason told),
// 2 the command not understood, with a one-line hint and nothing written.
TEST(CommandLine, GetSavesWhatItCanAndTellsEveryFailure) {
    RawHttpServer server(Serve);
    QTemporaryDir folder;
    ASSERT_TRUE(WriteFile(folder.filePath("list.txt"),
                          QByteArray::fromStdString(server.Url("/b.swf") + "\n# a note\n")));
    const QString to = folder.path();
    const struct {
        QStringList arguments;
        int status;
        QString err;  // a part of what standard error says
    } runs[] = {
        {{"get", "--to", to, QString::fromStdString(server.Url("/a.swf")),
          QString::fromStdString(server.Url("/missing.swf"))},
         1,
         "missing.swf: HTTP 404 Not Found"},
        {{"get", "--to", to, "--input", folder.filePath("list.txt")}, 0, ""},
        {{"get", "--bogus", QString::fromStdString(server.Url("/c.swf"))}, 2, "unknown option"},
        {{"get", "--to", to + "/absent", QString::fromStdString(server.Url("/c.swf"))},
         2,
         "no such folder"},
        {{"get", "--to", to, "file:///etc/passwd"}, 1, "file:///etc/passwd: not an http or"},
        {{"get", "--to", to, "--input", to + "/absent.txt"}, 2, "cannot read"},
        {{"scan", "--timeout", "soon", "http://127.0.0.1/"}, 2, "--timeout takes a number"},
        {{"scan", "--timeout", "0", "http://127.0.0.1/"}, 2, "--timeout takes a number"},
        {{"get", "--retries", "-1", "http://127.0.0.1/"}, 2, "--retries takes a number"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{}, 2, "the window needs a display"},
    };
    for (const auto& run : runs) {
        const Ran result = Vimbrel(run.arguments);
        EXPECT_EQ(result.status, run.status) << run.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(run.err)) << result.err.toStdString();
        if (run.status == 2) {
            EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        }
    }
    EXPECT_EQ(QDir(to).entryList(QDir::Files | QDir::Hidden),
              QStringList({".vimbrel-saved.jsonl", "a.swf", "b.swf", "list.txt"}));
    EXPECT_EQ(ReadAll(folder.filePath("a.swf")), "FWS movie /a.swf");
}

// Many processes at once: two saving the same name into one folder get two whole files.
TEST(CommandLine, TwoGetsOfOneNameAtOnceGiveTwoWholeFiles) {
    std::atomic<int> waiting{0};
    TGate bothAsked;  // both answers go out once both processes have asked
    PageServer server;
    server.Handle("/x.swf", [&](httplib::Response& res) {
        if (++waiting == 2) {
            bothAsked.Open();
        }
        bothAsked.Wait();
        res.set_content(std::string(300000, 'x'), "application/x-shockwave-flash");
    });
    QTemporaryDir folder;
    const QString url = QString("http://127.0.0.1:%1/x.swf").arg(server.Port());
    QProcess* first = Start({"get", "--to", folder.path(), url});
    QProcess* second = Start({"get", "--to", folder.path(), url});
    EXPECT_EQ(Finish(first).status, 0);
    EXPECT_EQ(Finish(second).status, 0);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"x (2).swf", "x.swf"}));
    for (const char* name : {"x.swf", "x (2).swf"}) {
        EXPECT_EQ(ReadAll(folder.filePath(name)).size(), 300000) << name;
    }
}

// What get --warc writes, read back by a real WARC reader: every answer recorded as received,
// every payload digest right, each movie byte for byte what the server sent.
TEST(CommandLine, GetWritesAWebArchiveThatAWarcReaderReads) {
    const std::string movie = "FWS" + std::string(5000, 'm');
    RawHttpServer server([&](const std::string& request) -> std::string {
        const std::string line = RequestLine(request);
        if (line.find("/old.swf") != std::string::npos) {
            return RawHttpServer::Response(302, "moved", "Location: /chunked.swf\r\n");
        }
        if (line.find("/chunked.swf") != std::string::npos) {
            return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                   "3\r\nFWS\r\n1388\r\n" +
                   std::string(5000, 'm') + "\r\n0\r\n\r\n";
        }
        return Serve(request);
    });
    QTemporaryDir folder;
    const QString warc = folder.filePath("run.warc.gz");
    const Ran get = Vimbrel({"get", "--to", folder.path(), "--warc", warc,
                             QString::fromStdString(server.Url("/a.swf")),
                             QString::fromStdString(server.Url("/old.swf")),
                             QString::fromStdString(server.Url("/missing.swf"))});
    EXPECT_EQ(get.status, 1);
    EXPECT_EQ(ReadAll(folder.filePath("old.swf")), QByteArray::fromStdString(movie));

    const WarcRecords read = ReadWarc(warc);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    QStringList records;
    QHash<QString, QString> sha256;
    for (const QJsonObject& r : read.records) {
        const QString uri = r["uri"].toString().section('/', 3);
        records << r["type"].toString() + " " + uri + " " + QString::number(r["status"].toInt());
        if (r["type"] == "response") {
            EXPECT_TRUE(r["payloadDigestOk"].toBool()) << uri.toStdString();
            sha256[uri] = r["sha256"].toString();
        } else if (r["type"] == "request") {
            EXPECT_TRUE(r["concurrentTo"].toString().startsWith("<urn:uuid:"));
        }
    }
    EXPECT_EQ(records, QStringList({"warcinfo  0", "response a.swf 200", "request a.swf 0",
                                    "response old.swf 302", "request old.swf 0",
                                    "response chunked.swf 200", "request chunked.swf 0",
                                    "response missing.swf 404", "request missing.swf 0"}));
    auto hash = [](const QByteArray& bytes) {
        return QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    };
    EXPECT_EQ(sha256["a.swf"], hash("FWS movie /a.swf"));
    EXPECT_EQ(sha256["chunked.swf"], hash(QByteArray::fromStdString(movie)));
}

// scan --warc keeps the page as the engine received it: the document, its frame, script, style
// and image, the page's own request, a redirect and an error answer, each body byte for byte
// (decoded, the encoding it came in noted), each digest right, as a real reader reads it.
TEST(CommandLine, ScanWritesThePageAsTheEngineReceivedIt) {
    const std::string gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00!\xf9\x04"
        "\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
        "D\x01\x00;",
        43);
    const std::string script = "var long = '" + std::string(4000, 's') + "';";
    const std::map<std::string, std::string> bodies = {
        {"/index.html",
         "<html><head><title>Kept</title><link rel=stylesheet href=s.css><script src=a.js>"
         "</script></head><body>text<img src=i.gif><img src=old.gif><img src=gone.gif>"
         "<iframe src=frame.html></iframe><script>fetch('data.json')</script></body></html>"},
        {"/s.css", "body { color: red }"},
        {"/a.js", script},
        {"/i.gif", gif},
        {"/frame.html", "<p>in the frame</p>"},
        {"/data.json", "{\"level\": 2}"},
    };
    PageServer site;
    for (const auto& [path, body] : bodies) {
        site.Add(path, body,
                 path == "/i.gif"       ? "image/gif"
                 : path == "/a.js"      ? "application/javascript"
                 : path == "/s.css"     ? "text/css"
                 : path == "/data.json" ? "application/json"
                                        : "text/html");
    }
    site.Handle("/old.gif", [](httplib::Response& res) { res.set_redirect("/i.gif"); });
    QTemporaryDir folder;
    const QString warc = folder.filePath("site.warc.gz");
    const QString page = QString("http://127.0.0.1:%1/index.html").arg(site.Port());
    const Ran scan = Vimbrel({"scan", "--wait", "1", "--warc", warc, page});
    EXPECT_EQ(scan.status, 0) << scan.err.toStdString();

    const WarcRecords read = ReadWarc(warc);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    QMap<QString, int> status;
    QMap<QString, QString> sha256;
    for (const QJsonObject& r : read.records) {
        if (r["type"] == "response") {
            const QString path = "/" + r["uri"].toString().section('/', 3);
            status[path] = r["status"].toInt();
            sha256[path] = r["sha256"].toString();
            EXPECT_TRUE(r["payloadDigestOk"].toBool()) << path.toStdString();
        }
    }
    for (const auto& [path, body] : bodies) {
        const QString name = QString::fromStdString(path);
        EXPECT_EQ(status.value(name), 200) << path;
        EXPECT_EQ(sha256.value(name), QCryptographicHash::hash(QByteArray::fromStdString(body),
                                                               QCryptographicHash::Sha256)
                                          .toHex())
            << path;
    }
    EXPECT_EQ(status.value("/old.gif"), 302);
    EXPECT_EQ(status.value("/gone.gif"), 404);
    // Each was fetched once, by the engine.
    const std::vector<std::string> asked = site.Asked();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/a.js"), 1);
}

// An archive that cannot be written, or a package that would replace one, is refused first.
TEST(CommandLine, AnArchiveThatCannotBeWrittenIsRefusedBeforeAnyPageLoads) {
    PageServer site;
    QTemporaryDir folder;
    const QString existing = folder.filePath("kept.wacz");
    QFile(existing).open(QIODevice::WriteOnly);
    const std::pair<QString, QString> refused[] = {
        {"/nonexistent/site.warc", "cannot write /nonexistent/site.warc"},
        {existing, "cannot write " + existing + ": it exists"},
    };
    for (const auto& [archive, reason] : refused) {
        const Ran scan =
            Vimbrel({"scan", "--warc", archive, QString("http://127.0.0.1:%1/").arg(site.Port())});
        EXPECT_EQ(scan.status, 2);
        EXPECT_TRUE(scan.err.contains(reason)) << scan.err.toStdString();
    }
    EXPECT_TRUE(site.Asked().empty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList("kept.wacz"));
}

// scan --play plays each movie off screen, as the preview plays it: what the AS2 movie loads at
// run time (a child movie into a level, variables) is listed on its row, saved beside it with
// --get, and archived with --warc under its own address, with both movies.
TEST(CommandLine, PlayedMoviesLoadsAreListedSavedAndArchived) {
    const QByteArray child = ShapeSwf({0, 255, 0});  // as AddLoaderMovie makes it
    PageServer site;
    PageServer other;  // another origin
    site.Add("/index.html", WithPorts("<embed src='loader.swf' width=200 height=200>"
                                      "<embed src='http://127.0.0.1:{B}/red.swf'>",
                                      site.Port(), other.Port()));
    AddLoaderMovie(site, "/", {0, 255, 0}, "level=2");
    other.Add("/red.swf", SolidColourSwf({255, 0, 0}).toStdString(),
              "application/x-shockwave-flash");
    QTemporaryDir folder;
    const QString warc = folder.filePath("site.warc.gz");
    const QString page = QString("http://127.0.0.1:%1/index.html").arg(site.Port());
    const Ran scan =
        Vimbrel({"scan", "--json", "--play", "8", "--get", folder.path(), "--warc", warc, page});
    EXPECT_EQ(scan.status, 0) << scan.err.toStdString();

    const std::vector<QJsonObject> rows = MovieLines(scan.out);
    ASSERT_EQ(rows.size(), 2u);
    QStringList loads;
    for (const QJsonValue load : rows[0]["loads"].toArray()) {
        loads << load["address"].toString().section('/', 3) + " " +
                     QString::number(load["status"].toInt());
    }
    loads.sort();
    EXPECT_EQ(loads, QStringList({"levels/child.swf 200", "vars.txt 200"}));
    EXPECT_TRUE(rows[1]["loads"].toArray().isEmpty());
    EXPECT_EQ(ReadAll(folder.filePath("loader/levels/child.swf")), child);
    EXPECT_EQ(ReadAll(folder.filePath("loader/vars.txt")), "level=2");
    EXPECT_TRUE(QFile::exists(folder.filePath("loader/manifest.json")));

    const WarcRecords read = ReadWarc(warc);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    QSet<QString> archived;
    for (const QJsonObject& r : read.records) {
        if (r["type"] == "response" && r["status"].toInt() == 200) {
            EXPECT_TRUE(r["payloadDigestOk"].toBool());
            archived << r["uri"].toString().section('/', 3);
        }
    }
    for (const char* path :
         {"index.html", "loader.swf", "red.swf", "levels/child.swf", "vars.txt"}) {
        EXPECT_TRUE(archived.contains(path)) << path << "\n" << scan.err.toStdString();
    }
}
