#pragma once

#include <QByteArray>

// Undoes HTTP/1.1 chunked transfer coding as the bytes arrive, in pieces of any size: the
// chunks' data comes out, sizes, extensions and trailers are dropped. After the last chunk, or
// on a malformed size line, further bytes are ignored; Failed() tells the latter.
class TChunkedBody {
  public:
    // The data carried by these raw bytes.
    QByteArray Feed(const char* data, qsizetype size);
    bool Done() const { return state_ == State::Done; }
    bool Failed() const { return state_ == State::Failed; }

  private:
    enum class State { Size, Data, DataEnd, Trailer, Done, Failed };
    State state_ = State::Size;
    QByteArray line_;       // the size or trailer line read so far
    qint64 remaining_ = 0;  // of the chunk being read
};

// Whether a response head says its body is sent in chunks.
bool IsChunked(const QByteArray& head);
