#include "album/dropping.h"

#include "fileops/fsname.h"

#include <sys/stat.h>

namespace dropping {

namespace {

// The path as the disk spells it: a name that is not UTF-8 arrives
// percent-encoded and must come back as the same bytes.
QString localPath(const QUrl &url)
{
    return fsname::decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

// Two spellings of one folder (a trailing separator, a link) are the same
// folder when they lead to the same place on disk.
bool sameFolder(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(fsname::encode(a).constData(), &sa) != 0 || ::stat(fsname::encode(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(fsname::encode(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

Dropped fromUrls(const QList<QUrl> &urls, const QString &folder)
{
    Dropped d;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        QString path = localPath(url);
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        const qsizetype slash = path.lastIndexOf(u'/');
        const QString parent = slash <= 0 ? QStringLiteral("/") : path.left(slash);
        const QString name = path.mid(slash + 1);
        if (slash < 0 || name.isEmpty() || !sameFolder(parent, folder))
            return Dropped{{}, true};
        if (!name.startsWith(u'.') && isRegularFile(path))
            d.names.append(name);
    }
    fsname::sortNatural(d.names);
    return d;
}

bool anyLocalFile(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            return true;
    return false;
}

} // namespace dropping
