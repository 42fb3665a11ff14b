#include "logic/AddressGuard.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <mutex>

namespace {
std::mutex publicMutex;
QStringList& PublicForTests() {
    static QStringList ips;
    return ips;
}

bool IsPrivateV4(quint32 a) {
    const auto in = [a](quint32 net, int bits) {
        return (a >> (32 - bits)) == (net >> (32 - bits));
    };
    return in(0x00000000, 8) ||   // "this" network, unspecified
           in(0x0a000000, 8) ||   // private
           in(0x64400000, 10) ||  // carrier-grade NAT
           in(0x7f000000, 8) ||   // loopback
           in(0xa9fe0000, 16) ||  // link-local
           in(0xac100000, 12) ||  // private
           in(0xc0000000, 24) ||  // protocol assignments
           in(0xc0a80000, 16) ||  // private
           in(0xc6120000, 15) ||  // benchmarking
           in(0xe0000000, 4) ||   // multicast
           in(0xf0000000, 4);     // reserved, broadcast
}

quint32 V4At(const unsigned char* b) {
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3];
}

bool IsPrivateV6(const unsigned char* v6) {
    static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(v6, mapped, 12) == 0) {
        return IsPrivateV4(V4At(v6 + 12));
    }
    if (std::all_of(v6, v6 + 12, [](unsigned char b) { return b == 0; })) {
        return true;  // unspecified, loopback, IPv4-compatible
    }
    if (v6[0] == 0x00 && v6[1] == 0x64 && v6[2] == 0xff && v6[3] == 0x9b) {
        return IsPrivateV4(V4At(v6 + 12));  // NAT64
    }
    if (v6[0] == 0x20 && v6[1] == 0x02) {
        return IsPrivateV4(V4At(v6 + 2));  // 6to4
    }
    return (v6[0] & 0xfe) == 0xfc ||                     // unique-local
           (v6[0] == 0xfe && (v6[1] & 0xc0) == 0x80) ||  // link-local
           (v6[0] == 0xfe && (v6[1] & 0xc0) == 0xc0) ||  // site-local, deprecated
           v6[0] == 0xff;                                // multicast
}

// The numeric text of an address, as the test seam names them.
QString Text(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    const void* raw =
        address->sa_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr)
            : &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    ::inet_ntop(address->sa_family, raw, text, sizeof text);
    return QString::fromLatin1(text);
}

bool CountsAsPublicForTests(const sockaddr* address) {
    std::lock_guard<std::mutex> lock(publicMutex);
    return !PublicForTests().isEmpty() && PublicForTests().contains(Text(address));
}
}  // namespace

bool IsPrivateDestination(const sockaddr* address) {
    if (address->sa_family != AF_INET && address->sa_family != AF_INET6) {
        return true;
    }
    if (CountsAsPublicForTests(address)) {
        return false;
    }
    if (address->sa_family == AF_INET) {
        return IsPrivateV4(ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr));
    }
    return IsPrivateV6(reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr.s6_addr);
}

bool IsPrivateDestination(const QString& ip) {
    const QByteArray text = ip.toLatin1();
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    if (::inet_pton(AF_INET, text.constData(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        return IsPrivateDestination(reinterpret_cast<const sockaddr*>(&v4));
    }
    if (::inet_pton(AF_INET6, text.constData(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        return IsPrivateDestination(reinterpret_cast<const sockaddr*>(&v6));
    }
    return true;
}

bool IsPrivateHost(const QString& host) {
    QString name = host;
    if (name.startsWith('[') && name.endsWith(']')) {
        name = name.mid(1, name.size() - 2);
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.isEmpty() || ::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0) {
        return false;
    }
    bool isPrivate = false;
    for (addrinfo* a = found; a && !isPrivate; a = a->ai_next) {
        isPrivate = IsPrivateDestination(a->ai_addr);
    }
    ::freeaddrinfo(found);
    return isPrivate;
}

void TreatAsPublicForTests(const QStringList& ips) {
    std::lock_guard<std::mutex> lock(publicMutex);
    PublicForTests() = ips;
}

void TConnectionGuard::Guard(void* handle) {
    CURL* curl = static_cast<CURL*>(handle);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &TConnectionGuard::OpenSocket);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
}

int TConnectionGuard::OpenSocket(void* self, int, curl_sockaddr* address) {
    auto* guard = static_cast<TConnectionGuard*>(self);
    const sockaddr* to = &address->addr;
    const int port =
        ntohs(to->sa_family == AF_INET ? reinterpret_cast<const sockaddr_in*>(to)->sin_port
                                       : reinterpret_cast<const sockaddr_in6*>(to)->sin6_port);
    if (guard->ownPorts_.contains(port) && IsPrivateDestination(to)) {
        guard->refused_ = "the program's own server is not fetched";
        return CURL_SOCKET_BAD;
    }
    if (!guard->allowPrivate_ && IsPrivateDestination(to)) {
        guard->refused_ = "a private network address (" + Text(&address->addr) + ") is not fetched";
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}
