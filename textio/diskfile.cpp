#include "textio/diskfile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace diskfile {

namespace {

// Closes a descriptor however the function that opened it ends.
struct Closer
{
    int fd;
    ~Closer() { close(fd); }
};

} // namespace

QString reason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ﾃﾞｨｽｸがいっぱいです");
    case EACCES:
    case EPERM: return QStringLiteral("書き込みが許可されていません");
    case EROFS: return QStringLiteral("読み取り専用のﾄﾞﾗｲﾌﾞです");
    case ENOTDIR: return QStringLiteral("ﾌｫﾙﾀﾞが見つかりません");
    case ENOENT: return QStringLiteral("見つかりません");
    case EINVAL:
    case EILSEQ:
    case ENAMETOOLONG: return QStringLiteral("使えない名前です");
    case EEXIST:
    case ENOTEMPTY: return QStringLiteral("同じ名前のものがあります");
    case EISDIR: return QStringLiteral("ﾌｫﾙﾀﾞです");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("使用中です");
    case EXDEV: return QStringLiteral("別のﾄﾞﾗｲﾌﾞへは移せません");
    case EIO: return QStringLiteral("ﾃﾞｨｽｸの読み書きに失敗しました");
    default: return QString::fromLocal8Bit(strerror(error));
    }
}

int creationError(int error)
{
    return error == ENOENT ? ENOTDIR : error;
}

QString temporaryName()
{
    static std::atomic<unsigned> counter = 0;
    return QStringLiteral("kamerio-tmp-%1-%2").arg(getpid()).arg(++counter);
}

int withTemporaryName(const std::function<int(const QString &name)> &use)
{
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt)
        error = use(temporaryName());
    return error;
}

int writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        data += n;
        size -= size_t(n);
    }
    return 0;
}

QByteArray readAll(int fd, qint64 maxBytes, int *error)
{
    *error = 0;
    QByteArray data;
    constexpr qint64 chunk = 1 << 16;
    while (data.size() < maxBytes) {
        const qsizetype at = data.size();
        data.resize(at + qsizetype(std::min(chunk, maxBytes - at)));
        const ssize_t n = read(fd, data.data() + at, size_t(data.size() - at));
        data.resize(at + std::max<qsizetype>(n, 0));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            *error = errno;
        if (n <= 0)
            break;
    }
    return data;
}

int replace(const QByteArray &target, const std::function<int(int fd)> &fill)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray name = target.mid(slash + 1);
    if (name.isEmpty())
        return EINVAL;
    // The temporary file and the final rename stay in this very folder, even
    // if it is renamed meanwhile.
    const int dir = open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return creationError(errno);
    const Closer closeDir{dir};

    struct stat old;
    const bool existing = fstatat(dir, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existing && errno != ENOENT)
        return errno;
    if (existing && S_ISDIR(old.st_mode))
        return EISDIR;
    const bool keepMode = existing && S_ISREG(old.st_mode);
    // A file the user made read-only is not replaced behind their back.
    if (keepMode && faccessat(dir, name.constData(), W_OK, AT_EACCESS) != 0)
        return errno;

    QByteArray temp;
    int fd = -1;
    int error = withTemporaryName([&](const QString &candidate) {
        temp = candidate.toLatin1();
        fd = openat(dir, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd < 0 ? errno : 0;
    });
    if (error != 0)
        return creationError(error);
    if (keepMode && fchmod(fd, old.st_mode & 0777) != 0)
        error = errno;
    if (error == 0)
        error = fill(fd);
    // The new file must be on disk before it takes the old one's place.
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && renameat(dir, temp.constData(), dir, name.constData()) != 0)
        error = errno;
    if (error != 0)
        unlinkat(dir, temp.constData(), 0);
    return creationError(error);
}

} // namespace diskfile
