#include "screens/browselogic.h"

#include "fileops/fsname.h"

namespace browselogic {

bool isPage(const QString &path)
{
    return path.right(4).toLower() == u"html" || path.right(3).toLower() == u"htm";
}

QUrl fileUrl(const QString &path)
{
    if (fsname::isPlain(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + fsname::encode(path).toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace browselogic
