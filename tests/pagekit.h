// Album pages as they should come out, put together line by line from the
// page template, for comparing with what the program wrote.
#pragma once

#include "html/about.h"
#include "textio/cp932.h"

#include <QString>
#include <QStringList>

namespace pagekit {

struct Photo
{
    QString src;   // as written in the img tag
    QString shown; // as written in the caption line
    bool web = false; // shown by its web-size copy, linked to src
};

struct Expect
{
    QString title = QStringLiteral("ここにタイトル！");
    QString label;
    QString body = QStringLiteral("<BODY bgcolor=\"#ffffff\">"); // empty: no body line
    QString backLink;                                          // empty: no back links
    QString border = QStringLiteral("0");
    QString width;       // empty: no width attribute
    bool spacers = true; // false: the print preset's rows without spacer rows
    QList<Photo> photos;
};

// "a.jpg" for a bare name, shown under its own name.
inline Photo photo(const QString &name, const QString &shown = QString())
{
    return {QStringLiteral("./") + name, shown.isEmpty() ? name : shown};
}

inline QString footer()
{
    return QStringLiteral("<FONT size=\"-1\">このページは <A href=\"") + about::homePage +
           QStringLiteral("\" target=\"_top\">") + about::product + QStringLiteral("</A> Ver ") + about::version +
           QStringLiteral(" で作成しました。</FONT>");
}

inline QStringList lines(const Expect &e)
{
    QStringList l{
        "<HTML>",
        "<HEAD>",
        "<META HTTP-EQUIV=\"Content-type\" CONTENT=\"text/html; charset=Shift_JIS\">",
        "<TITLE>" + e.title + e.label + "</TITLE>",
        "</HEAD>",
        "<STYLE TYPE =\"text/css\">",
        "<!--",
        "TABLE{font-size:12pt}",
        "P{font-size:12pt}",
        "div{font-size:12pt}",
        "body{font-size:12pt}",
        "-->",
        "</STYLE>",
    };
    if (!e.body.isEmpty())
        l << e.body;
    l << " "
      << "<div align=\"center\"><B><FONT size=\"+3\">";
    if (!e.backLink.isEmpty())
        l << "　　";
    l << e.title + e.label << "</FONT>";
    if (!e.backLink.isEmpty())
        l << "　　　<A href=\"" + e.backLink + "\" target=\"_top\">戻る</A>";
    l << "</B></div>"
      << "<FONT size=\"-3\"><br></FONT>"
      << "<HR>"
      << "<FONT size=\"-3\"><br></FONT>"
      << "<center>"
      << "<table border=\"" + e.border + "\">";
    auto cell = [&](const Photo &p) {
        const QString width = e.width.isEmpty() ? QString() : " width=\"" + e.width + "\"";
        if (p.web)
            l << "<td nowrap align=\"center\"><a href=\"" + p.src + "\"><img src=\"./web/" + p.src.mid(2) +
                     "\" border=\"0\"" + width + "></a><br>";
        else
            l << "<td nowrap align=\"center\"><img src=\"" + p.src + "\" border=\"0\"" + width + "><br>";
        l << "<FONT size=\"+1\"><b>" + p.shown + "</FONT></td>";
    };
    for (qsizetype i = 0; i < e.photos.size(); i += 2) {
        l << "<tr>";
        cell(e.photos[i]);
        l << "<td>　</td>";
        if (i + 1 < e.photos.size())
            cell(e.photos[i + 1]);
        else
            l << "<td>　</td>";
        l << "</tr>";
        if (e.spacers)
            l << "<tr><td colspan=\"3\">　</td></tr>";
    }
    l << "</TABLE>"
      << "</CENTER>"
      << "<HR>"
      << "<CENTER>";
    if (!e.backLink.isEmpty())
        l << "<A href=\"" + e.backLink + "\">"
          << "<FONT size=\"+2\">"
          << "<b>戻　る</b></FONT></A>"
          << "<BR>";
    l << "</CENTER>" << footer() << "</BODY>"
      << "</HTML>";
    return l;
}

inline QByteArray bytes(const Expect &e)
{
    return cp932::encodeLines(lines(e), cp932::Unmappable::CharRef);
}

} // namespace pagekit
