#include "logic/TargetNames.h"

#include "logic/AddressResolution.h"
#include "platform/Digest.h"

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

QString WithoutBidiControls(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (!(u == 0x061c || u == 0x200e || u == 0x200f || (u >= 0x202a && u <= 0x202e) ||
              (u >= 0x2066 && u <= 0x2069))) {
            out += c;
        }
    }
    return out;
}

QString DiskFileName(const QString& name, int maxBytes) {
    const QString clean = WithoutBidiControls(name);
    if (clean.toUtf8().size() <= maxBytes) {
        return clean;
    }
    const QString hash = TDigest::Of(TDigest::Kind::Sha1, clean.toUtf8()).toHex().left(8);
    const int dot = clean.lastIndexOf('.');
    const QString extension = dot > 0 && clean.size() - dot <= 10 ? clean.mid(dot) : QString();
    QString kept = clean.left(maxBytes / 2);
    while (kept.toUtf8().size() + 1 + hash.size() + extension.toUtf8().size() > maxBytes) {
        kept.chop(1);
    }
    return kept + "~" + hash + extension;
}
