// The identities the user accepted, read from the files OpenSSH and Kamerio
// keep them in: ~/.ssh/known_hosts (read only; hashed host names too) and
// known_hosts and pinned_certificates under $XDG_CONFIG_HOME/kamerio/.
#pragma once

#include "publish/transport.h"

namespace publish {

class FileTrust : public Trust
{
public:
    // The files of the user running Kamerio.
    FileTrust();
    FileTrust(const QString &sshKnownHosts, const QString &ownFolder);
    Outcome check(const Identity &identity) const override;
    bool accept(const Identity &identity, QString *reason) override;
    QByteArrayList keyTypes(const QString &host, int port) const override;

private:
    QString ssh_;
    QString own_;
};

// How OpenSSH names a host on a port in known_hosts: "host", or "[host]:port"
// when the port is not 22; the pinned certificates use the bracketed form.
QByteArray hostName(const QString &host, int port);

} // namespace publish
