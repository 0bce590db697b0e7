#include "fileops/safefile.h"

#include "fileops/fsname.h"
#include "textio/diskfile.h"

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
    e = diskfile::withTemporaryName([&](const QString &name) {
        aside = fsname::join(dir, name);
        int why = 0;
        return renameExclusive(from, aside, &why) ? 0 : why;
    });
    if (e != 0)
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

    const auto copy = [in, &src](int out) {
        std::vector<char> buf(1 << 18);
        for (;;) {
            const ssize_t n = read(in, buf.data(), buf.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
            if (n == 0)
                break;
            if (const int e = diskfile::writeAll(out, buf.data(), size_t(n)); e != 0)
                return e;
        }
        const struct timespec times[2] = {src.st_atim, src.st_mtim};
        futimens(out, times);
        return 0;
    };
    if (const int e = diskfile::replace(fsname::encode(to), copy); e != 0)
        return fail(error, e);
    return true;
}

QString reason(int error)
{
    return error == sameFileError ? QStringLiteral("ｺﾋﾟｰ元と同じﾌｧｲﾙです") : diskfile::reason(error);
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
