#include "textio/textfile.h"

#include "textio/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace textfile {

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // Never fall back to writing in place: a half-written file must not
    // replace the old one.
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered write that fails only when the buffer is flushed
    // at commit (a full disk) is not noticed by QSaveFile, which would then
    // replace the old file with a short one.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (ok)
        ok = file.write(bytes) == bytes.size();
    if (ok)
        ok = file.commit();
    else
        file.cancelWriting();
    if (!ok && error) {
        const QString why = file.errorString();
        *error = QStringLiteral("ファイルを書き込めませんでした。\n%1\n%2").arg(path, why);
    }
    return ok;
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
