#include "html/modern.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "html/about.h"
#include "textio/spaces.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace modern {
namespace {

// Names in web keep this much of the photo's name.
constexpr int stemLength = 40;
// A back-link address longer than this is a real one; the initial "http://" is not.
constexpr int backLinkAfter = 10;
// Photos the album page loads at once; the rest wait until they are scrolled
// near, so that the first one has a slow link to itself.
constexpr int eagerPhotos = 1;
// The grid offers pictures up to this longer side, twice a phone's column.
constexpr int gridEdge = 720;
// JPEG quality of the pictures. The grid's, shown at half their pixels on a
// phone, are lighter: the photos a phone loads with its first screen (the
// next screens' too, on a slow link) fit in 400 kB.
constexpr int gridQuality = 62;
constexpr int pictureQuality = 80;
// The photo page's picture leaves this much of the screen's height to the rest.
constexpr int photoPageShare = 78; // percent of the height

const char *const colours[] = {"#84FFFF", "#FFFF84", "#FFC384", "#84FF84", "#C6C3FF", "#FFC3C6", "#FFC3FF"};

// Text for the page: a byte of a name that is not UTF-8 shows as U+FFFD.
QByteArray utf8(QStringView text)
{
    QString clean = text.toString();
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const bool paired = clean[i].isHighSurrogate() && i + 1 < clean.size() && clean[i + 1].isLowSurrogate();
        if (paired)
            ++i;
        else if (clean[i].isSurrogate())
            clean[i] = QChar::ReplacementCharacter;
    }
    return clean.toUtf8();
}

QByteArray escaped(QStringView text, bool attribute)
{
    QByteArray out = utf8(text);
    out.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    if (attribute)
        out.replace('"', "&quot;");
    return out;
}

QByteArray text(QStringView t) { return escaped(t, false); }
QByteArray attr(QStringView t) { return escaped(t, true); }

// Text inside a quoted CSS string, which no character of it can end.
QByteArray cssString(const QString &t)
{
    QByteArray out;
    for (const char c : utf8(t)) {
        if (c == '"' || c == '\\' || c == '<' || c == '\n' || c == '\r')
            out += '\\' + QByteArray::number(uchar(c), 16) + ' ';
        else
            out += c;
    }
    return out;
}

// A path relative to the album's folder as an address: every byte of the
// name as the disk holds it, percent-encoded where it must be.
QByteArray address(const QString &path)
{
    return fsname::encode(path).toPercentEncoding("/");
}

QString hashOf(const QString &name)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(fsname::encode(name), QCryptographicHash::Sha1).toHex().left(8));
}

QString stem(const QString &name)
{
    QString s = name.left(name.lastIndexOf(u'.') > 0 ? name.lastIndexOf(u'.') : name.size()).left(stemLength);
    for (QChar &c : s)
        if (!(c.isLetterOrNumber() || c == u'-' || c == u'_') || c.isSurrogate())
            c = u'_';
    return s;
}

// The caption as plain text, for alt texts, titles and descriptions.
QString plain(const QString &entry)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression runs(QStringLiteral("\\s+"));
    QString t = photoentry::caption(entry);
    t.replace(tags, QStringLiteral(" ")).replace(runs, QStringLiteral(" "));
    t = t.trimmed();
    return t.isEmpty() ? photoentry::fileName(entry) : t;
}

// The caption as today's pages write it: the user's own markup, or the name as text.
QByteArray caption(const QString &entry)
{
    const QStringView c = photoentry::captionView(entry);
    return photoentry::isBlank(c) ? text(photoentry::fileNameView(entry)) : utf8(c);
}

bool backLinkShown(const Options &o) { return o.backLink.size() > backLinkAfter; }

bool hasBackgroundImage(const Options &o)
{
    return o.background == 9 && !o.backgroundImage.isEmpty() && o.backgroundImage != QLatin1String("http://");
}

// True when the background image is a file beside the pages, not an address elsewhere.
bool localBackground(const Options &o)
{
    const QUrl url(o.backgroundImage);
    return hasBackgroundImage(o) && url.isRelative() && !o.backgroundImage.startsWith(u'/');
}

// What every page of the album shares; up leads from the page to the album's folder.
QByteArray style(const Options &o, const QByteArray &up)
{
    QByteArray css = "*{box-sizing:border-box}"
                     "body{margin:0;font:16px/1.6 system-ui,-apple-system,\"Noto Sans CJK JP\",sans-serif;color:#111}"
                     "a{color:#0645ad}a:focus-visible{outline:3px solid #d9480f;outline-offset:2px}"
                     "header,footer,nav{text-align:center;padding:8px 16px}"
                     "h1{font-size:1.5rem;line-height:1.3;margin:8px 0}"
                     "nav a,header a,footer a,.u a{display:inline-block;min-width:44px;padding:8px}"
                     "img{height:auto}";
    const bool colour = o.background >= 2 && o.background <= 8;
    if (colour)
        css += QByteArray("body{background:") + colours[o.background - 2] + '}';
    else if (hasBackgroundImage(o))
        css += "body{background:#fff url(\"" + (localBackground(o) ? up : QByteArray()) +
               cssString(o.backgroundImage) + "\")}";
    else
        css += ":root{color-scheme:light dark}body{background:#fff}"
               "@media(prefers-color-scheme:dark){body{background:#121212;color:#eee}a{color:#9cc2ff}}";
    if (o.border != 0)
        css += ".g img,.v img{border:1px solid #767676;padding:4px}";
    return css;
}

QByteArray head(const Options &o, const QByteArray &title, const QByteArray &up, const QByteArray &extra)
{
    return "<!doctype html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">\n<title>" +
           title + "</title>\n<link rel=\"icon\" href=\"data:,\">\n" + extra + "<style>" + style(o, up) +
           "</style>\n</head>\n";
}

QByteArray openGraph(const Options &o, const QString &title, const QString &page, const Shown *photo,
                     const QString &description)
{
    if (o.albumUrl.isEmpty())
        return {};
    const QByteArray base = o.albumUrl.endsWith(u'/') ? o.albumUrl.toUtf8() : o.albumUrl.toUtf8() + '/';
    QByteArray tags = "<meta property=\"og:type\" content=\"website\">\n<meta property=\"og:title\" content=\"" +
                      attr(title) + "\">\n<meta property=\"og:url\" content=\"" + base + address(page) + "\">\n";
    if (photo) {
        const QString image = photo->pictures.empty() ? photoentry::fileName(photo->entry)
                                                      : photo->pictures[std::min<size_t>(photo->pictures.size() - 1, 2)].path;
        tags += "<meta property=\"og:image\" content=\"" + base + address(image) + "\">\n";
    }
    if (!description.isEmpty())
        tags += "<meta property=\"og:description\" content=\"" + attr(description) + "\">\n";
    return tags;
}

QByteArray srcset(const Shown &p, const QByteArray &up, int largestEdge)
{
    QByteArray out;
    for (const Picture &pic : p.pictures) {
        if (std::max(pic.size.width(), pic.size.height()) > largestEdge && !out.isEmpty())
            break;
        if (!out.isEmpty())
            out += ',';
        out += up + address(pic.path) + ' ' + QByteArray::number(pic.size.width()) + 'w';
    }
    return out;
}

// The img tag of a photo; up leads to the album's folder.
QByteArray image(const Shown &p, const QByteArray &up, int largestEdge, const QByteArray &sizes,
                 const QByteArray &more)
{
    QByteArray tag = "<img";
    if (p.pictures.empty()) {
        tag += " src=\"" + up + address(photoentry::fileName(p.entry)) + '"';
    } else {
        const QByteArray set = srcset(p, up, largestEdge);
        tag += " src=\"" + set.left(set.indexOf(' ')) + "\" srcset=\"" + set + "\" sizes=\"" + sizes + '"';
    }
    if (p.size.isValid())
        tag += " width=\"" + QByteArray::number(p.pictures.empty() ? p.size.width() : p.pictures.back().size.width()) +
               "\" height=\"" +
               QByteArray::number(p.pictures.empty() ? p.size.height() : p.pictures.back().size.height()) + '"';
    return tag + more + " alt=\"" + attr(plain(p.entry)) + "\">";
}

QByteArray backLink(const Options &o)
{
    return backLinkShown(o) ? "<a href=\"" + attr(o.backLink) + "\">戻る</a>" : QByteArray();
}

QByteArray footer(const Options &o)
{
    QByteArray f = "<footer>";
    if (backLinkShown(o))
        f += "<p>" + backLink(o) + "</p>";
    return f + "<p><small>このページは <a href=\"" + about::homePage.toUtf8() + "\">" + about::product.toUtf8() +
           "</a> Ver " + about::version.toUtf8() + " で作成しました。</small></p></footer>\n";
}

QByteArray pageLinks(const QStringList &pageNames, int index)
{
    if (pageNames.size() < 2)
        return {};
    QByteArray nav = "<nav aria-label=\"ページ\">";
    if (index > 0)
        nav += "<a rel=\"prev\" href=\"" + address(pageNames[index - 1]) + "\">前のページ</a> ";
    for (int i = 0; i < pageNames.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        nav += i == index ? "<a aria-current=\"page\" href=\"" + address(pageNames[i]) + "\">" + n + "</a> "
                          : "<a href=\"" + address(pageNames[i]) + "\">" + n + "</a> ";
    }
    if (index + 1 < pageNames.size())
        nav += "<a rel=\"next\" href=\"" + address(pageNames[index + 1]) + "\">次のページ</a>";
    return nav + "</nav>\n";
}

} // namespace

QString pictureName(const QString &photo, int edge)
{
    return stem(photo) + u'-' + hashOf(photo) + u'-' + QString::number(edge) + QStringLiteral(".jpg");
}

QString pagesFolder(const QString &typedPageName)
{
    const QString name = spaces::trim(typedPageName);
    return stem(name) + u'-' + hashOf(name);
}

QString photoPageName(const QString &photo, int occurrence)
{
    return stem(photo) + u'-' + hashOf(photo) + (occurrence > 1 ? u'-' + QString::number(occurrence) : QString())
           + QStringLiteral(".html");
}

std::vector<webcopy::Target> plan(const QString &photo, QSize upright, int largest)
{
    std::vector<webcopy::Target> out;
    QSize previous;
    for (int edge : ladder) {
        if (edge >= largest)
            break;
        const QSize size = webcopy::fit(upright, edge);
        if (size == previous || size == upright)
            break;
        out.push_back({pictureName(photo, edge), edge, edge <= gridEdge ? gridQuality : pictureQuality});
        previous = size;
    }
    if (webcopy::fit(upright, largest) != previous)
        out.push_back({pictureName(photo, largest), largest, largest <= gridEdge ? gridQuality : pictureQuality});
    return out;
}

QByteArray albumPage(const Options &o, const std::vector<Shown> &album, int first, int count, const QString &label,
                     const QStringList &pageNames, int index)
{
    const QString title = o.title + label;
    QByteArray extra;
    if (index > 0)
        extra += "<link rel=\"prev\" href=\"" + address(pageNames[index - 1]) + "\">\n";
    if (index + 1 < pageNames.size())
        extra += "<link rel=\"next\" href=\"" + address(pageNames[index + 1]) + "\">\n";
    const Shown *cover = count > 0 ? &album[size_t(first)] : nullptr;
    extra += openGraph(o, title, pageNames.value(index), cover,
                       QStringLiteral("%1 枚の写真").arg(album.size()));

    // One column on a phone, as many as fit elsewhere; 横幅指定 caps a photo's width.
    const int widest = o.maxWidth > 0 ? o.maxWidth : 0;
    const int column = widest > 0 ? std::min(widest, 300) : 300;
    QByteArray css = ".g{list-style:none;margin:0 auto;padding:8px 16px 16px;max-width:1280px;display:grid;gap:24px 16px;"
                     "grid-template-columns:repeat(auto-fill,minmax(min(100%," +
                     QByteArray::number(column) + "px),1fr))}.g li{text-align:center;min-width:0}"
                     ".g a{display:block}.g img{display:block;width:100%;margin:0 auto" +
                     (widest > 0 ? ";max-width:" + QByteArray::number(widest) + "px" : QByteArray()) +
                     "}.g p{margin:8px 0 0;overflow-wrap:anywhere}";
    const QByteArray gridSizes = widest > 0 ? "(max-width:" + QByteArray::number(widest + 32) +
                                                  "px) calc(100vw - 32px)," + QByteArray::number(widest) + "px"
                                            : QByteArray("(max-width:647px) calc(100vw - 32px),(max-width:963px) "
                                                         "calc(50vw - 24px),(max-width:1279px) calc(33vw - 22px),300px");
    const int gridLargest = std::max(gridEdge, 2 * widest);

    QByteArray page = head(o, utf8(title), QByteArray(), extra);
    page.insert(page.lastIndexOf("</style>"), css);
    page += "<body>\n<header><h1>" + utf8(title) + "</h1>" + backLink(o) + "</header>\n<main>\n<ul class=\"g\">\n";
    for (int i = first; i < first + count; ++i) {
        const Shown &p = album[size_t(i)];
        const QByteArray more = i - first < eagerPhotos ? (i == first ? QByteArray(" fetchpriority=\"high\"") : QByteArray())
                                                        : QByteArray(" loading=\"lazy\"");
        page += "<li><a id=\"p" + QByteArray::number(i + 1) + "\" href=\"" + address(p.page) + "\">" +
                image(p, QByteArray(), gridLargest, gridSizes, more) + "</a><p>" + caption(p.entry) + "</p></li>\n";
    }
    page += "</ul>\n</main>\n" + pageLinks(pageNames, index) + footer(o) +
            // Coming back from a photo's page, the focus is on that photo.
            "<script>var t=location.hash&&document.getElementById(location.hash.slice(1));if(t)t.focus()</script>\n"
            "</body>\n</html>\n";
    return page;
}

QByteArray photoPage(const Options &o, const std::vector<Shown> &album, int index)
{
    const Shown &p = album[size_t(index)];
    const QString folder = p.page.left(p.page.lastIndexOf(u'/') + 1);
    const QByteArray up = "../../";
    const auto sibling = [&](int i) { return address(album[size_t(i)].page.mid(folder.size())); };
    const Shown *prev = index > 0 ? &album[size_t(index - 1)] : nullptr;
    const Shown *next = index + 1 < int(album.size()) ? &album[size_t(index + 1)] : nullptr;
    const QString name = photoentry::fileName(p.entry);
    const QString position = QStringLiteral("%1 / %2").arg(index + 1).arg(album.size());

    QByteArray extra;
    if (prev)
        extra += "<link rel=\"prev\" href=\"" + sibling(index - 1) + "\">\n";
    if (next)
        extra += "<link rel=\"next\" href=\"" + sibling(index + 1) + "\">\n";
    extra += openGraph(o, plain(p.entry), p.page, &p, photoentry::hasCaption(p.entry) ? plain(p.entry) : QString());

    // The picture fills the screen's width, or the share of its height the picture's shape allows.
    const QSize shape = p.pictures.empty() ? p.size : p.pictures.back().size;
    const int heightShare = shape.isValid() ? int(double(photoPageShare) * shape.width() / shape.height()) : 100;
    const QByteArray sizes = "min(100vw," + QByteArray::number(heightShare) + "vh)";
    const QByteArray fit = shape.isValid() ? " style=\"width:min(100%," + QByteArray::number(shape.width()) + "px," +
                                                 QByteArray::number(heightShare) + "vh)\""
                                           : QByteArray(" style=\"max-width:100%\"");
    QByteArray css = ".v main{text-align:center;padding:8px 0 0}.v img{display:block;margin:0 auto}"
                     ".v figure{margin:0}.v figcaption{padding:8px 16px;overflow-wrap:anywhere}"
                     ".v nav{display:flex;justify-content:center;align-items:center;gap:8px;flex-wrap:wrap;padding:0 8px}"
                     ".u{text-align:center;margin:0}";

    QByteArray page = head(o, text(plain(p.entry)) + " - " + utf8(o.title), up, extra);
    page.insert(page.lastIndexOf("</style>"), css);
    page += "<body class=\"v\">\n<main>\n<figure>" + image(p, up, INT_MAX, sizes, fit) + "<figcaption>" +
            caption(p.entry) + "</figcaption></figure>\n</main>\n<nav aria-label=\"写真\">";
    if (prev)
        page += "<a rel=\"prev\" href=\"" + sibling(index - 1) + "\">← 前の写真</a>";
    page += "<span>" + position.toUtf8() + "</span>";
    if (next) {
        // The next photo is loaded ahead in the size this screen will ask for.
        page += "<a rel=\"next\" href=\"" + sibling(index + 1) + '"';
        if (!next->pictures.empty())
            page += " data-srcset=\"" + srcset(*next, up, INT_MAX) + '"';
        page += ">次の写真 →</a>";
    }
    page += "</nav>\n<p class=\"u\"><a rel=\"up\" href=\"" + up + address(p.albumPage) + "#p" +
            QByteArray::number(index + 1) + "\">一覧に戻る</a>";
    if (o.originals)
        page += " <a href=\"" + up + address(name) + "\">元の写真</a>";
    page += "</p>\n" + footer(o) +
            "<script>(function(){var q=function(s){return document.querySelector(s)},"
            "p=q('a[rel=prev]'),n=q('a[rel=next]'),u=q('a[rel=up]'),x=null;"
            "function zoomed(){return window.visualViewport&&visualViewport.scale>1.01}"
            "function go(a){if(a)location.href=a.href}"
            "addEventListener('keydown',function(e){if(e.altKey||e.ctrlKey||e.metaKey||e.shiftKey||zoomed())return;"
            "if(e.key=='ArrowLeft')go(p);else if(e.key=='ArrowRight')go(n);else if(e.key=='Escape')go(u)});"
            "addEventListener('touchstart',function(e){x=e.touches.length==1&&!zoomed()?e.touches[0]:null},{passive:true});"
            "addEventListener('touchend',function(e){if(!x)return;var t=e.changedTouches[0],dx=t.clientX-x.clientX;"
            "if(Math.abs(dx)>60&&Math.abs(dx)>2*Math.abs(t.clientY-x.clientY))go(dx>0?p:n);x=null},{passive:true});"
            "addEventListener('load',function(){if(n&&n.dataset.srcset){var i=new Image();"
            "i.sizes=q('main img').sizes;i.srcset=n.dataset.srcset}})})()</script>\n</body>\n</html>\n";
    return page;
}

QStringList neededBy(const Options &o, const Shown &photo)
{
    QStringList out;
    for (const Picture &pic : photo.pictures)
        out.append(pic.path);
    if (photo.pictures.empty() || o.originals)
        out.append(photoentry::fileName(photo.entry));
    return out;
}

} // namespace modern
