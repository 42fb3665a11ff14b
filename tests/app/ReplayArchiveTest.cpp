// A Flash site archived by a scan replays in a replay tool with its origins gone: the page as
// the engine received it, its movies, and what the movies loaded while they played.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "support/CliRun.h"
#include "support/PageServer.h"
#include "support/TestSwf.h"

namespace {
// A one-pixel GIF of one colour (both colours of its table).
std::string Gif(char red, char green, char blue) {
    const std::string colour{red, green, blue};
    return std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13) + colour + colour +
           std::string(
               "!\xf9\x04\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
               "\x02\x02D\x01\x00;",
               24);
}

QByteArray Unzipped(const QString& package, const QString& entry) {
    QProcess unzip;
    unzip.start("unzip", {"-p", package, entry});
    unzip.waitForFinished(30000);
    return unzip.readAllStandardOutput();
}

int PixelsOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        }
    }
    return count;
}
}  // namespace

TEST(ReplayArchive, APackageReplaysThePageItsMoviesAndWhatTheyLoaded) {
    QTemporaryDir folder;
    const QString package = folder.filePath("site.wacz");
    QString page;
    {
        PageServer site;
        PageServer other;  // the second origin, a movie's
        site.Add("/index.html",
                 WithPorts("<html><head><title>Archived site</title>"
                           "<link rel=stylesheet href=s.css><script src=a.js></script></head>"
                           "<body><p>Archived text 42</p><div class=box></div>"
                           "<img src=i.gif width=60 height=60><iframe src=frame.html></iframe>"
                           "<embed type='application/x-shockwave-flash' src='loader.swf' "
                           "width=200 height=200>"
                           "<embed type='application/x-shockwave-flash' "
                           "src='http://127.0.0.1:{B}/red.swf' width=100 height=100></body></html>",
                           site.Port(), other.Port()));
        site.Add("/s.css", ".box { width: 50px; height: 50px; background: rgb(0, 0, 255) }",
                 "text/css");
        site.Add("/a.js",
                 "addEventListener('DOMContentLoaded', () => document.body.append('Script ran'));",
                 "application/javascript");
        site.Add("/i.gif", Gif('\xff', '\xff', '\x00'), "image/gif");
        site.Add("/frame.html", "<p>In the frame</p>");
        AddLoaderMovie(site, "/", {0, 255, 0}, "level=2");
        other.Add("/red.swf", SolidColourSwf({255, 0, 0}).toStdString(),
                  "application/x-shockwave-flash");
        page = QString("http://127.0.0.1:%1/index.html").arg(site.Port());
        const Ran scan = Vimbrel({"scan", "--play", "8", "--warc", package, page});
        ASSERT_EQ(scan.status, 0) << scan.err.toStdString();
    }  // both origins are gone

    // Every file the package lists is there, whole.
    const QJsonObject datapackage =
        QJsonDocument::fromJson(Unzipped(package, "datapackage.json")).object();
    EXPECT_EQ(datapackage["wacz_version"].toString(), "1.1.1");
    const QJsonArray resources = datapackage["resources"].toArray();
    EXPECT_EQ(resources.size(), 3);
    for (const QJsonValue resource : resources) {
        const QByteArray bytes = Unzipped(package, resource["path"].toString());
        EXPECT_EQ(resource["hash"].toString(),
                  "sha256:" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
    // Every record's digest holds, as a WARC reader checks it.
    const QString warc = folder.filePath("data.warc.gz");
    QFile out(warc);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(Unzipped(package, "archive/data.warc.gz"));
    out.close();
    const WarcRecords read = ReadWarc(warc);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    for (const QJsonObject& record : read.records) {
        if (record["type"] == "response") {
            EXPECT_TRUE(record["payloadDigestOk"].toBool())
                << record["uri"].toString().toStdString();
        }
    }

    const QString screenshot = folder.filePath("replay.png");
    QProcess replay;
    replay.start("node", {VIMBREL_SOURCE_DIR "/tests/support/ReplayArchive.mjs", package, page,
                          "Archived text 42", "2", screenshot});
    ASSERT_TRUE(replay.waitForFinished(150000));
    ASSERT_EQ(replay.exitCode(), 0) << replay.readAllStandardError().toStdString();
    const QJsonObject result = QJsonDocument::fromJson(replay.readAllStandardOutput()).object();
    QString texts;
    for (const QJsonValue frame : result["texts"].toArray()) {
        texts += frame["text"].toString() + "\n";
    }
    for (const char* text : {"Archived text 42", "Script ran", "In the frame"}) {
        EXPECT_TRUE(texts.contains(text)) << text << "\n" << texts.toStdString();
    }
    EXPECT_EQ(result["playing"].toInt(), 2);
    const QImage shot(screenshot);
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(PixelsOf(shot, qRgb(0, 0, 255)), 2000) << "the style's box";
    EXPECT_GT(PixelsOf(shot, qRgb(255, 255, 0)), 2000) << "the image";
    EXPECT_GT(PixelsOf(shot, qRgb(255, 0, 0)), 5000) << "the other origin's movie";
    EXPECT_GT(PixelsOf(shot, qRgb(0, 255, 0)), 20000) << "the child the loader loaded";
}
