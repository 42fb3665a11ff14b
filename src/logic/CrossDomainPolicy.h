#pragma once

#include <QByteArray>
#include <QString>

// Whether a host's /crossdomain.xml lets a movie from movieHost read its data: an
// allow-access-from element whose domain is "*", the host itself, or "*.domain" covering it.
// A movie served over http reads an https host's data (dataIsSecure) only where the element
// says secure="false". A policy that cannot be read, or whose site-control permits none, allows
// nothing.
bool PolicyAllows(const QByteArray& policy, const QString& movieHost, bool movieIsSecure,
                  bool dataIsSecure);

// Whether a body is one a movie may load from any host without a policy (the player shows or
// plays it, the movie cannot read it): another movie, an image, a sound or a video, by its
// first bytes.
bool IsMediaBody(const QByteArray& firstBytes);

// Whether two addresses are of one host, as the policy rule compares them (letter case aside).
bool SameHost(const QString& a, const QString& b);
