// SFTP through libssh, speaking the SFTP protocol (version 3) on an SSH
// channel itself: libssh 0.10 neither waits for several writes at once nor
// knows OpenSSH's posix-rename, and both are what makes sending fast and a
// replace atomic.
#pragma once

#include "publish/transport.h"

namespace publish {

std::unique_ptr<Transport> makeSftp(const Site &site, const Credentials &credentials, Trust &trust);

} // namespace publish
