#include "album/photoentry.h"

namespace photoentry {

QStringView fileNameView(QStringView entry)
{
    const qsizetype comma = entry.indexOf(u',');
    return comma < 0 ? entry : entry.left(comma);
}

QStringView captionView(QStringView entry)
{
    const qsizetype comma = entry.indexOf(u',');
    return comma < 0 ? QStringView() : entry.mid(comma + 1);
}

QString fileName(const QString &entry)
{
    return entry.contains(u',') ? fileNameView(entry).toString() : entry;
}

QString caption(const QString &entry)
{
    return captionView(entry).toString();
}

bool hasCaption(const QString &entry)
{
    return entry.contains(u',');
}

QString withCaption(const QString &entry, const QString &caption)
{
    return fileName(entry) + u',' + caption;
}

bool isBlank(QStringView entry)
{
    for (QChar c : entry)
        if (c != u' ')
            return false;
    return true;
}

bool isJpeg(const QString &name)
{
    return name.contains(QLatin1String(".jpg"), Qt::CaseInsensitive);
}

QStringList photosAmong(const QStringList &names, bool anyFile)
{
    if (anyFile)
        return names;
    QStringList out;
    for (const QString &name : names)
        if (isJpeg(name))
            out.append(name);
    return out;
}

bool anyFileWith(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ShiftModifier;
}

} // namespace photoentry
