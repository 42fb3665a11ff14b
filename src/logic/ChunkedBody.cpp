#include "logic/ChunkedBody.h"

#include <QList>

namespace {
constexpr qsizetype kMaxLine = 4096;  // no size or trailer line is longer
}  // namespace

QByteArray TChunkedBody::Feed(const char* data, qsizetype size) {
    QByteArray out;
    for (qsizetype at = 0; at < size && state_ != State::Done && state_ != State::Failed;) {
        if (state_ == State::Data) {
            const qsizetype n = static_cast<qsizetype>(std::min<qint64>(remaining_, size - at));
            out.append(data + at, n);
            at += n;
            remaining_ -= n;
            if (remaining_ == 0) {
                state_ = State::DataEnd;
            }
            continue;
        }
        const char c = data[at++];
        if (c != '\n') {
            if (c != '\r') {
                line_ += c;
            }
            if (line_.size() > kMaxLine) {
                state_ = State::Failed;
            }
            continue;
        }
        const QByteArray line = line_;
        line_.clear();
        if (state_ == State::DataEnd) {
            state_ = line.isEmpty() ? State::Size : State::Failed;
        } else if (state_ == State::Size) {
            bool ok = false;
            remaining_ = line.split(';').first().trimmed().toLongLong(&ok, 16);
            if (!ok || remaining_ < 0) {
                state_ = State::Failed;
            } else {
                state_ = remaining_ == 0 ? State::Trailer : State::Data;
            }
        } else if (state_ == State::Trailer && line.isEmpty()) {
            state_ = State::Done;
        }
    }
    return out;
}

bool IsChunked(const QByteArray& head) {
    for (const QByteArray& line : head.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "transfer-encoding" &&
            line.mid(colon + 1).toLower().contains("chunked")) {
            return true;
        }
    }
    return false;
}
