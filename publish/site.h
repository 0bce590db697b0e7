// The site as the settings group "publish" and kamerio publish --site name
// it, and the addresses that follow from it.
#pragma once

#include "publish/transport.h"

#include <QSettings>
#include <QString>

#include <optional>

namespace publish {

// The protocol's name in the settings and in --site.
QString protocolName(Protocol protocol);

// The stored site; nothing when no host is stored.
std::optional<Site> storedSite(QSettings &settings);
void storeSite(QSettings &settings, const Site &site);

// sftp://user@host:port/folder/, ftps://, davs:// (WebDAV over https),
// dav:// (http, 127.0.0.1 alone) or ftp://; nothing with *error set when
// the address is none of them. The folder "/" alone, and one under "/~/",
// is the folder the login lands in (for WebDAV the address's root).
std::optional<Site> parseSite(const QString &address, QString *error);

// Why a site cannot be used as it is, or empty.
QString siteProblem(const Site &site);

// The remote folder of an album: the album's subfolder in the site's folder
// (an empty one is where the login lands).
QByteArray remoteFolder(const Site &site, const QString &subfolder);
// What the ledger of an album on site is known by: no password, ever.
QString ledgerKey(const Site &site, const QString &subfolder);
// The public address of a file of the album; empty when the site has none.
QString publicAddress(const Site &site, const QString &subfolder, const QString &path);

} // namespace publish
