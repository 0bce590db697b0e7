// FTP (with TLS required, or plain behind the user's own choice) and WebDAV
// through libcurl: one handle per transport, so the connection, its TLS
// session and the FTP control connection are kept from file to file.
#pragma once

#include "publish/transport.h"

namespace publish {

std::unique_ptr<Transport> makeCurl(const Site &site, const Credentials &credentials, Trust &trust);

} // namespace publish
