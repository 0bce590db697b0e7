#include "publish/sftp.h"

#include "publish/common.h"
#include "publish/trust.h"

#include <QFile>
#include <QtEndian>

#include <libssh/libssh.h>

#include <deque>

namespace publish {

namespace {

enum : uchar {
    FxpInit = 1, FxpVersion = 2, FxpOpen = 3, FxpClose = 4, FxpWrite = 6, FxpOpendir = 11, FxpReaddir = 12,
    FxpRemove = 13, FxpMkdir = 14, FxpStat = 17, FxpRename = 18, FxpStatus = 101, FxpHandle = 102, FxpName = 104,
    FxpAttrs = 105, FxpExtended = 200,
};
constexpr quint32 FxOk = 0, FxNoSuchFile = 2, FxFailure = 4;
constexpr quint32 openWrite = 0x02 | 0x08 | 0x10; // write, create, truncate
constexpr quint32 attrPermissions = 0x04;
// Sixteen writes of 64 KiB on their way at once keep a loopback link busy;
// OpenSSH's server takes messages up to 256 KiB.
constexpr int block = 64 * 1024;
constexpr int inFlight = 16;
constexpr int timeoutMs = 30000;

struct Packet
{
    uchar type = 0;
    quint32 id = 0;
    QByteArray body; // after the id
    int pos = 0;
    quint32 u32()
    {
        if (pos + 4 > body.size())
            return 0;
        const quint32 v = qFromBigEndian<quint32>(body.constData() + pos);
        pos += 4;
        return v;
    }
    QByteArray string()
    {
        const quint32 n = u32();
        if (pos + qint64(n) > body.size())
            return {};
        const QByteArray s = body.mid(pos, int(n));
        pos += int(n);
        return s;
    }
    void skipAttrs()
    {
        const quint32 flags = u32();
        pos += (flags & 0x01 ? 8 : 0) + (flags & 0x02 ? 8 : 0) + (flags & 0x04 ? 4 : 0) + (flags & 0x08 ? 8 : 0);
        if (flags & 0x80000000)
            for (quint32 n = u32(); n > 0; --n) {
                string();
                string();
            }
    }
};

class Message
{
public:
    Message(uchar type, quint32 id) { data_.append(char(type)); u32(id); }
    Message &u32(quint32 v)
    {
        char b[4];
        qToBigEndian(v, b);
        data_.append(b, 4);
        return *this;
    }
    Message &u64(quint64 v)
    {
        char b[8];
        qToBigEndian(v, b);
        data_.append(b, 8);
        return *this;
    }
    Message &string(const QByteArray &s) { return string(s.constData(), s.size()); }
    Message &string(const char *s, qsizetype n)
    {
        u32(quint32(n));
        data_.append(s, n);
        return *this;
    }
    QByteArray framed() const
    {
        char b[4];
        qToBigEndian(quint32(data_.size()), b);
        return QByteArray(b, 4) + data_;
    }

private:
    QByteArray data_;
};

QString base64Unpadded(const unsigned char *data, size_t size)
{
    QByteArray b = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).toBase64();
    while (b.endsWith('='))
        b.chop(1);
    return QString::fromLatin1(b);
}

// Algorithms to ask for, the ones of the key types the user knows first.
QByteArray hostKeyOrder(const QByteArrayList &known)
{
    const QByteArrayList defaults{"ssh-ed25519", "ecdsa-sha2-nistp521", "ecdsa-sha2-nistp384", "ecdsa-sha2-nistp256",
        "rsa-sha2-512", "rsa-sha2-256"};
    QByteArrayList order;
    for (const QByteArray &type : known) {
        if (type == "ssh-rsa")
            order << "rsa-sha2-512" << "rsa-sha2-256";
        else if (defaults.contains(type))
            order << type;
    }
    for (const QByteArray &a : defaults)
        if (!order.contains(a))
            order << a;
    return order.join(',');
}

class Sftp : public Transport
{
public:
    Sftp(const Site &site, const Credentials &credentials, Trust &trust)
        : site_(site), credentials_(credentials), trust_(trust), temporary_(temporaryName())
    {
    }
    ~Sftp() override { close(); }

    Status open() override
    {
        close();
        session_ = ssh_new();
        const int port = site_.port ? site_.port : 22;
        const long timeout = 30;
        const bool no = false;
        const QByteArray host = site_.host.toUtf8(), user = site_.user.toUtf8();
        const QByteArray order = hostKeyOrder(trust_.keyTypes(site_.host, port));
        ssh_options_set(session_, SSH_OPTIONS_HOST, host.constData());
        ssh_options_set(session_, SSH_OPTIONS_PORT, &port);
        ssh_options_set(session_, SSH_OPTIONS_USER, user.constData());
        ssh_options_set(session_, SSH_OPTIONS_TIMEOUT, &timeout);
        ssh_options_set(session_, SSH_OPTIONS_PROCESS_CONFIG, &no);
        ssh_options_set(session_, SSH_OPTIONS_HOSTKEYS, order.constData());
        if (ssh_connect(session_) != SSH_OK)
            return lost(noConnection(site_, QString::fromUtf8(ssh_get_error(session_))));
        if (Status s = checkHostKey(port); !s.ok())
            return lost(s);
        if (Status s = login(); !s.ok())
            return lost(s);
        channel_ = ssh_channel_new(session_);
        if (!channel_ || ssh_channel_open_session(channel_) != SSH_OK
            || ssh_channel_request_subsystem(channel_, "sftp") != SSH_OK)
            return lost(noConnection(site_, QString::fromUtf8(ssh_get_error(session_))));
        QByteArray init;
        init.append(char(FxpInit));
        char v[4];
        qToBigEndian(quint32(3), v);
        init.append(v, 4);
        char b[4];
        qToBigEndian(quint32(init.size()), b);
        Packet p;
        if (!write(QByteArray(b, 4) + init) || !read(&p, true) || p.type != FxpVersion)
            return lost(noConnection(site_, QStringLiteral("SFTP")));
        // The version packet has no id, only the version and the extensions.
        p.u32();
        while (p.pos < p.body.size()) {
            const QByteArray name = p.string(), data = p.string();
            if (name == "posix-rename@openssh.com" && data == "1")
                posixRename_ = true;
        }
        // Whether the server does what it names: renaming a file that is not
        // there is refused as such where posix-rename works.
        if (posixRename_) {
            if (!call(Message(FxpExtended, ++id_).string("posix-rename@openssh.com").string(temporary_).string(
                          temporary_ + ".none"),
                    &p))
                return dropped();
            posixRename_ = statusOf(p) == FxNoSuchFile;
        }
        return {};
    }

    Status makeFolder(const QByteArray &path) override
    {
        QByteArray prefix = path.startsWith('/') ? "/" : "";
        for (const QByteArray &part : path.split('/')) {
            if (part.isEmpty())
                continue;
            prefix += part;
            Packet p;
            if (!call(Message(FxpStat, ++id_).string(prefix), &p))
                return dropped();
            if (p.type != FxpAttrs) {
                if (!call(Message(FxpMkdir, ++id_).string(prefix).u32(attrPermissions).u32(0755), &p))
                    return dropped();
                if (statusOf(p) != FxOk)
                    return failure(Outcome::Failed,
                        QStringLiteral("ﾌｫﾙﾀﾞ %1 を作れません。(%2)").arg(QString::fromUtf8(prefix), message(p)));
            }
            prefix += '/';
        }
        return {};
    }

    Status put(const QByteArray &local, const QByteArray &remote, const Sent &sent,
        const std::atomic_bool *cancel) override
    {
        QFile file(QFile::decodeName(local));
        if (!file.open(QIODevice::ReadOnly))
            return fileFailed(remote, file.errorString());
        const QByteArray temporary = folderOf(remote) + temporary_;
        Packet p;
        if (!call(Message(FxpOpen, ++id_).string(temporary).u32(openWrite).u32(attrPermissions).u32(0644), &p))
            return dropped();
        if (p.type != FxpHandle)
            return fileFailed(remote, message(p));
        const QByteArray handle = p.string();
        const Status written = send(file, handle, remote, sent, cancel);
        if (!call(Message(FxpClose, ++id_).string(handle), &p))
            return dropped();
        Status s = written.ok() && statusOf(p) != FxOk ? fileFailed(remote, message(p)) : written;
        if (s.ok())
            s = rename(temporary, remote);
        if (!s.ok() && s.outcome != Outcome::NoConnection)
            call(Message(FxpRemove, ++id_).string(temporary), &p);
        return s;
    }

    Status remove(const QByteArray &remote) override
    {
        Packet p;
        if (!call(Message(FxpRemove, ++id_).string(remote), &p))
            return dropped();
        const quint32 status = statusOf(p);
        if (status == FxOk || status == FxNoSuchFile)
            return {};
        return failure(Outcome::Failed,
            QStringLiteral("%1 を削除できません。(%2)").arg(QString::fromUtf8(remote), message(p)));
    }

    Status removeLeftovers(const QByteArray &folder) override
    {
        Packet p;
        if (!call(Message(FxpOpendir, ++id_).string(folder.isEmpty() ? "." : folder), &p))
            return dropped();
        if (p.type != FxpHandle)
            return statusOf(p) == FxNoSuchFile ? Status{} : failure(Outcome::Failed, message(p));
        const QByteArray handle = p.string();
        QByteArrayList leftovers;
        for (;;) {
            if (!call(Message(FxpReaddir, ++id_).string(handle), &p))
                return dropped();
            if (p.type != FxpName)
                break;
            for (quint32 n = p.u32(); n > 0; --n) {
                const QByteArray name = p.string();
                p.string();
                p.skipAttrs();
                if (isTemporaryName(name))
                    leftovers << name;
            }
        }
        call(Message(FxpClose, ++id_).string(handle), &p);
        const QByteArray prefix = folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/';
        for (const QByteArray &name : leftovers)
            if (Status s = remove(prefix + name); !s.ok())
                return s;
        return {};
    }

    bool atomicReplace() const override { return posixRename_; }

private:
    Status send(QFile &file, const QByteArray &handle, const QByteArray &remote, const Sent &sent,
        const std::atomic_bool *cancel)
    {
        std::deque<qint64> waiting; // the sizes of the writes not yet answered
        quint64 offset = 0;
        qint64 acknowledged = 0;
        QByteArray buffer(block, Qt::Uninitialized);
        Status result;
        bool end = false;
        Packet p;
        for (;;) {
            if (result.ok() && !end && !(cancel && cancel->load()) && waiting.size() < inFlight) {
                const qint64 n = file.read(buffer.data(), block);
                if (n < 0)
                    result = fileFailed(remote, file.errorString());
                end = n == 0;
                if (n <= 0)
                    continue;
                if (!write(Message(FxpWrite, ++id_).string(handle).u64(offset).string(buffer.constData(), n).framed()))
                    return dropped();
                waiting.push_back(n);
                offset += quint64(n);
                continue;
            }
            if (waiting.empty())
                break;
            if (!read(&p))
                return dropped();
            acknowledged += waiting.front();
            waiting.pop_front();
            if (statusOf(p) != FxOk && result.ok())
                result = fileFailed(remote, message(p));
            else if (sent && result.ok())
                sent(acknowledged);
        }
        if (result.ok() && !end)
            return failure(Outcome::Cancelled, QString());
        return result;
    }

    // Over the old file in one step where the server can; elsewhere the old
    // file goes first and a reader finds none for a moment.
    Status rename(const QByteArray &from, const QByteArray &to)
    {
        Packet p;
        if (posixRename_) {
            if (!call(Message(FxpExtended, ++id_).string("posix-rename@openssh.com").string(from).string(to), &p))
                return dropped();
            return statusOf(p) == FxOk ? Status{} : fileFailed(to, message(p));
        }
        if (!call(Message(FxpRename, ++id_).string(from).string(to), &p))
            return dropped();
        if (statusOf(p) != FxOk) {
            if (!call(Message(FxpRemove, ++id_).string(to), &p)
                || !call(Message(FxpRename, ++id_).string(from).string(to), &p))
                return dropped();
        }
        return statusOf(p) == FxOk ? Status{} : fileFailed(to, message(p));
    }

    Status checkHostKey(int port)
    {
        ssh_key key = nullptr;
        if (ssh_get_server_publickey(session_, &key) != SSH_OK)
            return noConnection(site_, QString::fromUtf8(ssh_get_error(session_)));
        unsigned char *hash = nullptr;
        size_t length = 0;
        char *blob = nullptr;
        Identity identity;
        identity.kind = Identity::Kind::HostKey;
        identity.host = site_.host;
        identity.port = port;
        if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == 0
            && ssh_pki_export_pubkey_base64(key, &blob) == SSH_OK) {
            identity.fingerprint = QStringLiteral("SHA256:") + base64Unpadded(hash, length);
            identity.record = hostName(site_.host, port) + ' ' + ssh_key_type_to_char(ssh_key_type(key)) + ' ' + blob;
        }
        ssh_clean_pubkey_hash(&hash);
        ssh_string_free_char(blob);
        ssh_key_free(key);
        const Outcome outcome = identity.fingerprint.isEmpty() ? Outcome::ChangedIdentity : trust_.check(identity);
        if (outcome == Outcome::Ok)
            return {};
        const QString text = outcome == Outcome::UnknownIdentity
            ? QStringLiteral("ｻｰﾊﾞｰ %1 の鍵はまだ確認されていません。指紋: %2")
            : QStringLiteral("ｻｰﾊﾞｰ %1 の鍵が記録と違います。なりすましの恐れがあるため接続を中止しました。指紋: %2");
        return {outcome, text.arg(site_.host, identity.fingerprint), identity};
    }

    Status login()
    {
        const QByteArray password = credentials_.password.toUtf8();
        int rc = SSH_AUTH_DENIED;
        switch (site_.auth) {
        case Site::Auth::Password: rc = ssh_userauth_password(session_, nullptr, password.constData()); break;
        case Site::Auth::Agent: rc = ssh_userauth_agent(session_, nullptr); break;
        case Site::Auth::Key: {
            ssh_key key = nullptr;
            if (ssh_pki_import_privkey_file(QFile::encodeName(site_.keyfile).constData(),
                    password.isEmpty() ? nullptr : password.constData(), nullptr, nullptr, &key)
                != SSH_OK)
                return failure(Outcome::LoginRefused,
                    QStringLiteral("鍵ﾌｧｲﾙ %1 を読めません。").arg(site_.keyfile));
            rc = ssh_userauth_publickey(session_, nullptr, key);
            ssh_key_free(key);
            break;
        }
        }
        if (rc == SSH_AUTH_SUCCESS)
            return {};
        if (rc == SSH_AUTH_ERROR && ssh_get_status(session_) & (SSH_CLOSED | SSH_CLOSED_ERROR))
            return noConnection(site_, QString::fromUtf8(ssh_get_error(session_)));
        return loginRefused();
    }

    bool write(const QByteArray &data)
    {
        if (!channel_)
            return false;
        qsizetype done = 0;
        while (done < data.size()) {
            const int n = ssh_channel_write(channel_, data.constData() + done, uint32_t(data.size() - done));
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    bool readExactly(char *to, int size)
    {
        if (!channel_)
            return false;
        int done = 0;
        while (done < size) {
            const int n = ssh_channel_read_timeout(channel_, to + done, uint32_t(size - done), 0, timeoutMs);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    bool read(Packet *p, bool withoutId = false)
    {
        char head[5];
        if (!readExactly(head, 5))
            return false;
        const quint32 length = qFromBigEndian<quint32>(head);
        if (length < 1 || length > 1024 * 1024)
            return false;
        p->type = uchar(head[4]);
        p->body.resize(length - 1);
        p->pos = 0;
        if (!readExactly(p->body.data(), int(length - 1)))
            return false;
        p->id = withoutId ? 0 : p->u32();
        return true;
    }

    bool call(const Message &m, Packet *p) { return write(m.framed()) && read(p); }

    static quint32 statusOf(Packet &p)
    {
        if (p.type != FxpStatus)
            return p.type == FxpHandle || p.type == FxpAttrs || p.type == FxpName ? FxOk : FxFailure;
        const int at = p.pos;
        const quint32 code = p.u32();
        p.pos = at;
        return code;
    }

    static QString message(Packet &p)
    {
        if (p.type != FxpStatus)
            return QStringLiteral("SFTP %1").arg(p.type);
        p.u32();
        return QString::fromUtf8(p.string());
    }

    Status dropped()
    {
        return lost(failure(Outcome::NoConnection,
            QStringLiteral("ｻｰﾊﾞｰ %1 との接続が切れました。").arg(site_.host)));
    }

    Status lost(Status s)
    {
        close();
        return s;
    }

    void close()
    {
        if (channel_) {
            ssh_channel_free(channel_);
            channel_ = nullptr;
        }
        if (session_) {
            ssh_disconnect(session_);
            ssh_free(session_);
            session_ = nullptr;
        }
        posixRename_ = false;
    }

    Site site_;
    Credentials credentials_;
    Trust &trust_;
    QByteArray temporary_;
    ssh_session session_ = nullptr;
    ssh_channel channel_ = nullptr;
    quint32 id_ = 0;
    bool posixRename_ = false;
};

} // namespace

std::unique_ptr<Transport> makeSftp(const Site &site, const Credentials &credentials, Trust &trust)
{
    return std::make_unique<Sftp>(site, credentials, trust);
}

} // namespace publish
