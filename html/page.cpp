#include "html/page.h"

#include "album/photoentry.h"
#include "app/about.h"
#include "fileops/fsname.h"
#include "textio/cp932.h"
#include "textio/spaces.h"
#include "textio/textfile.h"
#include "web/webcopy.h"

#include <QStringBuilder>

namespace page {
namespace {

const QString gapCell = QStringLiteral("<td>　</td>");
const QString cellStart = QStringLiteral("<td nowrap align=\"center\">");
const QString smallBreak = QStringLiteral("<FONT size=\"-3\"><br></FONT>");
const QString white = QStringLiteral("<BODY bgcolor=\"#ffffff\">");
// A back-link address longer than this is a real one; the initial "http://" is not.
constexpr int backLinkAfter = 10;
// The print preset's width, which keeps a five or six photo album on one sheet.
constexpr double printWidth = 360;
// How many failed pages the closing message names before it only counts them.
constexpr int namedFailures = 10;

QString bodyLine(const Options &o)
{
    static const char *const colours[] = {"#ffffff", "#84FFFF", "#FFFF84", "#FFC384",
                                          "#84FF84", "#C6C3FF", "#FFC3C6", "#FFC3FF"};
    if (o.background >= 1 && o.background <= 8)
        return QStringLiteral("<BODY bgcolor=\"%1\">").arg(QLatin1String(colours[o.background - 1]));
    if (o.background == 9)
        return o.backgroundImage != QLatin1String("http://")
                   ? QStringLiteral("<BODY background=\"") + o.backgroundImage + QStringLiteral("\">")
                   : white;
    return QString();
}

// The print preset's width, typed with or without padding or a decimal part.
bool isPrintWidth(const QString &width)
{
    bool ok = false;
    const double value = spaces::trim(width).toDouble(&ok);
    return ok && value == printWidth;
}

// A file name shown as a caption is text, not markup.
QString asText(const QString &name)
{
    QString out = name;
    out.replace(u'&', QLatin1String("&amp;"));
    out.replace(u'<', QLatin1String("&lt;"));
    out.replace(u'>', QLatin1String("&gt;"));
    return out;
}

// imageEnd closes the img tag the same way in every cell, with the fixed width if any.
void appendCell(QStringList &lines, const QString &entry, const QString &imageEnd, const QSet<QString> &webCopies)
{
    const QString name = photoentry::fileName(entry);
    const QString address = imageAddress(name);
    // The small copy is what the page shows; a click still opens the photo itself.
    if (webCopies.contains(name))
        lines.append(cellStart % QStringLiteral("<a href=\"") % address % QStringLiteral("\"><img src=\"./") %
                     webcopy::folderName % u'/' % QStringView(address).mid(2) % imageEnd % QStringLiteral("</a><br>"));
    else
        lines.append(cellStart % QStringLiteral("<img src=\"") % address % imageEnd % QStringLiteral("<br>"));
    const QString caption = photoentry::caption(entry);
    lines.append(QStringLiteral("<FONT size=\"+1\"><b>") % (photoentry::isBlank(caption) ? asText(name) : caption) %
                 QStringLiteral("</FONT></td>"));
}

void appendPercent(QString &out, uchar byte)
{
    out += u'%';
    out += QString::number(byte, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

QString fileName(const QString &typed, int number)
{
    const QString name = spaces::trim(typed);
    if (name.isEmpty() || number == 0)
        return name;
    const QString digits = QString::number(number);
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name + digits : name.left(dot) + digits + name.mid(dot);
}

QString imageAddress(const QString &photo)
{
    QString out = QStringLiteral("./");
    out.reserve(photo.size() + 8);
    for (const QChar ch : photo) {
        const char16_t c = ch.unicode();
        switch (c) {
        case u'%': out += QLatin1String("%25"); continue;
        case u'#': out += QLatin1String("%23"); continue;
        case u'?': out += QLatin1String("%3F"); continue;
        case u'"': out += QLatin1String("%22"); continue;
        case u'&': out += QLatin1String("&amp;"); continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            // The browser drops line breaks and tabs from an address.
            appendPercent(out, uchar(c));
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            // A byte of a name that is not UTF-8: the browser asks for that very byte.
            appendPercent(out, uchar(c & 0xFF));
        } else if (cp932::isTwin(c)) {
            out += QStringLiteral("&#%1;").arg(int(c));
        } else {
            out += ch;
        }
    }
    return out;
}

Page compose(const Options &o, const QStringList &entries)
{
    Page p;
    p.title = spaces::trim(o.title).isEmpty() ? defaultTitle : o.title;
    p.width = o.fixedWidth && o.width.isEmpty() ? defaultWidth : o.width;
    const bool backLink = o.backLink.size() > backLinkAfter;
    const bool compact = (o.albumCount == 5 || o.albumCount == 6) && o.fixedWidth && isPrintWidth(p.width);
    const QString imageEnd = QStringLiteral("\" border=\"0\"") %
                             (o.fixedWidth ? QStringLiteral(" width=\"") % spaces::trim(p.width) % u'"' : QString()) %
                             u'>';

    QStringList &l = p.lines;
    l.reserve(40 + entries.size() * 4);
    l << QStringLiteral("<HTML>") << QStringLiteral("<HEAD>")
      << QStringLiteral("<META HTTP-EQUIV=\"Content-type\" CONTENT=\"text/html; charset=Shift_JIS\">")
      << QStringLiteral("<TITLE>") + p.title + o.label + QStringLiteral("</TITLE>") << QStringLiteral("</HEAD>")
      << QStringLiteral("<STYLE TYPE =\"text/css\">") << QStringLiteral("<!--")
      << QStringLiteral("TABLE{font-size:12pt}") << QStringLiteral("P{font-size:12pt}")
      << QStringLiteral("div{font-size:12pt}") << QStringLiteral("body{font-size:12pt}") << QStringLiteral("-->")
      << QStringLiteral("</STYLE>");
    if (const QString body = bodyLine(o); !body.isEmpty())
        l << body;

    l << QStringLiteral(" ") << QStringLiteral("<div align=\"center\"><B><FONT size=\"+3\">");
    if (backLink)
        l << QStringLiteral("　　");
    l << p.title + o.label << QStringLiteral("</FONT>");
    if (backLink)
        l << QStringLiteral("　　　<A href=\"") + o.backLink + QStringLiteral("\" target=\"_top\">戻る</A>");
    l << QStringLiteral("</B></div>") << smallBreak << QStringLiteral("<HR>") << smallBreak
      << QStringLiteral("<center>") << QStringLiteral("<table border=\"%1\">").arg(o.border);

    for (qsizetype i = 0; i < entries.size(); i += 2) {
        l << QStringLiteral("<tr>");
        appendCell(l, entries[i], imageEnd, o.webCopies);
        l << gapCell;
        if (i + 1 < entries.size())
            appendCell(l, entries[i + 1], imageEnd, o.webCopies);
        else
            l << gapCell;
        l << QStringLiteral("</tr>");
        if (!compact)
            l << QStringLiteral("<tr><td colspan=\"3\">　</td></tr>");
    }

    l << QStringLiteral("</TABLE>") << QStringLiteral("</CENTER>") << QStringLiteral("<HR>")
      << QStringLiteral("<CENTER>");
    if (backLink)
        l << QStringLiteral("<A href=\"") + o.backLink + QStringLiteral("\">") << QStringLiteral("<FONT size=\"+2\">")
          << QStringLiteral("<b>戻　る</b></FONT></A>") << QStringLiteral("<BR>");
    l << QStringLiteral("</CENTER>")
      << QStringLiteral("<FONT size=\"-1\">このページは <A href=\"%1\" target=\"_top\">%2</A> Ver %3 で作成しました。</FONT>")
             .arg(about::homePage, about::product, about::version)
      << QStringLiteral("</BODY>") << QStringLiteral("</HTML>");
    return p;
}

QSet<QString> photoNames(const QStringList &albumEntries)
{
    QSet<QString> names;
    names.reserve(albumEntries.size());
    for (const QString &entry : albumEntries)
        names.insert(photoentry::fileName(entry));
    return names;
}

QString photoClash(const QString &name, const QSet<QString> &photoNames)
{
    if (!photoNames.contains(name))
        return QString();
    return QStringLiteral("「%1」は写真リストにある写真と同じ名前です。写真を上書きしないよう、書き込みませんでした。").arg(name);
}

QString save(const QString &folder, const QString &name, const QStringList &lines)
{
    if (name.contains(u'/') || name.contains(QChar(0)))
        return QStringLiteral("「%1」はフォルダを含む名前なので、ページを書き込めませんでした。\n"
                              "ファイル名だけを入れてください。")
            .arg(name);
    const QString path = fsname::join(folder, name);
    // Such a path would reach a different file through the usual file calls.
    if (!fsname::isPlain(path))
        return QStringLiteral("フォルダ名かファイル名に読み取れない文字があるため、ページを書き込めませんでした。\n%1")
            .arg(path);
    QString error;
    if (textfile::save(path, cp932::encodeLines(lines, cp932::Unmappable::CharRef), &error))
        return QString();
    return error;
}

QString failureReport(const QStringList &failedPages, const QString &firstReason)
{
    QString text = QStringLiteral("次のページは書き込めませんでした（前からあるファイルはそのままです）。");
    for (qsizetype i = 0; i < failedPages.size() && i < namedFailures; ++i)
        text += u'\n' + failedPages[i];
    if (failedPages.size() > namedFailures)
        text += QStringLiteral("\nほか %1 ページ").arg(failedPages.size() - namedFailures);
    return text + QStringLiteral("\n\n") + firstReason;
}

} // namespace page
