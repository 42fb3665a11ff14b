#pragma once

#include <QByteArray>
#include <QtEndian>
#include <algorithm>

// A reader over a Chromium pickle: a 32-bit payload size, then fields each padded to four
// bytes, all little-endian. Every read fails instead of going past the payload's end.
class TPickleReader {
  public:
    TPickleReader(const char* data, qint64 size) : data_(data) {
        if (size >= 4) {
            const quint32 payload = qFromLittleEndian<quint32>(data);
            end_ = payload <= static_cast<quint64>(size - 4) ? 4 + qint64(payload) : -1;
        }
    }
    explicit TPickleReader(const QByteArray& data) : TPickleReader(data.constData(), data.size()) {}

    bool Int32(qint32* out) { return Fixed(out); }
    bool Int64(qint64* out) { return Fixed(out); }
    bool String(QByteArray* out) {
        qint32 size = 0;
        if (!Int32(&size) || size < 0 || size > end_ - at_) {
            return false;
        }
        *out = QByteArray(data_ + at_, size);
        at_ += std::min<qint64>((qint64(size) + 3) & ~qint64(3), end_ - at_);
        return true;
    }

  private:
    template <typename T>
    bool Fixed(T* out) {
        if (end_ < 0 || at_ + qint64(sizeof(T)) > end_) {
            return false;
        }
        *out = qFromLittleEndian<T>(data_ + at_);
        at_ += sizeof(T);
        return true;
    }
    const char* data_;
    qint64 at_ = 4;
    qint64 end_ = -1;
};
