#include "platform/ZipWriter.h"

#include <unistd.h>
#include <zlib.h>

#include <QDateTime>
#include <cerrno>

#include "platform/FileOps.h"

namespace {
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kCentralHeader = 0x02014b50;
constexpr quint32 kEnd = 0x06054b50;
constexpr quint32 kZip64End = 0x06064b50;
constexpr quint32 kZip64Locator = 0x07064b50;
constexpr quint16 kZip64Extra = 0x0001;
constexpr quint16 kPadding = 0x5650;     // an extra field of no meaning
constexpr quint16 kVersion = 45;         // 4.5: ZIP64
constexpr quint16 kMadeOnUnix = 3 << 8;  // so the permissions below are read
constexpr quint16 kUtf8Names = 0x0800;
constexpr quint32 kMax32 = 0xFFFFFFFFu;
constexpr size_t kReadBack = 1024 * 1024;

void Put16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xFF)).append(char(value >> 8));
}
void Put32(QByteArray& out, quint32 value) {
    Put16(out, quint16(value & 0xFFFF));
    Put16(out, quint16(value >> 16));
}
void Put64(QByteArray& out, quint64 value) {
    Put32(out, quint32(value & kMax32));
    Put32(out, quint32(value >> 32));
}
}  // namespace

TZipWriter::TZipWriter(int fd, quint64 zip64From) : fd_(fd), zip64From_(zip64From) {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate day = now.date();
    const QTime time = now.time();
    date_ = quint16(((std::max(day.year(), 1980) - 1980) << 9) | (day.month() << 5) | day.day());
    time_ = quint16((time.hour() << 11) | (time.minute() << 5) | (time.second() / 2));
}

quint64 TZipWriter::End() const {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    return end < 0 ? 0 : quint64(end);
}

bool TZipWriter::Append(const QByteArray& bytes) {
    return ::lseek(fd_, 0, SEEK_END) >= 0 && WriteAll(fd_, bytes.constData(), size_t(bytes.size()));
}

// The 64-bit fields of an entry: its sizes when they may not fit (or it is streamed, its size
// unknown when its header is written), its header's place when that does not fit.
QByteArray TZipWriter::Zip64Fields(const Entry& entry, bool central) const {
    QByteArray fields;
    if (entry.streamed || entry.size >= zip64From_) {
        Put64(fields, entry.size);
        Put64(fields, entry.size);
    }
    if (central && entry.headerAt >= zip64From_) {
        Put64(fields, entry.headerAt);
    }
    if (fields.isEmpty()) {
        return {};
    }
    QByteArray field;
    Put16(field, kZip64Extra);
    Put16(field, quint16(fields.size()));
    return field + fields;
}

// The extra fields of an entry's local header are as long as its central header's: some readers
// find an entry's data by the central header's lengths. The difference is made up by a field
// readers skip.
QByteArray TZipWriter::LocalExtra(const Entry& entry) const {
    QByteArray extra = Zip64Fields(entry, false);
    const int missing = int(Zip64Fields(entry, true).size() - extra.size());
    if (missing > 0) {
        Put16(extra, kPadding);
        Put16(extra, quint16(missing - 4));
        extra += QByteArray(missing - 4, '\0');
    }
    return extra;
}

// The fields a local and a central header share, from the version needed on.
QByteArray TZipWriter::SharedFields(const Entry& entry, int extraSize) const {
    const bool bigSize = entry.streamed || entry.size >= zip64From_;
    QByteArray fields;
    Put16(fields, kVersion);
    Put16(fields, kUtf8Names);
    Put16(fields, 0);  // stored
    Put16(fields, time_);
    Put16(fields, date_);
    Put32(fields, entry.crc);
    Put32(fields, bigSize ? kMax32 : quint32(entry.size));
    Put32(fields, bigSize ? kMax32 : quint32(entry.size));
    Put16(fields, quint16(entry.name.size()));
    Put16(fields, quint16(extraSize));
    return fields;
}

QByteArray TZipWriter::LocalHeader(const Entry& entry) const {
    const QByteArray extra = LocalExtra(entry);
    QByteArray header;
    Put32(header, kLocalHeader);
    return header + SharedFields(entry, int(extra.size())) + entry.name + extra;
}

bool TZipWriter::BeginEntry(const QByteArray& name) {
    Entry entry;
    entry.name = name;
    entry.streamed = true;
    entry.headerAt = End();
    const QByteArray header = LocalHeader(entry);
    entry.dataAt = entry.headerAt + quint64(header.size());
    entries_.push_back(entry);
    return Append(header);
}

bool TZipWriter::EndEntry(const std::function<void(QByteArrayView)>& eachPiece) {
    if (entries_.empty()) {
        return false;
    }
    Entry& entry = entries_.back();
    entry.size = End() - entry.dataAt;
    uLong crc = crc32(0, nullptr, 0);
    std::vector<char> buffer(kReadBack);
    for (quint64 at = entry.dataAt; at < entry.dataAt + entry.size;) {
        const ssize_t n = ::pread(fd_, buffer.data(), buffer.size(), off_t(at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), uInt(n));
        if (eachPiece) {
            eachPiece(QByteArrayView(buffer.data(), n));
        }
        at += quint64(n);
    }
    entry.crc = quint32(crc);
    const QByteArray header = LocalHeader(entry);
    return ::pwrite(fd_, header.constData(), size_t(header.size()), off_t(entry.headerAt)) ==
           header.size();
}

bool TZipWriter::AddEntry(const QByteArray& name, const QByteArray& data) {
    Entry entry;
    entry.name = name;
    entry.size = quint64(data.size());
    entry.crc = quint32(crc32(crc32(0, nullptr, 0),
                              reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
    entry.headerAt = End();
    const QByteArray header = LocalHeader(entry);
    entry.dataAt = entry.headerAt + quint64(header.size());
    entries_.push_back(entry);
    return Append(header + data);
}

bool TZipWriter::Finish() {
    const quint64 directoryAt = End();
    QByteArray directory;
    for (const Entry& entry : entries_) {
        const bool farOffset = entry.headerAt >= zip64From_;
        const QByteArray extra = Zip64Fields(entry, true);
        Put32(directory, kCentralHeader);
        Put16(directory, kMadeOnUnix | kVersion);
        directory += SharedFields(entry, int(extra.size()));
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, quint32(0100644) << 16);
        Put32(directory, farOffset ? kMax32 : quint32(entry.headerAt));
        directory += entry.name + extra;
    }
    const quint64 count = entries_.size();
    const quint64 size = quint64(directory.size());
    const bool zip64 = count >= 0xFFFF || size >= zip64From_ || directoryAt >= zip64From_;
    if (zip64) {
        const quint64 zip64EndAt = directoryAt + size;
        Put32(directory, kZip64End);
        Put64(directory, 44);
        Put16(directory, kMadeOnUnix | kVersion);
        Put16(directory, kVersion);
        Put32(directory, 0);
        Put32(directory, 0);
        Put64(directory, count);
        Put64(directory, count);
        Put64(directory, size);
        Put64(directory, directoryAt);
        Put32(directory, kZip64Locator);
        Put32(directory, 0);
        Put64(directory, zip64EndAt);
        Put32(directory, 1);
    }
    Put32(directory, kEnd);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, zip64 ? 0xFFFF : quint16(count));
    Put16(directory, zip64 ? 0xFFFF : quint16(count));
    Put32(directory, zip64 ? kMax32 : quint32(size));
    Put32(directory, zip64 ? kMax32 : quint32(directoryAt));
    Put16(directory, 0);
    return Append(directory);
}
