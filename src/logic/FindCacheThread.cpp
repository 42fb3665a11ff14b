#include "logic/FindCacheThread.h"

QString FileNamePart(const QString& localPath) {
    return localPath.mid(localPath.lastIndexOf('/') + 1);
}

std::optional<CacheRow> ExamineEntry(const UrlCacheEntry& entry, int found) {
    const QString name = FileNamePart(entry.localFileName);
    const int dot = name.lastIndexOf('.');
    if (dot < 0 || name.mid(dot).toLower() != ".swf") {
        return std::nullopt;
    }
    const auto low32 = static_cast<quint32>(entry.size & 0xFFFFFFFFu);
    return CacheRow{found + 1, name, QString::number(low32), entry.localFileName};
}

TFindCacheEntryThread::TFindCacheEntryThread(Enumerate enumerate, AppendRow appendRow,
                                             Completion onCompletion, QObject* context)
    : TWorkerThread(std::move(onCompletion), context),
      enumerate_(std::move(enumerate)),
      appendRow_(std::move(appendRow)) {
    Start();
}

void TFindCacheEntryThread::Execute() {
    int found = 0;
    for (const UrlCacheEntry& entry : enumerate_()) {
        if (auto row = ExamineEntry(entry, found)) {
            ++found;
            Synchronize([&] { appendRow_(*row); });
        }
    }
}
