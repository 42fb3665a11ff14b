#pragma once

#include <chm_lib.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <optional>

// chmlib's functions, found in the library at run time.
struct TChmFunctions {
    decltype(&::chm_open) open = nullptr;
    decltype(&::chm_close) close = nullptr;
    decltype(&::chm_resolve_object) resolve = nullptr;
    decltype(&::chm_retrieve_object) retrieve = nullptr;
    decltype(&::chm_enumerate) enumerate = nullptr;
};

// An open compiled help file.
class TChmFile {
  public:
    TChmFile(const TChmFunctions& functions, const QString& path);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // An object's bytes by its path inside the file ("/index.html"); nothing when absent.
    std::optional<QByteArray> Read(const QString& path) const;
    // Every object path in the file.
    QStringList Paths() const;
    // The contents file's path ("/toc.hhc"), or empty.
    QString ContentsPath() const;

  private:
    const TChmFunctions& f_;
    chmFile* file_ = nullptr;
};
