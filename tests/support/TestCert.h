#pragma once

#include <QProcess>
#include <QString>

// Makes a self-signed certificate for 127.0.0.1 and localhost in folder; false on failure.
inline bool MakeSelfSignedCert(const QString& folder, QString* certFile, QString* keyFile) {
    *certFile = folder + "/cert.pem";
    *keyFile = folder + "/key.pem";
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                   "-keyout", *keyFile, "-out", *certFile});
    return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
}
