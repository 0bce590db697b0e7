#include "album/photocheck.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "textio/excerpt.h"


#include <unordered_set>

#include <dirent.h>
#include <sys/stat.h>

#include <optional>

namespace photocheck {
namespace {

// A message names this many photos; the rest are counted.
constexpr int namesShown = 10;

// Names looked up by view: a photo's name is never copied out of its entry.
struct Hash
{
    using is_transparent = void;
    size_t operator()(QStringView s) const { return qHash(s); }
};
struct Equal
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const { return a == b; }
};
using Names = std::unordered_set<QString, Hash, Equal>;

// The regular files directly in folder, named as the program names them:
// one pass over the folder costs less than looking up each photo on its own.
// Nothing when the folder cannot be listed.
std::optional<Names> regularFiles(const QString &folder)
{
    DIR *d = ::opendir(fsname::encode(folder).constData());
    if (!d)
        return std::nullopt;
    Names out;
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
    std::unordered_set<QStringView, Hash> named;
    const std::optional<Names> here = regularFiles(folder);
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
