// Real servers for the publishing tests: OpenSSH's sshd (SFTP), pure-ftpd
// (FTP with TLS required, or plain) and Apache with mod_dav_fs (WebDAV over
// https). Each runs from its own configuration in a temporary folder, on
// 127.0.0.1 and a free port, and is stopped when the object goes.
#pragma once

#include "publish/transport.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace servers {

class Server
{
public:
    ~Server();
    // Where to publish, and the password that logs in (the client key for SFTP).
    publish::Site site;
    QString password;
    // The local folder that is the site's remote folder.
    QString root;
    // How the server proves itself, as the user would be shown it.
    publish::Identity identity;
    // Why it did not start, empty when it runs.
    QString error;
    bool running() const { return error.isEmpty(); }
    // The folder of the server's own files (keys, configuration, logs).
    QString home() const { return dir_.path(); }
    // Stops the server; a later connection finds no one listening.
    void stop();

private:
    friend std::unique_ptr<Server> start(publish::Protocol, bool);
    QTemporaryDir dir_;
    QProcess process_;
};

// Starts a server of that protocol (Ftp: pure-ftpd without TLS). An SFTP
// server can be told to refuse OpenSSH's atomic posix-rename, as servers
// without it behave.
std::unique_ptr<Server> start(publish::Protocol protocol, bool posixRename = true);

// A port nothing listens on, for the case of no server at all.
int freePort();

// Runs a program and gives its standard output; empty when it failed.
QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {});

// A running ssh-agent holding the key file; SSH_AUTH_SOCK points at it
// while the object lives.
class Agent
{
public:
    explicit Agent(const QString &keyfile);
    ~Agent();
    bool running() const { return ok_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QByteArray oldSocket_;
    bool ok_ = false;
};

} // namespace servers
