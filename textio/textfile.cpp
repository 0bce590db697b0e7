#include "textio/textfile.h"

#include "fileops/fsname.h"
#include "textio/cp932.h"
#include "textio/diskfile.h"

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    const auto write = [&bytes](int fd) { return diskfile::writeAll(fd, bytes.constData(), size_t(bytes.size())); };
    const int e = diskfile::replace(fsname::encode(path), write);
    if (e != 0 && error)
        *error = QStringLiteral("ファイルを書き込めませんでした。\n%1\n%2").arg(path, diskfile::reason(e));
    return e == 0;
}

std::optional<QByteArray> load(const QString &path, qint64 maxBytes, int *error)
{
    int e = 0;
    std::optional<QByteArray> data;
    // Without O_NONBLOCK a pipe would wait for a writer.
    const int fd = open(fsname::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (fd < 0)
        e = errno;
    else if (fstat(fd, &st) != 0)
        e = errno;
    else if (S_ISDIR(st.st_mode))
        e = EISDIR;
    else if (!S_ISREG(st.st_mode))
        e = EINVAL;
    else
        data = diskfile::readAll(fd, maxBytes, &e);
    if (fd >= 0)
        close(fd);
    if (error)
        *error = e;
    return e == 0 ? data : std::nullopt;
}

QString decode(QByteArrayView bytes)
{
    const QByteArrayView bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.sliced(bom.size()));
    if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) > 0x7F; })) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
    }
    return cp932::decode(bytes);
}

} // namespace textfile
