// Benchmark of the transfers, each beside the command-line tool in the same run: a 200 MB body
// from a loopback server fetched by the download worker and by curl, with the process's peak
// memory growth during the worker, and the processor time of each (the worker's is the process's
// less the server's thread); then 500 files of 1 MB copied by the copy worker and by cp.
// Prints both times and their throughput ratio. Not a test: the machine is shared.
#include <sys/resource.h>
#include <ctime>

#include <QApplication>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include "support/Headless.h"

#include <QEventLoop>
#include "logic/CacheCopyThread.h"
#include "logic/HttpGetThread.h"
#include "support/RawHttpServer.h"

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

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// User and system time of this process (RUSAGE_SELF) or of its ended children.
double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
}  // namespace

int main(int argc, char** argv) {
    PrepareHeadless();
    QApplication app(argc, argv);
    const size_t size = 200u * 1024 * 1024;
    std::atomic<double> serverCpu{0};  // spent sending the last body
    RawHttpServer server([size, &serverCpu](const std::string&, const auto& send) {
        const double start = ThreadCpuSeconds();
        struct Tally {
            std::atomic<double>& total;
            double start;
            ~Tally() { total = ThreadCpuSeconds() - start; }
        } tally{serverCpu, start};
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
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    timer.start();
    int reports = 0;
    QEventLoop loop;  // the UI thread's own loop, as in the program
    TJobInstance<THttpGetThread> download(url, dir.filePath("worker.swf"));
    QObject::connect(&download, &THttpGetThread::Progress, [&](int) { ++reports; });
    QObject::connect(&download, &TJob::Finished, &loop, &QEventLoop::quit);
    download.Start();
    loop.exec();
    const bool saved = download.Result().saved;
    const qint64 workerMs = timer.elapsed();
    const double workerCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore - serverCpu;
    const long rssAfter = PeakRssKb();
    const double childrenBefore = CpuSeconds(RUSAGE_CHILDREN);

    timer.restart();
    QProcess curl;
    curl.start("curl", {"-s", "-o", dir.filePath("curl.swf"), url});
    curl.waitForFinished(600000);
    const qint64 curlMs = timer.elapsed();
    const double curlCpu = CpuSeconds(RUSAGE_CHILDREN) - childrenBefore;

    std::printf("worker: %s, %lld ms, %d progress reports, %lld bytes\n",
                saved ? "saved" : "FAILED", static_cast<long long>(workerMs), reports,
                static_cast<long long>(QFile(dir.filePath("worker.swf")).size()));
    std::printf("curl:   %lld ms, %lld bytes\n", static_cast<long long>(curlMs),
                static_cast<long long>(QFile(dir.filePath("curl.swf")).size()));
    std::printf("throughput worker / curl: %.2f\n",
                static_cast<double>(curlMs) / static_cast<double>(std::max<qint64>(workerMs, 1)));
    std::printf("processor time: worker %.3f s, curl %.3f s; worker / curl %.2f\n", workerCpu,
                curlCpu, workerCpu / std::max(curlCpu, 1e-6));
    std::printf("peak memory: %ld kB before, %ld kB after the worker (growth %ld kB)\n", rssBefore,
                rssAfter, rssAfter - rssBefore);

    // Copies: 500 files of 1 MB into a fresh folder each way.
    QDir(dir.path()).mkpath("sources");
    QStringList sources;
    const QByteArray megabyte(1024 * 1024, 'C');
    for (int i = 0; i < 500; ++i) {
        QFile f(dir.filePath(QString("sources/m%1.swf").arg(i)));
        if (f.open(QIODevice::WriteOnly)) {
            f.write(megabyte);
        }
        sources << f.fileName();
    }
    QDir(dir.path()).mkpath("by-worker");
    QDir(dir.path()).mkpath("by-cp");
    timer.restart();
    TJobInstance<TCacheCopyThread> copy(dir.filePath("by-worker/"), sources);
    QObject::connect(&copy, &TJob::Finished, &loop, &QEventLoop::quit);
    copy.Start();
    loop.exec();
    const qint64 copyMs = timer.elapsed();
    timer.restart();
    QProcess::execute(
        "sh", {"-c", "cp " + dir.filePath("sources") + "/*.swf " + dir.filePath("by-cp") + "/"});
    const qint64 cpMs = timer.elapsed();
    std::printf(
        "copy worker: %lld ms, %lld files; cp: %lld ms; throughput worker / cp: %.2f\n",
        static_cast<long long>(copyMs),
        static_cast<long long>(QDir(dir.filePath("by-worker")).entryList(QDir::Files).size()),
        static_cast<long long>(cpMs),
        static_cast<double>(cpMs) / static_cast<double>(std::max<qint64>(copyMs, 1)));
    return saved ? 0 : 1;
}
