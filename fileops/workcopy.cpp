#include "fileops/workcopy.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "textio/diskfile.h"

#include <cerrno>

#include <sys/stat.h>

namespace workcopy {

Result copyListed(const QString &dir, const QStringList &entries)
{
    Result r;
    const QString target = fsname::join(dir, folderName);
    const QByteArray raw = fsname::encode(target);
    const int made = mkdir(raw.constData(), 0777) == 0 ? 0 : diskfile::creationError(errno);
    struct stat st;
    if (stat(raw.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        // EEXIST: something other than a folder holds the name.
        r.folderError = made != 0 ? made : EEXIST;
        return r;
    }
    for (const QString &entry : entries) {
        const QString name = photoentry::fileName(entry);
        const bool bare = !name.isEmpty() && !name.contains(u'/') && name != QLatin1String(".")
                          && name != QLatin1String("..");
        int error = EINVAL;
        if (bare && safefile::copyReplacing(fsname::join(dir, name), fsname::join(target, name), &error)) {
            ++r.copied;
            continue;
        }
        r.failed.push_back({name, error});
    }
    return r;
}

} // namespace workcopy
