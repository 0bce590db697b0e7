#include "fileops/workcopy.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "textio/diskfile.h"

#include <cerrno>

#include <sys/stat.h>

namespace workcopy {

Result copyListed(
    const QString &dir, const QStringList &entries, const fileops::Progress &progress, const std::atomic_bool *cancel)
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
    const int total = int(entries.size());
    for (int i = 0; i < total; ++i) {
        if (cancel && cancel->load()) {
            r.untried = total - i;
            break;
        }
        const QString name = photoentry::fileName(entries[i]);
        const bool bare =
            !name.isEmpty() && !name.contains(u'/') && name != QLatin1String(".") && name != QLatin1String("..");
        int error = EINVAL;
        if (bare && safefile::copyReplacing(fsname::join(dir, name), fsname::join(target, name), &error))
            ++r.copied;
        else
            r.failed.push_back({name, error});
        if (progress)
            progress(i + 1, total);
    }
    return r;
}

QString report(const Result &result)
{
    if (result.folderError != 0)
        return QStringLiteral("作業ﾌｫﾙﾀﾞ %1 を作れませんでした（%2）。")
            .arg(folderName, safefile::reason(result.folderError));
    const QString failed = safefile::report(QStringLiteral("次のﾌｧｲﾙはｺﾋﾟｰできませんでした。"), result.failed);
    if (result.untried == 0)
        return failed;
    const QString cancelled =
        QStringLiteral("ｺﾋﾟｰを中止しました。\n%1 個のﾌｧｲﾙを %2 にｺﾋﾟｰし、残りの %3 個はｺﾋﾟｰしていません。")
            .arg(result.copied)
            .arg(folderName)
            .arg(result.untried);
    return failed.isEmpty() ? cancelled : cancelled + QStringLiteral("\n\n") + failed;
}

} // namespace workcopy
