#include "servers.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace servers {

namespace {

const QString host = QStringLiteral("127.0.0.1");

bool write(const QString &path, const QByteArray &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

bool listening(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

bool root() { return ::geteuid() == 0; }

QString userName()
{
    const passwd *pw = ::getpwuid(::geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

// Under root a server drops to another user, who must reach its folders.
void openUp(const QString &path, bool writable)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
            | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther
            | (writable ? QFile::WriteGroup | QFile::WriteOther : QFile::Permissions()));
}

// A self-signed certificate and its key in one PEM file, and the pin of its
// public key as libcurl takes one.
bool certificate(const QString &dir, QString *pin)
{
    const QString key = dir + QStringLiteral("/key.pem"), cert = dir + QStringLiteral("/cert.pem");
    run(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert, QStringLiteral("-subj"),
                QStringLiteral("/CN=kamerio.test"), QStringLiteral("-days"), QStringLiteral("2")});
    const QByteArray spki = run(QStringLiteral("openssl"),
        {QStringLiteral("pkey"), QStringLiteral("-in"), key, QStringLiteral("-pubout"), QStringLiteral("-outform"),
            QStringLiteral("DER")});
    QFile k(key), c(cert);
    if (spki.isEmpty() || !QFile::exists(cert) || !k.open(QIODevice::ReadOnly) || !c.open(QIODevice::ReadOnly))
        return false;
    *pin = QStringLiteral("SHA256:")
        + QString::fromLatin1(QCryptographicHash::hash(spki, QCryptographicHash::Sha256).toBase64());
    return write(dir + QStringLiteral("/both.pem"), k.readAll() + c.readAll());
}

// Starts a server under a shell that stops it once its input closes: when
// the fixture stops it, and as well when a test dies without stopping it.
void launch(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.start(QStringLiteral("sh"),
        QStringList{QStringLiteral("-c"), QStringLiteral("\"$@\" & read _; kill $!; wait"), QStringLiteral("server"),
            program}
            + arguments);
}

bool waitFor(QProcess &process, int port, QString *error)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (listening(port))
            return true;
        if (process.state() == QProcess::NotRunning) {
            *error = process.program() + QStringLiteral(" ended: ") + QString::fromLocal8Bit(process.readAll());
            return false;
        }
        QThread::msleep(20);
    }
    *error = process.program() + QStringLiteral(" does not listen");
    return false;
}

void startSshd(Server &s, QProcess &process, bool posixRename)
{
    const QString d = s.home();
    const QString hostKey = d + QStringLiteral("/host_key"), clientKey = d + QStringLiteral("/client_key");
    for (const QString &k : {hostKey, clientKey})
        if (QProcess::execute(QStringLiteral("ssh-keygen"),
                {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
                    QString(), QStringLiteral("-C"), QStringLiteral("kamerio-test"), QStringLiteral("-f"), k})
            != 0) {
            s.error = QStringLiteral("ssh-keygen failed");
            return;
        }
    QFile::copy(clientKey + QStringLiteral(".pub"), d + QStringLiteral("/authorized_keys"));
    const QByteArray printed = run(QStringLiteral("ssh-keygen"), {QStringLiteral("-lf"), hostKey + QStringLiteral(".pub")});
    QFile pub(hostKey + QStringLiteral(".pub"));
    pub.open(QIODevice::ReadOnly);
    const QList<QByteArray> key = pub.readAll().split(' ');
    s.identity.kind = publish::Identity::Kind::HostKey;
    s.identity.fingerprint = QString::fromLatin1(printed.split(' ').value(1));
    s.identity.record = "[" + host.toLatin1() + "]:" + QByteArray::number(s.site.port) + ' ' + key.value(0) + ' '
        + key.value(1).trimmed();
    // sshd wants its privilege separation folder, which a fresh machine lacks.
    if (root())
        QDir().mkpath(QStringLiteral("/run/sshd"));
    const QByteArray config = "Port " + QByteArray::number(s.site.port) + "\nListenAddress 127.0.0.1\nHostKey "
        + QFile::encodeName(hostKey) + "\nPidFile " + QFile::encodeName(d) + "/sshd.pid\nAuthorizedKeysFile "
        + QFile::encodeName(d) + "/authorized_keys\nStrictModes no\nUsePAM no\nPasswordAuthentication yes\n"
        + "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\nAllowTcpForwarding no\n"
        + "X11Forwarding no\nMaxStartups 100\nMaxSessions 100\nSubsystem sftp internal-sftp\n"
        + "ForceCommand internal-sftp -d " + QFile::encodeName(s.root) + (posixRename ? "" : " -P posix-rename")
        + "\n";
    write(d + QStringLiteral("/sshd_config"), config);
    s.site.user = userName();
    s.site.auth = publish::Site::Auth::Key;
    s.site.keyfile = clientKey;
    launch(process, QStringLiteral("/usr/sbin/sshd"),
        {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), d + QStringLiteral("/sshd_config")});
}

void startPureFtpd(Server &s, QProcess &process, bool tls)
{
    const QString d = s.home();
    // Under root the virtual user is nobody, never root; otherwise it is us.
    const uint uid = root() ? 65534 : ::geteuid(), gid = root() ? 65534 : ::getegid();
    if (root())
        openUp(s.root, true);
    s.site.user = QStringLiteral("kamerio");
    // pure-pw would hash with argon2id at a cost that makes every login take
    // seconds; the server takes any crypt() hash, so a SHA-512 one will do.
    const QByteArray hash = run(QStringLiteral("openssl"), {QStringLiteral("passwd"), QStringLiteral("-6"),
        QStringLiteral("-stdin")}, s.password.toUtf8() + '\n').trimmed();
    write(d + QStringLiteral("/passwd"), s.site.user.toUtf8() + ':' + hash + ':' + QByteArray::number(uid) + ':'
            + QByteArray::number(gid) + "::" + QFile::encodeName(s.root) + "/./::::::::::::\n");
    run(QStringLiteral("pure-pw"),
        {QStringLiteral("mkdb"), d + QStringLiteral("/users.pdb"), QStringLiteral("-f"), d + QStringLiteral("/passwd")});
    QStringList args{QStringLiteral("-S"), host + QLatin1Char(',') + QString::number(s.site.port), QStringLiteral("-l"),
        QStringLiteral("puredb:") + d + QStringLiteral("/users.pdb"), QStringLiteral("-E"), QStringLiteral("-A"),
        QStringLiteral("-H"), QStringLiteral("-D"), QStringLiteral("-u"), QStringLiteral("1"), QStringLiteral("-P"),
        host, QStringLiteral("-g"), d + QStringLiteral("/pure-ftpd.pid"), QStringLiteral("-Y"),
        tls ? QStringLiteral("3") : QStringLiteral("0")};
    if (tls) {
        if (!certificate(d, &s.identity.fingerprint)) {
            s.error = QStringLiteral("openssl failed");
            return;
        }
        s.identity.kind = publish::Identity::Kind::Certificate;
        s.identity.record = "[" + host.toLatin1() + "]:" + QByteArray::number(s.site.port) + ' '
            + s.identity.fingerprint.toLatin1();
        args << QStringLiteral("-2") << d + QStringLiteral("/both.pem");
    }
    launch(process, QStringLiteral("/usr/sbin/pure-ftpd"), args);
}

void startApache(Server &s, QProcess &process)
{
    const QString d = s.home();
    if (!certificate(d, &s.identity.fingerprint)) {
        s.error = QStringLiteral("openssl failed");
        return;
    }
    s.identity.kind = publish::Identity::Kind::Certificate;
    s.identity.record = "[" + host.toLatin1() + "]:" + QByteArray::number(s.site.port) + ' '
        + s.identity.fingerprint.toLatin1();
    s.site.user = QStringLiteral("kamerio");
    const QByteArray hash = QCryptographicHash::hash(s.password.toUtf8(), QCryptographicHash::Sha1).toBase64();
    write(d + QStringLiteral("/htpasswd"), s.site.user.toUtf8() + ":{SHA}" + hash + '\n');
    const QString locks = d + QStringLiteral("/locks");
    QDir().mkpath(locks);
    // Apache started by root serves as www-data, which must reach the
    // configuration's folders and write the shared one.
    if (root()) {
        openUp(d, false);
        openUp(s.root, true);
        openUp(locks, true);
        for (const QString &f : {QStringLiteral("/htpasswd"), QStringLiteral("/key.pem"), QStringLiteral("/cert.pem")})
            QFile::setPermissions(d + f, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    }
    const QByteArray dir = QFile::encodeName(d), modules = "/usr/lib/apache2/modules/";
    QByteArray config = "ServerRoot " + dir + "\nServerName 127.0.0.1\nPidFile " + dir + "/httpd.pid\nListen 127.0.0.1:"
        + QByteArray::number(s.site.port) + "\nErrorLog " + dir + "/error.log\nLogLevel warn\nMutex file:" + dir
        + " default\nUser www-data\nGroup www-data\n";
    for (const char *m : {"mpm_event", "authn_core", "authz_core", "auth_basic", "authn_file", "authz_user", "dav",
             "dav_fs", "ssl", "socache_shmcb"})
        config += QByteArray("LoadModule ") + m + "_module " + modules + "mod_" + m + ".so\n";
    config += "SSLEngine on\nSSLCertificateFile " + dir + "/cert.pem\nSSLCertificateKeyFile " + dir
        + "/key.pem\nSSLSessionCache shmcb:" + dir + "/ssl_cache(512000)\nDavLockDB " + QFile::encodeName(locks)
        + "/davlock\nDocumentRoot " + QFile::encodeName(s.root) + "\n<Directory " + QFile::encodeName(s.root)
        + ">\n  Dav On\n  AuthType Basic\n  AuthName kamerio\n  AuthUserFile " + dir
        + "/htpasswd\n  Require valid-user\n</Directory>\n";
    write(d + QStringLiteral("/httpd.conf"), config);
    launch(process, QStringLiteral("/usr/sbin/apache2"),
        {QStringLiteral("-X"), QStringLiteral("-d"), d, QStringLiteral("-f"), d + QStringLiteral("/httpd.conf")});
}

} // namespace

Server::~Server() { stop(); }

void Server::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

std::unique_ptr<Server> start(publish::Protocol protocol, bool posixRename)
{
    auto s = std::make_unique<Server>();
    if (!s->dir_.isValid()) {
        s->error = QStringLiteral("no temporary folder");
        return s;
    }
    s->root = s->dir_.path() + QStringLiteral("/www");
    QDir().mkpath(s->root);
    s->password = QStringLiteral("Kamerio-test-8f3e");
    s->site.protocol = protocol;
    s->site.host = host;
    s->site.port = freePort();
    s->site.folder = QString();
    s->process_.setProcessChannelMode(QProcess::MergedChannels);
    switch (protocol) {
    case publish::Protocol::Sftp: startSshd(*s, s->process_, posixRename); break;
    case publish::Protocol::Ftps: startPureFtpd(*s, s->process_, true); break;
    case publish::Protocol::Ftp: startPureFtpd(*s, s->process_, false); break;
    case publish::Protocol::WebDav: startApache(*s, s->process_); break;
    }
    if (s->running())
        waitFor(s->process_, s->site.port, &s->error);
    return s;
}

int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess p;
    p.start(program, arguments);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

Agent::Agent(const QString &keyfile) : oldSocket_(qgetenv("SSH_AUTH_SOCK"))
{
    const QString socket = dir_.path() + QStringLiteral("/agent");
    process_.start(QStringLiteral("ssh-agent"), {QStringLiteral("-D"), QStringLiteral("-a"), socket});
    qputenv("SSH_AUTH_SOCK", QFile::encodeName(socket));
    // The socket's file appears a moment before the agent listens on it.
    const QDeadlineTimer deadline(10000);
    while (!(ok_ = QProcess::execute(QStringLiteral("ssh-add"), {QStringLiteral("-q"), keyfile}) == 0)
           && !deadline.hasExpired())
        QThread::msleep(50);
}

Agent::~Agent()
{
    process_.terminate();
    process_.waitForFinished(5000);
    qputenv("SSH_AUTH_SOCK", oldSocket_);
}

} // namespace servers
