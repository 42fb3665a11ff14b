#include "web/RuntimeFiles.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const char* ContentType(const QString& name) {
    if (name.endsWith(".wasm")) {
        return "application/wasm";
    }
    if (name.endsWith(".js")) {
        return "text/javascript";
    }
    if (name.endsWith(".map") || name.endsWith(".json")) {
        return "application/json";
    }
    return "application/octet-stream";
}
}  // namespace

std::map<QString, QString> RuntimeFiles(const QString& folder) {
    std::map<QString, QString> files;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
        files[f.fileName()] = f.absoluteFilePath();
    }
    return files;
}

void ServeRuntimeFile(httplib::Response& res, const QString& path, const char* type) {
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        res.status = 404;
        return;
    }
    res.status = 200;
    const auto size = static_cast<size_t>(file->size());
    res.set_content_provider(size, type ? type : ContentType(path),
                             [file](size_t offset, size_t length, httplib::DataSink& sink) {
                                 char block[64 * 1024];
                                 file->seek(static_cast<qint64>(offset));
                                 const qint64 n = file->read(
                                     block, static_cast<qint64>(std::min(length, sizeof block)));
                                 if (n <= 0) {
                                     return false;
                                 }
                                 sink.write(block, static_cast<size_t>(n));
                                 return true;
                             });
}
