#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <functional>
#include <vector>

// Writes a ZIP archive of stored (uncompressed) entries into a file, as web-archive packages
// keep them so that readers can reach any byte of an entry by its offset. An entry's data may
// be written into the file by the caller between BeginEntry and EndEntry, so data of any size
// streams straight to its place. Sizes and offsets past 4 GB take the ZIP64 extensions
// (zip64From lowers that bound).
class TZipWriter {
  public:
    explicit TZipWriter(int fd, quint64 zip64From = 0xFFFFFFFFu);

    // Starts an entry whose data follows at the end of the file.
    bool BeginEntry(const QByteArray& name);
    // Ends it at the end of the file: its data is read back for its checksum, each piece also
    // handed to eachPiece, and its header completed.
    bool EndEntry(const std::function<void(QByteArrayView)>& eachPiece = {});
    // An entry of data held in memory.
    bool AddEntry(const QByteArray& name, const QByteArray& data);
    // Writes the central directory: the archive is complete.
    bool Finish();

  private:
    struct Entry {
        QByteArray name;
        quint64 headerAt = 0;
        quint64 dataAt = 0;
        quint64 size = 0;
        quint32 crc = 0;
        bool streamed = false;  // its local header has room for 64-bit sizes
    };
    quint64 End() const;
    bool Append(const QByteArray& bytes);
    QByteArray Zip64Fields(const Entry& entry, bool central) const;
    QByteArray LocalExtra(const Entry& entry) const;
    QByteArray SharedFields(const Entry& entry, int extraSize) const;
    QByteArray LocalHeader(const Entry& entry) const;

    const int fd_;
    const quint64 zip64From_;
    std::vector<Entry> entries_;
    quint16 time_ = 0;
    quint16 date_ = 0;
};
