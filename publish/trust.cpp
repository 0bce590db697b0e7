#include "publish/trust.h"

#include "textio/diskfile.h"

#include <QDir>
#include <QFile>
#include <QMessageAuthenticationCode>

namespace publish {

namespace {

QByteArrayList lines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().split('\n');
}

QByteArrayList fields(const QByteArray &line)
{
    return line.simplified().split(' ');
}

// OpenSSH's wildcards: "*" any run of characters, "?" any one.
bool glob(const char *pattern, const char *name)
{
    if (*pattern == '*')
        return glob(pattern + 1, name) || (*name && glob(pattern, name + 1));
    if (!*pattern)
        return !*name;
    return *name && (*pattern == '?' || *pattern == *name) && glob(pattern + 1, name + 1);
}

bool glob(const QByteArray &pattern, const QByteArray &name)
{
    return glob(pattern.constData(), name.constData());
}

// One pattern of a known_hosts line: a name, a wildcard or, from
// HashKnownHosts, "|1|salt|hash" with the HMAC-SHA1 of the name.
bool matches(const QByteArray &pattern, const QByteArray &name)
{
    if (pattern.startsWith("|1|")) {
        const QByteArrayList parts = pattern.split('|');
        if (parts.size() != 4)
            return false;
        return QMessageAuthenticationCode::hash(name, QByteArray::fromBase64(parts[2]), QCryptographicHash::Sha1)
            == QByteArray::fromBase64(parts[3]);
    }
    return glob(pattern.toLower(), name.toLower());
}

bool forHost(const QByteArray &patterns, const QByteArray &name)
{
    bool found = false;
    for (const QByteArray &p : patterns.split(',')) {
        if (p.startsWith('!')) {
            if (matches(p.mid(1), name))
                return false;
        } else if (matches(p, name)) {
            found = true;
        }
    }
    return found;
}

Outcome checkHostKey(const QStringList &files, const Identity &identity)
{
    const QByteArrayList mine = fields(identity.record);
    if (mine.size() < 3)
        return Outcome::ChangedIdentity;
    const QByteArray name = hostName(identity.host, identity.port);
    bool known = false, other = false;
    for (const QString &file : files) {
        for (const QByteArray &line : lines(file)) {
            QByteArrayList f = fields(line);
            if (f.isEmpty() || f[0].startsWith('#'))
                continue;
            QByteArray marker;
            if (f[0].startsWith('@'))
                marker = f.takeFirst();
            if (f.size() < 3 || marker == "@cert-authority" || !forHost(f[0], name))
                continue;
            const bool same = f[1] == mine[1] && f[2] == mine[2];
            if (marker == "@revoked") {
                if (same)
                    return Outcome::ChangedIdentity;
                continue;
            }
            (same ? known : other) = true;
        }
    }
    return known ? Outcome::Ok : other ? Outcome::ChangedIdentity : Outcome::UnknownIdentity;
}

Outcome checkCertificate(const QString &file, const Identity &identity)
{
    const QByteArray name = hostName(identity.host, identity.port);
    bool other = false;
    for (const QByteArray &line : lines(file)) {
        const QByteArrayList f = fields(line);
        if (f.size() < 2 || f[0] != name)
            continue;
        if (f[1] == identity.fingerprint.toLatin1())
            return Outcome::Ok;
        other = true;
    }
    return other ? Outcome::ChangedIdentity : Outcome::UnknownIdentity;
}

QString configFolder()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    return (xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : QFile::decodeName(xdg))
        + QStringLiteral("/kamerio");
}

} // namespace

QByteArray hostName(const QString &host, int port)
{
    if (port == 0 || port == 22)
        return host.toUtf8();
    return '[' + host.toUtf8() + "]:" + QByteArray::number(port);
}

FileTrust::FileTrust() : FileTrust(QDir::homePath() + QStringLiteral("/.ssh/known_hosts"), configFolder()) { }

FileTrust::FileTrust(const QString &sshKnownHosts, const QString &ownFolder) : ssh_(sshKnownHosts), own_(ownFolder) { }

Outcome FileTrust::check(const Identity &identity) const
{
    if (identity.kind == Identity::Kind::HostKey)
        return checkHostKey({ssh_, own_ + QStringLiteral("/known_hosts")}, identity);
    return checkCertificate(own_ + QStringLiteral("/pinned_certificates"), identity);
}

QByteArrayList FileTrust::keyTypes(const QString &host, int port) const
{
    const QByteArray name = hostName(host, port);
    QByteArrayList types;
    for (const QString &file : {ssh_, own_ + QStringLiteral("/known_hosts")})
        for (const QByteArray &line : lines(file)) {
            const QByteArrayList f = fields(line);
            if (f.size() >= 3 && !f[0].startsWith('@') && !f[0].startsWith('#') && forHost(f[0], name)
                && !types.contains(f[1]))
                types << f[1];
        }
    return types;
}

bool FileTrust::accept(const Identity &identity, QString *reason)
{
    const QString file = own_
        + (identity.kind == Identity::Kind::HostKey ? QStringLiteral("/known_hosts")
                                                    : QStringLiteral("/pinned_certificates"));
    QByteArray text;
    for (const QByteArray &line : lines(file))
        if (!line.isEmpty())
            text += line + '\n';
    text += identity.record.trimmed() + '\n';
    int error = QDir().mkpath(own_) ? 0 : ENOTDIR;
    if (!error)
        error = diskfile::replace(QFile::encodeName(file),
            [&](int fd) { return diskfile::writeAll(fd, text.constData(), size_t(text.size())); });
    if (error && reason)
        *reason = diskfile::reason(error);
    return !error;
}

} // namespace publish
