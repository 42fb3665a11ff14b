#include "logic/TargetNames.h"

#include "logic/AddressResolution.h"

QString MovieFileName(const QString& address) {
    // ASCII lowering keeps every character where it was, so positions in the copy are positions
    // in the address.
    const QString lower = LowerAscii(address);
    const int swf = lower.indexOf(".swf");
    if (swf < 0 || !(lower.contains("http://") || lower.contains("https://"))) {
        return QString();
    }
    // Look back from the "f" over at most 1024 characters for the "/" that starts the name.
    const int f = swf + 3;
    const int lowest = std::max(0, f - 1023);
    for (int i = f; i >= lowest; --i) {
        if (address[i] == '/') {
            return address.mid(i + 1, f - i);
        }
    }
    return address.mid(lowest, f - lowest + 1);
}

QString UniqueTargetPath(const QString& folder, const QString& name,
                         const QSet<QString>& takenByCommand,
                         const std::function<bool(const QString&)>& exists, bool replaceOlder) {
    const QString first = folder + name;
    if (!takenByCommand.contains(first) && (replaceOlder || !exists(first))) {
        return first;
    }
    for (int k = 2;; ++k) {
        const QString candidate = NumberedPath(first, k);
        if (!takenByCommand.contains(candidate) && !exists(candidate)) {
            return candidate;
        }
    }
}

QString NumberedPath(const QString& path, int k) {
    const int slash = path.lastIndexOf('/');
    const int dot = path.lastIndexOf('.');
    const int at = dot > slash + 1 ? dot : path.size();
    return path.left(at) + QString(" (%1)").arg(k) + path.mid(at);
}

QString LastPathPart(const QString& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}
