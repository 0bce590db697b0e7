// The public key of a TLS certificate, as libcurl pins one.
#pragma once

#include <QByteArray>
#include <QString>

namespace publish {

// The DER SubjectPublicKeyInfo of a DER X.509 certificate; empty when the
// certificate cannot be read.
QByteArray subjectPublicKeyInfo(const QByteArray &certificate);

// "SHA256:" and the padded base64 of the SHA-256 of a certificate's
// (PEM or DER) public key; empty when it cannot be read.
QString publicKeyFingerprint(const QByteArray &certificate);

} // namespace publish
