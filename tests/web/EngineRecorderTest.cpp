#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "TestUtil.h"
#include "logic/WarcWriter.h"
#include "support/CliRun.h"
#include "support/Gate.h"
#include "support/PageServer.h"
#include "support/RawHttpServer.h"
#include "web/BrowserPage.h"
#include "web/EngineRecorder.h"

// A hostile page that loads an image every 10 ms without end, one that never arrives and one
// with a head of 1 MB: the archive stops at the page's record limit and says so, and the
// recording ends on time with what had arrived whole, the page itself first.
TEST(EngineRecorder, AnEndlessPageStopsAtItsLimitAndEndsWithWhatArrived) {
    PageServer site;
    TGate never;
    RawHttpServer hugeHead([](const std::string&) {
        return "HTTP/1.1 200 OK\r\nX-Huge: " + std::string(1024 * 1024, 'h') +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    });
    site.Add("/endless.html", WithPorts("<img src=/hang.gif><img src=http://127.0.0.1:{A}/huge.gif>"
                                        "<script>let n = 0; setInterval(() => "
                                        "{ new Image().src = '/i.gif?' + n++; }, 10);</script>",
                                        hugeHead.Port(), 0));
    site.Handle("/hang.gif", [&](httplib::Response& res) {
        never.Wait();
        res.status = 410;
    });
    QTemporaryDir folder;
    const QString path = folder.filePath("endless.warc");
    QStringList notes;
    bool finished = false;
    {
        TWarcWriter archive(path);
        ASSERT_TRUE(archive.Open("test"));
        TBrowserPage page(BrowserProfile(), nullptr);
        TEngineRecorder recorder(&page, &archive, {5, 1024 * 1024});
        QObject::connect(&recorder, &TEngineRecorder::Note,
                         [&](const QString& text) { notes << text; });
        QObject::connect(&recorder, &TEngineRecorder::Ready, [&] {
            page.Navigate(QString("http://127.0.0.1:%1/endless.html").arg(site.Port()));
        });
        ASSERT_TRUE(WaitUntil([&] { return notes.size() == 2; }, 30000));
        recorder.Finish([&] { finished = true; });
        EXPECT_TRUE(WaitUntil([&] { return finished; }, 10000));
    }
    never.Open();
    notes.sort();
    EXPECT_TRUE(notes[0].contains("/huge.gif: not archived, the engine refused"))
        << notes[0].toStdString();
    EXPECT_TRUE(notes[1].contains("5 answers")) << notes[1].toStdString();

    const WarcRecords read = ReadWarc(path);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    QStringList types;
    for (const QJsonObject& r : read.records) {
        types << r["type"].toString();
    }
    EXPECT_EQ(types.count("response"), 5);
    EXPECT_EQ(types.count("metadata"), 1);
    EXPECT_TRUE(read.records[1]["uri"].toString().endsWith("/endless.html"));
}
