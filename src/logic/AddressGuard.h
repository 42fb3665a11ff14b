#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct sockaddr;

// Whether a network address is one a fetch made for a movie or a page may not reach unless the
// movie or page came from such an address itself: loopback, private (10/8, 172.16/12,
// 192.168/16, 100.64/10), link-local, unique-local, multicast, unspecified and the like, IPv4
// written inside IPv6 included.
bool IsPrivateDestination(const sockaddr* address);
bool IsPrivateDestination(const QString& ip);  // a numeric address; anything else is private

// Whether a host (a name or a numeric address) is private: any address it resolves to is.
// A host that does not resolve counts as public (a fetch of it will fail anyway).
bool IsPrivateHost(const QString& host);

// Tests only: these numeric addresses count as public, so that loopback servers can stand in
// for hosts on the internet.
void TreatAsPublicForTests(const QStringList& ips);

// Guards the connections of one libcurl transfer: every connection it opens, to the first
// host or after a redirect, is checked on the address it actually connects to (so a name that
// resolves anew cannot slip through), and refused when it is private and private destinations
// are not allowed. Proxies are not used, since a proxy would connect on our behalf unchecked.
class TConnectionGuard {
  public:
    // ownPorts: the program's own loopback servers, never reached even where private
    // destinations are allowed.
    explicit TConnectionGuard(bool allowPrivate, QList<int> ownPorts = {})
        : allowPrivate_(allowPrivate), ownPorts_(std::move(ownPorts)) {}
    // Installs the check on a libcurl easy handle; the guard must outlive its transfers.
    void Guard(void* curl);
    // Why a connection was refused, if one was.
    const QString& Refused() const { return refused_; }

  private:
    static int OpenSocket(void* self, int purpose, struct curl_sockaddr* address);
    const bool allowPrivate_;
    const QList<int> ownPorts_;
    QString refused_;
};
