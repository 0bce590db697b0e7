#include "album/dropping.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"

#include <sys/stat.h>

namespace dropping {

namespace {

// Two spellings of one folder (a trailing separator, a link) are the same
// folder when they lead to the same place on disk.
bool sameFolder(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(fsname::encode(a).constData(), &sa) != 0 || ::stat(fsname::encode(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

QStringList localFiles(const QByteArray &uriList)
{
    QStringList paths;
    for (const QByteArray &line : uriList.split('\n')) {
        QByteArray uri = line.trimmed();
        if (!uri.toLower().startsWith("file:"))
            continue;
        uri.remove(0, 5);
        // "file:///a" and "file://localhost/a" name this machine's /a;
        // another host's files are none of ours.
        if (uri.startsWith("//")) {
            const qsizetype slash = uri.indexOf('/', 2);
            const QByteArray host = uri.mid(2, slash < 0 ? -1 : slash - 2);
            if (slash < 0 || !(host.isEmpty() || host.toLower() == "localhost"))
                continue;
            uri.remove(0, slash);
        }
        if (uri.startsWith('/'))
            paths.append(fsname::decode(QByteArray::fromPercentEncoding(uri)));
    }
    return paths;
}

Dropped inFolder(const QStringList &paths, const QString &folder, bool anyFile)
{
    Dropped d;
    for (QString path : paths) {
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        const qsizetype slash = path.lastIndexOf(u'/');
        const QString name = path.mid(slash + 1);
        if (name.isEmpty() || !sameFolder(slash == 0 ? QStringLiteral("/") : path.left(slash), folder))
            return Dropped{{}, 0, true};
        if (!name.startsWith(u'.') && fsname::isRegularFile(path))
            d.names.append(name);
    }
    fsname::sortNatural(d.names);
    const QStringList photos = photoentry::photosAmong(d.names, anyFile);
    d.notJpeg = d.names.size() - photos.size();
    d.names = photos;
    return d;
}

} // namespace dropping
