#include "album/photocheck.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"

#include <QSet>

#include <dirent.h>
#include <sys/stat.h>

#include <optional>

namespace photocheck {
namespace {

// A message names this many photos; the rest are counted.
constexpr int namesShown = 10;

bool isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(fsname::encode(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The regular files directly in folder, as the disk spells them: one pass
// over the folder costs less than looking up each photo on its own. Nothing
// when the folder cannot be listed.
std::optional<QSet<QByteArray>> regularFiles(const QString &folder)
{
    DIR *d = ::opendir(fsname::encode(folder).constData());
    if (!d)
        return std::nullopt;
    QSet<QByteArray> out;
    while (const dirent *e = ::readdir(d)) {
        struct stat st;
        if (e->d_type == DT_REG
            || ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0
                && S_ISREG(st.st_mode)))
            out.insert(QByteArray(e->d_name));
    }
    ::closedir(d);
    return out;
}

} // namespace

QStringList missing(const QStringList &entries, const QString &folder)
{
    QStringList out;
    QSet<QString> seen;
    const std::optional<QSet<QByteArray>> here = regularFiles(folder);
    for (const QString &entry : entries) {
        const QString name = photoentry::fileName(entry);
        if (photoentry::isBlank(name) || seen.contains(name))
            continue;
        seen.insert(name);
        // A name that reaches into a sub-folder is looked up where it leads.
        const bool found = here && !name.contains(u'/') ? here->contains(fsname::encode(name))
                                                         : isRegularFile(fsname::join(folder, name));
        if (!found)
            out.append(name);
    }
    return out;
}

QString message(const QStringList &missing)
{
    if (missing.isEmpty())
        return QString();
    QString text = QStringLiteral("写真リストの次の写真が、フォルダにありません。");
    for (qsizetype i = 0; i < missing.size() && i < namesShown; ++i)
        text += u'\n' + missing[i];
    if (missing.size() > namesShown)
        text += QStringLiteral("\nほか %1 枚").arg(missing.size() - namesShown);
    return text;
}

} // namespace photocheck
