// One connection to the user's web space, whatever the protocol. Publishing
// plans what to send (a pure function of the album folder and the ledger of
// what was sent) and drives a transport; a transport only moves files and
// makes sure the server is the one the user trusted.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace publish {

enum class Protocol { Sftp, Ftps, WebDav, Ftp };

// Where an album goes. Stored in the settings group "publish"; never a password.
struct Site
{
    Protocol protocol = Protocol::Sftp;
    QString host;
    int port = 0; // 0: the protocol's own port
    QString user;
    QString folder; // the remote folder of the albums, "/" separated
    QString url; // the public address of that folder
    enum class Auth { Password, Key, Agent } auth = Auth::Password;
    QString keyfile; // for Auth::Key
    bool tls = true; // WebDAV only: false is http, allowed to 127.0.0.1 alone
    bool operator==(const Site &) const = default;
};

// How the server proved who it is, for the user to accept or refuse.
struct Identity
{
    enum class Kind { HostKey, Certificate } kind = Kind::HostKey;
    QString host;
    int port = 0;
    // "SHA256:" and the unpadded base64 of the key's SHA-256, as ssh-keygen -lf
    // prints it, for a host key; "SHA256:" and the padded base64 SHA-256 of the
    // DER SubjectPublicKeyInfo, as libcurl pins one, for a certificate.
    QString fingerprint;
    // The line kept once the user accepts: an OpenSSH known_hosts line, or a
    // line of pinned_certificates.
    QByteArray record;
    bool operator==(const Identity &) const = default;
};

// How a step ended. The numbers of kamerio publish's exit status follow from it.
enum class Outcome {
    Ok,
    UnknownIdentity, // first contact: the user may accept the identity
    ChangedIdentity, // differs from what was accepted: a hard stop
    LoginRefused,
    NoConnection,
    Failed, // this file could not be sent or removed; the run goes on with others
    Cancelled,
};

struct Status
{
    Outcome outcome = Outcome::Ok;
    QString reason; // Japanese, for the user; never holds a password
    std::optional<Identity> identity; // with UnknownIdentity and ChangedIdentity
    bool ok() const { return outcome == Outcome::Ok; }
};

// What proves the user: a password (from --password-stdin, the keyring or a
// question), or for SFTP a key file or the running ssh-agent as Site says.
struct Credentials
{
    QString password;
};

// The identities the user accepted: ~/.ssh/known_hosts and Kamerio's own
// known_hosts and pinned_certificates under $XDG_CONFIG_HOME/kamerio/. An
// identity accepted in this run (the window's question, --accept-…) is added
// with accept(), which also keeps it in Kamerio's own file.
class Trust
{
public:
    virtual ~Trust() = default;
    // Ok when known; UnknownIdentity or ChangedIdentity otherwise.
    virtual Outcome check(const Identity &identity) const = 0;
    virtual bool accept(const Identity &identity, QString *reason) = 0;
    // The host key types recorded for a host, which SFTP asks the server for
    // first so that a server with several keys shows one the user knows.
    virtual QByteArrayList keyTypes(const QString &host, int port) const
    {
        Q_UNUSED(host);
        Q_UNUSED(port);
        return {};
    }
};

using Sent = std::function<void(qint64 bytes)>;

// Remote paths are "/" separated: one that starts with "/" is from the
// server's root, any other from the folder the login lands in (for WebDAV,
// the root of the address). A transport is used by one thread at a time; a
// dropped connection is reported (NoConnection) and the caller opens a new
// transport to retry.
class Transport
{
public:
    virtual ~Transport() = default;

    // Connects, checks the server's identity against trust, logs in.
    virtual Status open() = 0;
    // Makes a remote folder and its parents; an existing one is fine.
    virtual Status makeFolder(const QByteArray &path) = 0;
    // Sends a local file to a remote path so that a reader sees either the
    // old file or the whole new one, wherever the server allows. sent is
    // told the bytes sent so far; cancel is looked at between blocks and
    // leaves the old remote file as it was.
    virtual Status put(const QByteArray &local, const QByteArray &remote, const Sent &sent,
        const std::atomic_bool *cancel) = 0;
    virtual Status remove(const QByteArray &remote) = 0;
    // Removes what an interrupted run of Kamerio left in a remote folder
    // (its temporary names), nothing else.
    virtual Status removeLeftovers(const QByteArray &folder) = 0;
    // Whether put replaces a file in one step on this server.
    virtual bool atomicReplace() const = 0;
};

std::unique_ptr<Transport> makeTransport(const Site &site, const Credentials &credentials, Trust &trust);

} // namespace publish
