#pragma once

#include <QString>

// Copies source to target through a temporary file in the target's folder that is renamed into
// place only when the whole copy succeeded: a failed copy leaves no partial file and leaves an
// existing target as it was. Returns false on any failure.
bool CopyFileAtomic(const QString& source, const QString& target);
