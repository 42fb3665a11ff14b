#include "logic/CrossDomainPolicy.h"

#include "platform/UrlCache.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace {
bool DomainCovers(const QString& pattern, const QString& host) {
    const QString domain = pattern.trimmed().toLower();
    if (domain == "*") {
        return true;
    }
    if (domain.startsWith("*.")) {
        const QString parent = domain.mid(2);
        return host == parent || host.endsWith("." + parent);
    }
    return !domain.isEmpty() && host == domain;
}
}  // namespace

bool PolicyAllows(const QByteArray& policy, const QString& movieHost, bool movieIsSecure,
                  bool dataIsSecure) {
    const QString host = movieHost.toLower();
    QXmlStreamReader xml(policy);
    bool inPolicy = false;
    bool allowed = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QStringView name = xml.name();
        if (!inPolicy) {
            if (name != u"cross-domain-policy") {
                return false;
            }
            inPolicy = true;
        } else if (name == u"site-control" &&
                   xml.attributes().value("permitted-cross-domain-policies") == u"none") {
            return false;
        } else if (name == u"allow-access-from" &&
                   DomainCovers(xml.attributes().value("domain").toString(), host)) {
            allowed = allowed || !dataIsSecure || movieIsSecure ||
                      xml.attributes().value("secure") == u"false";
        }
    }
    return allowed && !xml.hasError();
}

bool IsMediaBody(const QByteArray& b) {
    const auto at = [&b](int i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0; };
    return HasMovieSignature(b) ||                                              // movies
           (at(0) == 0xff && at(1) == 0xd8 && at(2) == 0xff) ||                 // JPEG
           b.startsWith("\x89PNG\r\n\x1a\n") || b.startsWith("GIF8") ||         // PNG, GIF
           b.startsWith("ID3") || (at(0) == 0xff && (at(1) & 0xe0) == 0xe0) ||  // MP3
           b.startsWith("FLV");                                                 // video
}

bool SameHost(const QString& a, const QString& b) {
    const QUrl x(a);
    const QUrl y(b);
    return !x.host().isEmpty() && x.host().compare(y.host(), Qt::CaseInsensitive) == 0;
}
