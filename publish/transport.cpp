#include "publish/transport.h"

#include "publish/curl.h"
#include "publish/sftp.h"

namespace publish {

std::unique_ptr<Transport> makeTransport(const Site &site, const Credentials &credentials, Trust &trust)
{
    if (site.protocol == Protocol::Sftp)
        return makeSftp(site, credentials, trust);
    return makeCurl(site, credentials, trust);
}

} // namespace publish
