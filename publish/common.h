// What every transport shares: its temporary names, the reasons it gives
// and the refusal of plain http anywhere but this machine.
#pragma once

#include "publish/transport.h"

namespace publish {

// A name of this connection's own for a file on its way to its place:
// Kamerio's and nobody else's, so leftovers can be told from the user's files.
QByteArray temporaryName();
bool isTemporaryName(const QByteArray &name);

// The folder part of a remote path ("" or ending in "/") and its last name.
QByteArray folderOf(const QByteArray &path);
QByteArray nameOf(const QByteArray &path);

bool isLoopback(const QString &host);

Status failure(Outcome outcome, const QString &reason);
Status noConnection(const Site &site, const QString &detail);
Status loginRefused();
Status fileFailed(const QByteArray &remote, const QString &detail);

} // namespace publish
