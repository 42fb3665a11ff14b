#pragma once

#include <QString>
#include <map>

struct THttpResponse;

// The player runtime's files (its .js and .wasm), named by file name, fixed when read: a request
// can only ever name one of these, never a path.
std::map<QString, QString> RuntimeFiles(const QString& folder);

// Answers with a file from disk, sent in pieces rather than read whole into memory; 404 when it
// cannot be read. Its type follows its name unless given.
void ServeRuntimeFile(THttpResponse& res, const QString& path, const char* type = nullptr);
