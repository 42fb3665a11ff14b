#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The fuzzer's bytes as a byte array (copied: parsers may keep what they are given).
inline QByteArray FuzzBytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A property every input must keep; a broken one is reported as a crash with its input.
inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}
