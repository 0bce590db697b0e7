#include "textio/textfile.h"

#include "textio/cp932.h"
#include "textio/diskfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>

namespace textfile {

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    const auto write = [&bytes](int fd) { return diskfile::writeAll(fd, bytes.constData(), size_t(bytes.size())); };
    // A path holding a stray byte of a name that is not UTF-8 would be
    // written under another name.
    const int e = path.isValidUtf16() ? diskfile::replace(path.toUtf8(), write) : EILSEQ;
    if (e != 0 && error)
        *error = QStringLiteral("ファイルを書き込めませんでした。\n%1\n%2").arg(path, diskfile::reason(e));
    return e == 0;
}

std::optional<QByteArray> load(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
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
