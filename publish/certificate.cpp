#include "publish/certificate.h"

#include <QCryptographicHash>

namespace publish {

namespace {

// One DER element: its tag, where its contents start and where it ends.
struct Element
{
    uchar tag = 0;
    qsizetype contents = 0;
    qsizetype end = 0;
};

bool element(const QByteArray &der, qsizetype at, Element *e)
{
    if (at + 2 > der.size())
        return false;
    e->tag = uchar(der[at]);
    qsizetype length = uchar(der[at + 1]);
    qsizetype pos = at + 2;
    if (length & 0x80) {
        const int bytes = int(length & 0x7f);
        if (bytes < 1 || bytes > 4 || pos + bytes > der.size())
            return false;
        length = 0;
        for (int i = 0; i < bytes; ++i)
            length = (length << 8) | uchar(der[pos++]);
    }
    if (pos + length > der.size())
        return false;
    e->contents = pos;
    e->end = pos + length;
    return true;
}

} // namespace

QByteArray subjectPublicKeyInfo(const QByteArray &certificate)
{
    constexpr uchar sequence = 0x30, version = 0xa0;
    Element cert, tbs, e;
    if (!element(certificate, 0, &cert) || cert.tag != sequence || !element(certificate, cert.contents, &tbs)
        || tbs.tag != sequence)
        return {};
    qsizetype at = tbs.contents;
    if (!element(certificate, at, &e))
        return {};
    if (e.tag == version)
        at = e.end;
    // The serial number, the signature algorithm, the issuer, the validity
    // and the subject come before the key.
    for (int skip = 0; skip < 5; ++skip) {
        if (!element(certificate, at, &e))
            return {};
        at = e.end;
    }
    if (!element(certificate, at, &e) || e.tag != sequence || e.end > tbs.end)
        return {};
    return certificate.mid(at, e.end - at);
}

QString publicKeyFingerprint(const QByteArray &certificate)
{
    QByteArray der = certificate;
    const qsizetype begin = certificate.indexOf("-----BEGIN CERTIFICATE-----");
    if (begin >= 0) {
        const qsizetype from = certificate.indexOf('\n', begin);
        const qsizetype to = certificate.indexOf("-----END CERTIFICATE-----", from);
        if (from < 0 || to < 0)
            return {};
        der = QByteArray::fromBase64(certificate.mid(from, to - from).simplified().replace(' ', ""));
    }
    const QByteArray key = subjectPublicKeyInfo(der);
    if (key.isEmpty())
        return {};
    return QStringLiteral("SHA256:") + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toBase64());
}

} // namespace publish
