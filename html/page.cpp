#include "html/page.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "html/about.h"
#include "textio/codepoints.h"
#include "textio/cp932.h"
#include "textio/excerpt.h"
#include "textio/spaces.h"
#include "textio/textfile.h"
#include "textio/viewset.h"
#include "web/webcopy.h"

#include <QStringBuilder>

namespace page {
namespace {

const QString gapCell = QStringLiteral("<td>　</td>");
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
    static const char *const colours[] = {
        "#ffffff", "#84FFFF", "#FFFF84", "#FFC384", "#84FF84", "#C6C3FF", "#FFC3C6", "#FFC3FF"};
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

// The page's bytes, a line at a time, each line followed by CR LF. A page of
// a whole album runs to megabytes: it is encoded as it grows, in one buffer,
// and a character without a CP932 form becomes a reference the browser shows.
class Lines
{
public:
    explicit Lines(QByteArray &bytes) : bytes_(bytes) { }
    Lines &operator<<(QStringView line)
    {
        cp932::append(bytes_, line, cp932::Unmappable::CharRef);
        bytes_ += "\r\n";
        return *this;
    }

private:
    QByteArray &bytes_;
};

// A file name shown as a caption is text, not markup.
void appendAsText(QByteArray &out, QStringView name)
{
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c != u'&' && c != u'<' && c != u'>')
            continue;
        cp932::append(out, name.mid(plainFrom, i - plainFrom), cp932::Unmappable::CharRef);
        out += c == u'&' ? "&amp;" : c == u'<' ? "&lt;" : "&gt;";
        plainFrom = i + 1;
    }
    cp932::append(out, name.mid(plainFrom), cp932::Unmappable::CharRef);
}

// imageEnd closes the img tag the same way in every cell, with the fixed
// width if any, encoded once. Appended piece by piece: a whole album runs to
// megabytes.
void appendCell(QByteArray &bytes, QByteArray &address, QStringView entry, const QByteArray &imageEnd,
                const QSet<QString> &webCopies)
{
    static const QByteArray cellStart = "<td nowrap align=\"center\">";
    static const QByteArray linkStart = "<a href=\"";
    static const QByteArray webImage = "\"><img src=\"./" + webcopy::folderName.toLatin1() + '/';
    static const QByteArray image = "<img src=\"";
    static const QByteArray captionStart = "<br>\r\n<FONT size=\"+1\"><b>";
    static const QByteArray linkedCaptionStart = "</a>" + captionStart;
    static const QByteArray cellEnd = "</FONT></td>\r\n";
    const QStringView name = photoentry::fileNameView(entry);
    // Emptied, not cleared: the buffer is kept for the next photo.
    address.resize(0);
    appendAddress(address, name);
    bytes += cellStart;
    // The small copy is what the page shows; a click still opens the photo itself.
    const bool web = !webCopies.isEmpty() && webCopies.contains(name.toString());
    if (web) {
        bytes += linkStart;
        bytes += address;
        bytes += webImage;
        bytes += QByteArrayView(address).sliced(2);
    } else {
        bytes += image;
        bytes += address;
    }
    bytes += imageEnd;
    bytes += web ? linkedCaptionStart : captionStart;
    const QStringView caption = photoentry::captionView(entry);
    if (photoentry::isBlank(caption))
        appendAsText(bytes, name);
    else
        cp932::append(bytes, caption, cp932::Unmappable::CharRef);
    bytes += cellEnd;
}

void appendPercent(QByteArray &out, uchar byte)
{
    out += '%';
    out += QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
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

void appendAddress(QByteArray &out, QStringView photo)
{
    out += "./";
    // Plain characters go over in runs: most names have nothing to escape.
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < photo.size(); ++i) {
        const char16_t c = photo[i].unicode();
        const bool plain = c >= 0x20 && c != 0x7F && c != u'%' && c != u'#' && c != u'?' && c != u'"' && c != u'&'
                           && !(c >= 0xDC80 && c <= 0xDCFF) && !cp932::isTwin(c);
        if (plain)
            continue;
        cp932::append(out, photo.mid(plainFrom, i - plainFrom), cp932::Unmappable::CharRef);
        plainFrom = i + 1;
        switch (c) {
        case u'%': out += "%25"; continue;
        case u'#': out += "%23"; continue;
        case u'?': out += "%3F"; continue;
        case u'"': out += "%22"; continue;
        case u'&': out += "&amp;"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F)
            // The browser drops line breaks and tabs from an address.
            appendPercent(out, uchar(c));
        else if (c >= 0xDC80 && c <= 0xDCFF)
            // A byte of a name that is not UTF-8: the browser asks for that very byte.
            appendPercent(out, uchar(c & 0xFF));
        else
            out += codepoints::charRef(c);
    }
    cp932::append(out, photo.mid(plainFrom), cp932::Unmappable::CharRef);
}

QByteArray imageAddress(QStringView photo)
{
    QByteArray out;
    appendAddress(out, photo);
    return out;
}

Page compose(const Options &o, const QStringList &entries)
{
    Page p;
    p.title = spaces::trim(o.title).isEmpty() ? defaultTitle : o.title;
    p.width = o.fixedWidth && o.width.isEmpty() ? defaultWidth : o.width;
    const bool backLink = o.backLink.size() > backLinkAfter;
    const bool compact = (o.albumCount == 5 || o.albumCount == 6) && o.fixedWidth && isPrintWidth(p.width);
    const QString imageEnd = QStringLiteral("\" border=\"0\"")
                             % (o.fixedWidth ? QStringLiteral(" width=\"") % spaces::trim(p.width) % u'"' : QString())
                             % u'>';
    const QByteArray encodedImageEnd = cp932::encode(imageEnd, cp932::Unmappable::CharRef);

    // About 180 bytes a photo: two cell lines and a share of the rows.
    p.bytes.reserve(2000 + entries.size() * 180);
    Lines l(p.bytes);
    // One buffer for every photo's address, reused.
    QByteArray address;
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
        appendCell(p.bytes, address, entries[i], encodedImageEnd, o.webCopies);
        l << gapCell;
        if (i + 1 < entries.size())
            appendCell(p.bytes, address, entries[i + 1], encodedImageEnd, o.webCopies);
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
      << QStringLiteral(
             "<FONT size=\"-1\">このページは <A href=\"%1\" target=\"_top\">%2</A> Ver %3 で作成しました。</FONT>")
             .arg(about::homePage, about::product, about::version)
      << QStringLiteral("</BODY>") << QStringLiteral("</HTML>");
    return p;
}

QSet<QString> photoNamesAmong(const QStringList &names, const QStringList &albumEntries)
{
    // Views into names: no copy of the album's thirty thousand file names.
    viewset::Views wanted(names.begin(), names.end());
    // A photo whose name is as long as no page's is passed over unhashed.
    std::vector<bool> lengths;
    for (const QString &name : names) {
        lengths.resize(std::max(lengths.size(), size_t(name.size()) + 1));
        lengths[size_t(name.size())] = true;
    }
    QSet<QString> found;
    for (const QString &entry : albumEntries) {
        const QStringView name = photoentry::fileNameView(entry);
        if (size_t(name.size()) < lengths.size() && lengths[size_t(name.size())] && wanted.count(name))
            found.insert(name.toString());
    }
    return found;
}

QString photoClash(const QString &name)
{
    return QStringLiteral("「%1」は写真リストにある写真と同じ名前です。写真を上書きしないよう、書き込みませんでした。")
        .arg(name);
}

bool isFileName(const QString &name)
{
    return !name.contains(u'/') && !name.contains(QChar(0));
}

QString save(const QString &folder, const QString &name, const QByteArray &bytes)
{
    if (!isFileName(name))
        return QStringLiteral("「%1」はフォルダを含む名前なので、ページを書き込めませんでした。\n"
                              "ファイル名だけを入れてください。")
            .arg(name);
    QString error;
    if (textfile::save(fsname::join(folder, name), bytes, &error))
        return QString();
    return error;
}

QString failureReport(const QStringList &failedPages, const QString &firstReason)
{
    return QStringLiteral("次のページは書き込めませんでした（前からあるファイルはそのままです）。\n")
           + excerpt::firstFew(failedPages, namedFailures, u'\n', QStringLiteral("ほか %1 ページ"))
           + QStringLiteral("\n\n") + firstReason;
}

} // namespace page
