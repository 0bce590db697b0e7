#include "fileops/dirslogic.h"

#include <QRegularExpression>
#include <QUrl>

#include <cmath>

namespace dirslogic {

QString parentdir(const QString &path)
{
    const qsizetype i = path.lastIndexOf(u'/');
    if (i < 0)
        return QString();
    if (i == 0)
        return QStringLiteral("/");
    return path.left(i);
}

bool isNetworkPath(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (text.startsWith(u'\\') || text.startsWith(QLatin1String("//")))
        return true;
    return scheme.match(text).hasMatch() && !text.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}

QString clipboardText(const QString &raw)
{
    auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; };
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && blank(raw[begin]))
        ++begin;
    while (end > begin && blank(raw[end - 1]))
        --end;
    return raw.mid(begin, end - begin);
}

QString clipboardFolder(const QString &text)
{
    if (text.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return QUrl(text).toLocalFile();
    if (text.startsWith(u'/'))
        return text;
    return QString();
}

int storedNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const double v = m.captured(0).trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    const double r = std::nearbyint(v); // the default rounding mode sends halves to even
    if (r < -32768 || r > 32767)
        return -1;
    return int(r);
}

} // namespace dirslogic
