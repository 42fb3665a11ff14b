#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

// Three movies as browsers meet them: named by their address ("<prefix>a.swf"), named only by
// their type ("<prefix>get.php?id=7"), and sent gzip-encoded ("<prefix>z.swf").
struct ServedMovies {
    QByteArray a;
    QByteArray get;
    QByteArray zipped;
};
ServedMovies TestMovies();

// Serves, on loopback until destroyed, a page whose script fetches the three movies under a name
// prefix its address gives ("page.html?p=x-" fetches "x-a.swf" …), for real browsers to cache.
class MovieServer {
  public:
    MovieServer();
    ~MovieServer();
    QString Page(const QString& prefix = QString()) const;
    int Served() const { return served_; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::atomic<int> served_{0};
    int port_ = 0;
};

// Runs Debian's chromium headless on the page with its own user data folder.
void RunChromium(const QString& userDataDir, const QString& pageUrl);
// Runs firefox-esr headless on the page with the profile folder and ends it once asked to
// (done() true), leaving it time to write its cache.
void RunFirefox(const QString& profileDir, const QString& pageUrl,
                const std::function<bool()>& done);

// Copies the files of a folder (not below) into another, made as needed.
void CopyFolderFiles(const QString& from, const QString& to);
