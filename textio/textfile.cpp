#include "textio/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace textfile {

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // Never fall back to writing in place: a half-written file must not
    // replace the old one.
    file.setDirectWriteFallback(false);
    bool ok = file.open(QIODevice::WriteOnly);
    // The bytes wait in Qt's buffer; only the flush reaches the disk and can
    // find it full, and commit() does not report a failed flush.
    if (ok)
        ok = file.write(bytes) == bytes.size() && file.flush();
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

} // namespace textfile
