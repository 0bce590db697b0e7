#include "album/photocheck.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "textio/excerpt.h"
#include "textio/viewset.h"

#include <dirent.h>
#include <sys/stat.h>

#include <optional>

namespace photocheck {
namespace {

// A message names this many photos; the rest are counted.
constexpr int namesShown = 10;

// The regular files directly in folder, named as the program names them:
// one pass over the folder costs less than looking up each photo on its own.
// Nothing when the folder cannot be listed.
std::optional<viewset::Names> regularFiles(const QString &folder)
{
    DIR *d = ::opendir(fsname::encode(folder).constData());
    if (!d)
        return std::nullopt;
    viewset::Names out;
    while (const dirent *e = ::readdir(d)) {
        struct stat st;
        if (e->d_type == DT_REG
            || ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0
                && S_ISREG(st.st_mode)))
            out.insert(fsname::decode(QByteArrayView(e->d_name)));
    }
    ::closedir(d);
    return out;
}

} // namespace

QStringList missing(const QStringList &entries, const QString &folder)
{
    QStringList out;
    // Views into entries, which outlive this call: no copy per photo named.
    viewset::Views named;
    const std::optional<viewset::Names> here = regularFiles(folder);
    for (const QString &entry : entries) {
        const QStringView name = photoentry::fileNameView(entry);
        if (photoentry::isBlank(name))
            continue;
        // A name that reaches into a sub-folder is looked up where it leads.
        const bool found = here && !name.contains(u'/')
                               ? here->find(name) != here->end()
                               : fsname::isRegularFile(fsname::join(folder, name.toString()));
        if (!found && named.insert(name).second)
            out.append(name.toString());
    }
    return out;
}

QString message(const QStringList &missing)
{
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("写真リストの次の写真が、フォルダにありません。\n")
           + excerpt::firstFew(missing, namesShown, u'\n', QStringLiteral("ほか %1 枚"));
}

} // namespace photocheck
