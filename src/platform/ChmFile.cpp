#include "platform/ChmFile.h"

namespace {
constexpr LONGUINT64 kMaxObject = 64ULL * 1024 * 1024;  // no help page is anywhere near this

int CollectPath(chmFile*, chmUnitInfo* info, void* context) {
    static_cast<QStringList*>(context)->append(QString::fromUtf8(info->path));
    return CHM_ENUMERATOR_CONTINUE;
}
}  // namespace

TChmFile::TChmFile(const TChmFunctions& functions, const QString& path) : f_(functions) {
    file_ = f_.open(QFile::encodeName(path).constData());
}

TChmFile::~TChmFile() {
    if (file_) {
        f_.close(file_);
    }
}

std::optional<QByteArray> TChmFile::Read(const QString& path) const {
    if (!file_) {
        return std::nullopt;
    }
    chmUnitInfo info{};
    const QByteArray name = path.toUtf8();
    if (f_.resolve(file_, name.constData(), &info) != CHM_RESOLVE_SUCCESS ||
        info.length > kMaxObject) {
        return std::nullopt;
    }
    QByteArray data(static_cast<qsizetype>(info.length), Qt::Uninitialized);
    const LONGINT64 got = f_.retrieve(file_, &info, reinterpret_cast<unsigned char*>(data.data()),
                                      0, static_cast<LONGINT64>(info.length));
    if (got < 0) {
        return std::nullopt;
    }
    data.truncate(static_cast<qsizetype>(got));
    return data;
}

QStringList TChmFile::Paths() const {
    QStringList paths;
    if (file_) {
        f_.enumerate(file_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, &CollectPath, &paths);
    }
    return paths;
}

QString TChmFile::ContentsPath() const {
    for (const QString& path : Paths()) {
        if (path.endsWith(".hhc", Qt::CaseInsensitive)) {
            return path;
        }
    }
    return QString();
}
