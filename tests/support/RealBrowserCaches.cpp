#include "support/RealBrowserCaches.h"

#include <httplib.h>
#include <signal.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <thread>

#include "TestUtil.h"
#include "support/Codings.h"
#include "support/TestSwf.h"

ServedMovies TestMovies() {
    return {SolidColourSwf({200, 30, 40}), SolidColourSwf({20, 160, 40}),
            SolidColourSwf({20, 60, 220})};
}

struct MovieServer::Impl {
    httplib::Server server;
    std::thread thread;
};

MovieServer::MovieServer() : impl_(std::make_unique<Impl>()) {
    const ServedMovies movies = TestMovies();
    httplib::Server& server = impl_->server;
    server.set_keep_alive_max_count(1);  // stopping never waits for an idle keep-alive
    server.Get("/page.html", [](const httplib::Request& req, httplib::Response& res) {
        const std::string p = req.get_param_value("p");
        // One after another: the engine's cache takes each response whole before the next.
        res.set_content("<script>(async () => { for (const u of ['" + p + "a.swf', '" + p +
                            "get.php?id=7', '" + p +
                            "z.swf']) { await (await fetch(u)).arrayBuffer(); }"
                            " document.title = 'done'; })();</script>",
                        "text/html");
    });
    server.Get(R"(/.*)", [this, movies](const httplib::Request& req, httplib::Response& res) {
        res.set_header("Cache-Control", "max-age=3600");
        const std::string& path = req.path;
        if (path.find("get.php") != std::string::npos) {
            res.set_content(movies.get.toStdString(), "application/x-shockwave-flash");
        } else if (path.size() >= 5 && path.compare(path.size() - 5, 5, "z.swf") == 0) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content(Deflate(movies.zipped, 15 + 16).toStdString(),
                            "application/octet-stream");
        } else if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".swf") == 0) {
            res.set_content(movies.a.toStdString(), "application/octet-stream");
        } else {
            res.status = 404;
            return;
        }
        ++served_;
    });
    port_ = server.bind_to_any_port("127.0.0.1");
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
}

MovieServer::~MovieServer() {
    impl_->server.stop();
    impl_->thread.join();
}

QString MovieServer::Page(const QString& prefix) const {
    return QString("http://127.0.0.1:%1/page.html?p=%2").arg(port_).arg(prefix);
}

void RunChromium(const QString& userDataDir, const QString& pageUrl) {
    QProcess chromium;
    chromium.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    chromium.start("chromium", {"--headless=new", "--no-sandbox", "--user-data-dir=" + userDataDir,
                                "--virtual-time-budget=5000", "--dump-dom", pageUrl});
    chromium.closeWriteChannel();
    WaitUntil([&] { return chromium.state() == QProcess::NotRunning; }, 60000);
}

void RunFirefox(const QString& profileDir, const QString& pageUrl,
                const std::function<bool()>& done) {
    QDir().mkpath(profileDir);
    QProcess firefox;
    firefox.start("firefox-esr", {"--headless", "--no-remote", "--profile", profileDir, pageUrl});
    WaitUntil(done, 60000);
    QThread::sleep(2);  // lets it write its entries
    ::kill(static_cast<pid_t>(firefox.processId()), SIGTERM);
    WaitUntil([&] { return firefox.state() == QProcess::NotRunning; }, 20000);
}

void CopyFolderFiles(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& f : QDir(from).entryInfoList(QDir::Files)) {
        QFile::copy(f.absoluteFilePath(), to + "/" + f.fileName());
    }
}
