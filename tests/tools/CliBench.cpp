// Benchmarks of the command line beside the tools archivists use instead, each run in the same
// run so that only the ratios compare on a shared machine:
// - scan of the 10,000-movie page, from process start to the last line, beside chromium's
//   --dump-dom of the same page;
// - "pages": one scan reading 200 pages from standard input, alone and writing a WACZ package:
//   the time of each, and the memory of the program and its browser processes after page 200
//   beside after page 20;
// - get --warc of one 500 MB movie, time and peak memory, beside wget --warc-file;
// - "speed": one 200 MB movie beside curl (time and CPU), and 1,000 movies of 20 kB from a
//   server that keeps connections open beside wget -q -i LIST, in alternating rounds.
#include <httplib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "support/ManyMoviesSite.h"

namespace {
QString Program() {
    return QCoreApplication::applicationDirPath() + "/vimbrel";
}

double Seconds(const std::function<void()>& run) {
    QElapsedTimer t;
    t.start();
    run();
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Resident memory of a process and every process below it, in kB.
long TreeRssKb(qint64 pid) {
    long total = 0;
    QFile status(QString("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                total += line.mid(6).trimmed().split(' ').first().toLong();
            }
        }
    }
    for (const QString& task :
         QDir(QString("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(QString("/proc/%1/task/%2/children").arg(pid).arg(task));
        if (children.open(QIODevice::ReadOnly)) {
            for (const QByteArray& child : children.readAll().split(' ')) {
                if (!child.trimmed().isEmpty()) {
                    total += TreeRssKb(child.trimmed().toLongLong());
                }
            }
        }
    }
    return total;
}

// chromium's --dump-dom of that page may never end: it is stopped there.
constexpr int kChromiumLimitMs = 120000;

void ScanBench() {
    const TManyMoviesSite site;
    const QString top = QString::fromStdString(site.Top());
    QProcess ours;
    double oursSeconds = 0;
    int rows = 0;
    oursSeconds = Seconds([&] {
        ours.start(Program(), {"scan", top});
        ours.waitForFinished(-1);
        rows = static_cast<int>(ours.readAllStandardOutput().count('\n'));
    });
    QTemporaryDir profile;
    int bytes = 0;
    bool finished = true;
    const double chromium = Seconds([&] {
        QProcess c;
        c.start("chromium",
                {"--headless=new", "--no-sandbox", "--disable-gpu",
                 "--disable-background-networking", "--disable-component-update", "--no-first-run",
                 "--user-data-dir=" + profile.path(), "--dump-dom", top});
        finished = c.waitForFinished(kChromiumLimitMs);
        if (!finished) {
            c.kill();
            c.waitForFinished(-1);
        }
        bytes = static_cast<int>(c.readAllStandardOutput().size());
    });
    std::printf(
        "scan of the 10,000-movie page, start to last line: vimbrel %.2f s (%d rows), "
        "chromium --dump-dom %.2f s (%d bytes%s); ratio vimbrel / chromium %s%.3f\n",
        oursSeconds, rows, chromium, bytes, finished ? "" : ", stopped unfinished",
        finished ? "" : "below ", oursSeconds / chromium);
}

struct PagesRun {
    double seconds = 0;
    int pages = 0;
    long at20 = 0;  // kB of the process tree after page 20
    long at200 = 0;
};

// One scan of 200 pages read from standard input, with the extra arguments given.
PagesRun ScanPages(const PageServer& pages, const QStringList& extra) {
    PagesRun run;
    QProcess scan;
    run.seconds = Seconds([&] {
        scan.start(Program(), QStringList{"scan", "--json"} + extra + QStringList{"-"});
        for (int i = 0; i < 200; ++i) {
            scan.write(QString("http://127.0.0.1:%1/p%2.html\n").arg(pages.Port()).arg(i).toUtf8());
        }
        scan.closeWriteChannel();
        while (scan.state() != QProcess::NotRunning || scan.canReadLine()) {
            if (!scan.canReadLine()) {
                scan.waitForReadyRead(100);
                continue;
            }
            if (!scan.readLine().contains("\"movies\"")) {
                continue;  // a movie's line: the page's own line follows it
            }
            ++run.pages;
            if (run.pages == 20) {
                run.at20 = TreeRssKb(scan.processId());
            } else if (run.pages == 200) {
                run.at200 = TreeRssKb(scan.processId());
            }
        }
        scan.waitForFinished(-1);
    });
    return run;
}

// The 200 pages scanned alone, then archived as a package: time, and memory at page 20 and 200.
void PagesBench() {
    PageServer pages;
    for (int i = 0; i < 200; ++i) {
        pages.Add("/p" + std::to_string(i) + ".html", "<title>Page " + std::to_string(i) +
                                                          "</title><link rel=stylesheet href=s.css>"
                                                          "<embed src='m" +
                                                          std::to_string(i) + ".swf'>" +
                                                          std::string(20000, ' '));
    }
    pages.Add("/s.css", "body { color: navy }", "text/css");
    QTemporaryDir folder;
    const PagesRun plain = ScanPages(pages, {});
    const PagesRun archived = ScanPages(pages, {"--warc", folder.filePath("pages.wacz")});
    for (const auto& [name, run] : {std::pair<const char*, const PagesRun&>{"scan", plain},
                                    {"scan --warc pages.wacz", archived}}) {
        std::printf(
            "%s of 200 pages from standard input: %d pages, %.2f s; memory after page 20 %ld kB, "
            "after page 200 %ld kB (growth %ld kB)\n",
            name, run.pages, run.seconds, run.at20, run.at200, run.at200 - run.at20);
    }
    std::printf("time with the archive / without: %.2f; package %lld bytes\n",
                archived.seconds / plain.seconds,
                static_cast<long long>(QFileInfo(folder.filePath("pages.wacz")).size()));
}

struct Measured {
    double seconds = 0;
    long peakKb = 0;        // the process's largest resident size
    double cpuSeconds = 0;  // user and system time
    int status = -1;
};

// Runs a program to its end with its output dropped, measuring its time and peak memory.
Measured RunMeasured(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> args{QFile::encodeName(program)};
    for (const QString& a : arguments) {
        args.push_back(a.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    Measured m;
    QElapsedTimer t;
    t.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    m.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    m.peakKb = usage.ru_maxrss;
    m.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

void WarcBench() {
    constexpr size_t kBody = 500u * 1024 * 1024;
    httplib::Server server;
    const std::string piece(1024 * 1024, 'm');
    server.Get("/big.swf", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(kBody, "application/x-shockwave-flash",
                                 [&](size_t offset, size_t length, httplib::DataSink& sink) {
                                     sink.write(piece.data(), std::min(length, piece.size()));
                                     (void)offset;
                                     return true;
                                 });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    const QString url = QString("http://127.0.0.1:%1/big.swf").arg(port);
    QTemporaryDir dir;
    const Measured ours = RunMeasured(
        Program(), {"get", "--to", dir.path(), "--warc", dir.filePath("ours.warc.gz"), url});
    QFile::remove(dir.filePath("big.swf"));
    const Measured wget =
        RunMeasured("wget", {"-q", "-P", dir.path(), "--warc-file=" + dir.filePath("wget"), url});
    std::printf(
        "get --warc of one 500 MB movie: vimbrel %.2f s, peak %ld kB (exit %d); wget "
        "--warc-file %.2f s, peak %ld kB (exit %d); time vimbrel / wget %.2f, memory %.2f\n",
        ours.seconds, ours.peakKb, ours.status, wget.seconds, wget.peakKb, wget.status,
        ours.seconds / wget.seconds, static_cast<double>(ours.peakKb) / wget.peakKb);
    server.stop();
    serving.join();
}
// Medians of rounds that alternate ours and the peer's, so that a busy moment of the machine
// falls on both.
template <typename Run>
void Alternate(int rounds, Run run, std::vector<Measured>& ours, std::vector<Measured>& peer) {
    for (int round = 0; round < rounds; ++round) {
        ours.push_back(run(true));
        peer.push_back(run(false));
    }
}

double Median(std::vector<Measured> runs, double Measured::*field) {
    std::sort(runs.begin(), runs.end(),
              [field](const Measured& a, const Measured& b) { return a.*field < b.*field; });
    const size_t n = runs.size();
    return n % 2 ? runs[n / 2].*field : (runs[n / 2 - 1].*field + runs[n / 2].*field) / 2;
}

// The network's speed: one 200 MB movie beside curl, 1,000 movies of 20 kB beside wget -i.
void SpeedBench(int rounds) {
    constexpr size_t kBig = 200u * 1024 * 1024;
    httplib::Server server;
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(1000);
    const std::string piece(1024 * 1024, 'm');
    server.Get("/big.swf", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(kBig, "application/x-shockwave-flash",
                                 [&](size_t, size_t length, httplib::DataSink& sink) {
                                     sink.write(piece.data(), std::min(length, piece.size()));
                                     return true;
                                 });
    });
    const std::string small = "FWS" + std::string(20 * 1024 - 3, 'm');
    server.Get(R"(/m/(\d+)\.swf)", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(small, "application/x-shockwave-flash");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    QTemporaryDir dir;
    const QString big = QString("http://127.0.0.1:%1/big.swf").arg(port);
    QFile list(dir.filePath("list.txt"));
    list.open(QIODevice::WriteOnly);
    for (int i = 0; i < 1000; ++i) {
        list.write(QString("http://127.0.0.1:%1/m/%2.swf\n").arg(port).arg(i).toUtf8());
    }
    list.close();

    std::vector<Measured> ours, curl;
    Alternate(
        rounds,
        [&](bool mine) {
            QDir(dir.filePath("big")).removeRecursively();
            QDir().mkpath(dir.filePath("big"));
            return mine ? RunMeasured(Program(), {"get", "--to", dir.filePath("big"), big})
                        : RunMeasured("curl", {"-s", "-o", dir.filePath("big/big.swf"), big});
        },
        ours, curl);
    std::printf(
        "get one 200 MB movie (medians of %d): vimbrel %.3f s, %.3f s CPU; curl %.3f s, %.3f s "
        "CPU; time vimbrel / curl %.2f, CPU %.2f\n",
        rounds, Median(ours, &Measured::seconds), Median(ours, &Measured::cpuSeconds),
        Median(curl, &Measured::seconds), Median(curl, &Measured::cpuSeconds),
        Median(ours, &Measured::seconds) / Median(curl, &Measured::seconds),
        Median(ours, &Measured::cpuSeconds) / Median(curl, &Measured::cpuSeconds));

    std::vector<Measured> oursSmall, wget;
    Alternate(
        rounds,
        [&](bool mine) {
            QDir(dir.filePath("small")).removeRecursively();
            QDir().mkpath(dir.filePath("small"));
            return mine ? RunMeasured(Program(), {"get", "--to", dir.filePath("small"), "--input",
                                                  list.fileName()})
                        : RunMeasured("wget",
                                      {"-q", "-P", dir.filePath("small"), "-i", list.fileName()});
        },
        oursSmall, wget);
    std::printf(
        "get 1,000 movies of 20 kB (medians of %d): vimbrel %.3f s, wget %.3f s; time vimbrel / "
        "wget %.2f\n",
        rounds, Median(oursSmall, &Measured::seconds), Median(wget, &Measured::seconds),
        Median(oursSmall, &Measured::seconds) / Median(wget, &Measured::seconds));
    server.stop();
    serving.join();
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && std::string(argv[1]) == "warc") {
        WarcBench();  // alone, as the issue's figures are asked for
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "speed") {
        SpeedBench(argc > 2 ? std::atoi(argv[2]) : 5);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "pages") {
        PagesBench();
        return 0;
    }
    SpeedBench(3);
    WarcBench();
    ScanBench();
    PagesBench();
    return 0;
}
