#include "fileops/safefile.h"

#include "fileops/fsname.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace safefile {

namespace {

bool fail(int *error, int value)
{
    if (error)
        *error = value;
    return false;
}

// The folder part and the name part of a path, a trailing "/" ignored.
std::pair<QString, QString> split(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype i = path.lastIndexOf(u'/');
    if (i < 0)
        return {QStringLiteral("."), path};
    return {i == 0 ? QStringLiteral("/") : path.left(i), path.mid(i + 1)};
}

// A visible name, so that a file left under it by a failure still shows in
// the file pane.
QString temporaryName(const QString &dir)
{
    static unsigned counter = 0;
    return fsname::join(dir, QStringLiteral("kamerio-tmp-%1-%2").arg(getpid()).arg(++counter));
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0;
}

// Only for file systems that offer neither an exclusive rename nor links
// (FAT through FUSE, say): the target is looked up right before the rename.
bool renameIfAbsent(const QByteArray &from, const QByteArray &to, int *error)
{
    if (exists(to))
        return fail(error, EEXIST);
    if (::rename(from.constData(), to.constData()) != 0)
        return fail(error, errno);
    return true;
}

bool linkThenUnlink(const QByteArray &from, const QByteArray &to, int *error, bool *noLinks)
{
    if (link(from.constData(), to.constData()) != 0) {
        const int e = errno;
        *noLinks = e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EMLINK;
        return fail(error, e);
    }
    if (unlink(from.constData()) != 0) {
        const int e = errno;
        unlink(to.constData());
        return fail(error, e);
    }
    return true;
}

// Rename that fails with EEXIST when the target name is in use.
bool renameExclusive(const QString &from, const QString &to, int *error)
{
    const QByteArray f = fsname::encode(from);
    const QByteArray t = fsname::encode(to);
    if (syscall(SYS_renameat2, AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    const int e = errno;
    if (e != EINVAL && e != ENOSYS && e != EOPNOTSUPP)
        return fail(error, e);
    struct stat st;
    if (lstat(f.constData(), &st) != 0)
        return fail(error, errno);
    if (S_ISDIR(st.st_mode))
        return renameIfAbsent(f, t, error);
    bool noLinks = false;
    if (linkThenUnlink(f, t, error, &noLinks))
        return true;
    return noLinks && renameIfAbsent(f, t, error);
}

// True when to names the entry from under another letter case: the lookup
// finds it although the folder holds no entry spelt exactly so.
bool sameEntryOtherCase(const QString &from, const QString &to)
{
    const auto [fromDir, fromName] = split(from);
    const auto [toDir, toName] = split(to);
    if (fromDir != toDir || fromName == toName || fromName.compare(toName, Qt::CaseInsensitive) != 0)
        return false;
    return !entries(toDir).contains(toName);
}

} // namespace

QSet<QString> entries(const QString &dir)
{
    QSet<QString> names;
    DIR *d = opendir(fsname::encode(dir).constData());
    if (!d)
        return names;
    while (dirent *e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.insert(fsname::decode(QByteArrayView(e->d_name)));
    }
    closedir(d);
    return names;
}

bool rename(const QString &from, const QString &to, int *error)
{
    int e = 0;
    if (renameExclusive(from, to, &e))
        return true;
    if (e != EEXIST || !sameEntryOtherCase(from, to))
        return fail(error, e);
    // Both names are the one file: step aside under a free name first.
    const QString dir = split(from).first;
    QString aside;
    for (int attempt = 0; attempt < 100; ++attempt) {
        aside = temporaryName(dir);
        if (renameExclusive(from, aside, &e))
            break;
        aside.clear();
        if (e != EEXIST)
            return fail(error, e);
    }
    if (aside.isEmpty())
        return fail(error, e);
    if (renameExclusive(aside, to, &e))
        return true;
    int back = 0;
    renameExclusive(aside, from, &back);
    return fail(error, e);
}

bool renameByLink(const QString &from, const QString &to, int *error)
{
    bool noLinks = false;
    return linkThenUnlink(fsname::encode(from), fsname::encode(to), error, &noLinks);
}

bool copyReplacing(const QString &from, const QString &to, int *error)
{
    // Without O_NONBLOCK a pipe would wait for a writer before it could be
    // refused; on a regular file the flag changes nothing.
    const int in = open(fsname::encode(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return fail(error, errno);
    struct Closer
    {
        int fd;
        ~Closer() { close(fd); }
    } closeIn{in};
    struct stat src;
    if (fstat(in, &src) != 0)
        return fail(error, errno);
    if (!S_ISREG(src.st_mode))
        return fail(error, S_ISDIR(src.st_mode) ? EISDIR : EINVAL);
    struct stat dst;
    if (stat(fsname::encode(to).constData(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
        return fail(error, sameFileError);

    const QString dir = split(to).first;
    QByteArray temp;
    int out = -1;
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
        temp = fsname::encode(temporaryName(dir));
        out = open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out < 0 && errno != EEXIST)
            return fail(error, errno);
    }
    if (out < 0)
        return fail(error, EEXIST);

    int e = 0;
    std::vector<char> buf(1 << 18);
    for (;;) {
        const ssize_t n = read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            e = errno;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n && e == 0;) {
            const ssize_t w = write(out, buf.data() + done, size_t(n - done));
            if (w < 0 && errno != EINTR)
                e = errno;
            else if (w > 0)
                done += w;
        }
        if (e != 0)
            break;
    }
    const struct timespec times[2] = {src.st_atim, src.st_mtim};
    if (e == 0)
        futimens(out, times);
    // The copy must be on disk before it takes the old one's place.
    if (e == 0 && fsync(out) != 0)
        e = errno;
    if (close(out) != 0 && e == 0)
        e = errno;
    if (e == 0 && ::rename(temp.constData(), fsname::encode(to).constData()) != 0)
        e = errno;
    if (e != 0) {
        unlink(temp.constData());
        return fail(error, e);
    }
    return true;
}

QString reason(int error)
{
    switch (error) {
    case sameFileError: return QStringLiteral("ｺﾋﾟｰ元と同じﾌｧｲﾙです");
    case EEXIST:
    case ENOTEMPTY: return QStringLiteral("同じ名前のものがあります");
    case ENOENT: return QStringLiteral("見つかりません");
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("書き込みが許可されていません");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("使用中です");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ﾃﾞｨｽｸがいっぱいです");
    case EINVAL:
    case ENAMETOOLONG: return QStringLiteral("使えない名前です");
    case ENOTDIR: return QStringLiteral("ﾌｫﾙﾀﾞではありません");
    case EISDIR: return QStringLiteral("ﾌｫﾙﾀﾞです");
    case EXDEV: return QStringLiteral("別のﾄﾞﾗｲﾌﾞへは移せません");
    default: return QString::fromLocal8Bit(strerror(error));
    }
}

QString report(const QString &headline, const std::vector<Failure> &failures)
{
    if (failures.empty())
        return QString();
    constexpr size_t named = 20;
    QString text = headline;
    for (size_t i = 0; i < failures.size() && i < named; ++i)
        text += QStringLiteral("\n%1（%2）").arg(failures[i].name, reason(failures[i].error));
    if (failures.size() > named)
        text += QStringLiteral("\nほか%1個").arg(failures.size() - named);
    return text;
}

} // namespace safefile
