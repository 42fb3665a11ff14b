#include "logic/AddressResolution.h"

#include <QRegularExpression>

namespace {
// Length of "scheme://" at the start of text, or 0.
int SchemePrefixLength(const QString& text) {
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]*://");
    const auto match = scheme.match(text);
    return match.hasMatch() ? match.capturedLength() : 0;
}

// The text before the first "?" (all of it without one).
QString BeforeQuery(const QString& page) {
    const int q = page.indexOf('?');
    return q < 0 ? page : page.left(q);
}

// The first n characters of text up to and including its last "/"; empty without one.
QString UpToLastSlash(const QString& text) {
    return text.left(text.lastIndexOf('/') + 1);
}

// A folder never reaches above the site root of an address with a scheme and host.
QString NotAboveRoot(const QString& folder, const QString& page) {
    const QString root = SiteRoot(page);
    return SchemePrefixLength(page) > 0 && folder.size() < root.size() ? root : folder;
}
}  // namespace

bool IsHttpAddress(const QString& address) {
    const QString head = LowerAscii(address.left(8));
    return head.startsWith("http://") || head.startsWith("https://");
}

QString LowerAscii(QString text) {
    for (QChar& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = QChar(c.unicode() + ('a' - 'A'));
        }
    }
    return text;
}

QString EncodeSpaces(const QString& text) {
    if (!text.contains(' ')) {
        return text;
    }
    int first = 0;
    int last = text.size() - 1;
    while (first <= last && text[first] == ' ') {
        ++first;
    }
    while (last >= first && text[last] == ' ') {
        --last;
    }
    QString trimmed = text.mid(first, last - first + 1);
    return trimmed.replace(' ', "%20");
}

QString SiteRoot(const QString& page) {
    const int prefix = SchemePrefixLength(page);
    if (prefix > 0) {
        // Scheme, host and port, then one "/"; a query or fragment ends the host too.
        int end = prefix;
        while (end < page.size() && page[end] != '/' && page[end] != '?' && page[end] != '#') {
            ++end;
        }
        return page.left(end) + '/';
    }
    // Without a scheme: up to the first "/" from the eighth character, looking no further
    // than 1024 characters.
    int r = 8;
    while (r < 1024 && r <= page.size() && page[r - 1] != '/') {
        ++r;
    }
    return page.left(r);
}

QString PageDirectory(const QString& page) {
    return NotAboveRoot(UpToLastSlash(BeforeQuery(page)), page);
}

QString ParentDirectory(const QString& page) {
    const QString dir = PageDirectory(page);
    return NotAboveRoot(UpToLastSlash(dir.left(dir.size() - 1)), page);
}

QString ResolveMovieAddress(const QString& page, const QString& movie) {
    const QString m = EncodeSpaces(movie);
    if (SchemePrefixLength(m) > 0) {
        return m;
    }
    if (m.startsWith("//")) {
        const int prefix = SchemePrefixLength(page);
        const QString scheme = prefix > 0 ? page.left(prefix - 2) : QString("http:");
        return scheme + m;
    }
    if (m.startsWith('/')) {
        return SiteRoot(page) + m.mid(1);
    }
    if (m.startsWith("../")) {
        return ParentDirectory(page) + m.mid(3);
    }
    return PageDirectory(page) + m;
}
