#include "album/photocheck.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"

#include <QSet>

#include <sys/stat.h>

namespace photocheck {
namespace {

// A message names this many photos; the rest are counted.
constexpr int namesShown = 10;

bool isRegularFile(const QString &path)
{
    struct stat st;
    return ::stat(fsname::encode(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

QStringList missing(const QStringList &entries, const QString &folder)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &entry : entries) {
        const QString name = photoentry::fileName(entry);
        if (photoentry::isBlank(name) || seen.contains(name))
            continue;
        seen.insert(name);
        if (!isRegularFile(fsname::join(folder, name)))
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
