// Benchmark: a 200 MB body from a loopback server, fetched by the download worker and by the
// curl command line. Prints both times and the process's peak memory growth during the worker.
#include <QApplication>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>
#include "support/Headless.h"

#include <QEventLoop>
#include "support/RawHttpServer.h"
#include "transfers/HttpGetThread.h"

namespace {
long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}
}  // namespace

int main(int argc, char** argv) {
    PrepareHeadless();
    QApplication app(argc, argv);
    const size_t size = 200u * 1024 * 1024;
    RawHttpServer server([size](const std::string&, const auto& send) {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) +
                                 "\r\nConnection: close\r\n\r\n";
        send(head.data(), head.size());
        std::string chunk(64 * 1024, 'F');
        for (size_t sent = 0; sent < size; sent += chunk.size()) {
            if (!send(chunk.data(), std::min(chunk.size(), size - sent))) {
                return;
            }
        }
    });
    QTemporaryDir dir;
    const QString url = QString::fromStdString(server.Url("/big.swf"));

    const long rssBefore = PeakRssKb();
    QElapsedTimer timer;
    timer.start();
    bool saved = false;
    int reports = 0;
    QEventLoop loop;  // the UI thread's own loop, as in the program
    new THttpGetThread(
        url, dir.filePath("worker.swf"), [&](int) { ++reports; },
        [&](bool ok) {
            saved = ok;
            loop.quit();
        });
    loop.exec();
    const qint64 workerMs = timer.elapsed();
    const long rssAfter = PeakRssKb();

    timer.restart();
    QProcess curl;
    curl.start("curl", {"-s", "-o", dir.filePath("curl.swf"), url});
    curl.waitForFinished(600000);
    const qint64 curlMs = timer.elapsed();

    std::printf("worker: %s, %lld ms, %d progress reports, %lld bytes\n",
                saved ? "saved" : "FAILED", static_cast<long long>(workerMs), reports,
                static_cast<long long>(QFile(dir.filePath("worker.swf")).size()));
    std::printf("curl:   %lld ms, %lld bytes\n", static_cast<long long>(curlMs),
                static_cast<long long>(QFile(dir.filePath("curl.swf")).size()));
    std::printf("peak memory: %ld kB before, %ld kB after the worker (growth %ld kB)\n", rssBefore,
                rssAfter, rssAfter - rssBefore);
    return saved ? 0 : 1;
}
