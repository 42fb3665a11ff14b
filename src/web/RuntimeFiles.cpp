#include "web/RuntimeFiles.h"

#include "web/LoopbackServer.h"

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

void ServeRuntimeFile(THttpResponse& res, const QString& path, const char* type) {
    if (!QFileInfo(path).isReadable()) {
        res.status = 404;
        return;
    }
    res.status = 200;
    res.file = path;
    res.contentType = type ? type : ContentType(path);
}
