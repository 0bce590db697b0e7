#include "pagekit.h"

#include "html/page.h"
#include "html/split.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray encoded(const page::Page &p)
{
    return p.bytes;
}

// The options of a fresh window.
page::Options fresh(int albumCount)
{
    page::Options o;
    o.title = QStringLiteral("ここにタイトル！");
    o.backLink = QStringLiteral("http://");
    o.backgroundImage = QStringLiteral("http://");
    o.width = QStringLiteral("480");
    o.albumCount = albumCount;
    return o;
}

QStringList names(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("p%1.jpg").arg(i);
    return out;
}

QList<pagekit::Photo> photos(int n)
{
    QList<pagekit::Photo> out;
    for (const QString &name : names(n))
        out << pagekit::photo(name);
    return out;
}

} // namespace

TEST(PageWriter, OnePhotoWithFreshOptionsIsExactlyTheseBytes)
{
    const page::Page p = page::compose(fresh(1), {QStringLiteral("a.jpg")});
    const QByteArray expected =
        "<HTML>\r\n<HEAD>\r\n"
        "<META HTTP-EQUIV=\"Content-type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n"
        "<TITLE>\x82\xB1\x82\xB1\x82\xC9\x83\x5E\x83\x43\x83\x67\x83\x8B\x81\x49</TITLE>\r\n"
        "</HEAD>\r\n<STYLE TYPE =\"text/css\">\r\n<!--\r\nTABLE{font-size:12pt}\r\nP{font-size:12pt}\r\n"
        "div{font-size:12pt}\r\nbody{font-size:12pt}\r\n-->\r\n</STYLE>\r\n"
        "<BODY bgcolor=\"#ffffff\">\r\n \r\n<div align=\"center\"><B><FONT size=\"+3\">\r\n"
        "\x82\xB1\x82\xB1\x82\xC9\x83\x5E\x83\x43\x83\x67\x83\x8B\x81\x49\r\n</FONT>\r\n</B></div>\r\n"
        "<FONT size=\"-3\"><br></FONT>\r\n<HR>\r\n<FONT size=\"-3\"><br></FONT>\r\n<center>\r\n"
        "<table border=\"0\">\r\n<tr>\r\n"
        "<td nowrap align=\"center\"><img src=\"./a.jpg\" border=\"0\"><br>\r\n"
        "<FONT size=\"+1\"><b>a.jpg</FONT></td>\r\n"
        "<td>\x81\x40</td>\r\n<td>\x81\x40</td>\r\n</tr>\r\n<tr><td colspan=\"3\">\x81\x40</td></tr>\r\n"
        "</TABLE>\r\n</CENTER>\r\n<HR>\r\n<CENTER>\r\n</CENTER>\r\n";
    const QByteArray end = "</BODY>\r\n</HTML>\r\n";
    const QByteArray out = encoded(p);
    ASSERT_TRUE(out.startsWith(expected)) << out.constData();
    ASSERT_TRUE(out.endsWith(end));
    const QByteArray footer = out.mid(expected.size(), out.size() - expected.size() - end.size());
    EXPECT_EQ(footer, cp932::encode(pagekit::footer(), cp932::Unmappable::CharRef) + "\r\n");
    EXPECT_EQ(p.title, QStringLiteral("ここにタイトル！"));
    EXPECT_EQ(p.width, QStringLiteral("480"));
}

TEST(PageWriter, FooterNamesTheProgramItsHomeAndVersion)
{
    const QStringList lines = cp932::splitLines(cp932::decode(page::compose(fresh(1), {QStringLiteral("a.jpg")}).bytes));
    const QString footer = lines[lines.size() - 3];
    EXPECT_EQ(about::version, QStringLiteral("1.34"));
    EXPECT_TRUE(about::homePage.startsWith(QStringLiteral("http://")));
    EXPECT_TRUE(footer.contains(QStringLiteral("<A href=\"") + about::homePage + u'"'));
    EXPECT_TRUE(footer.contains(about::product));
    EXPECT_TRUE(footer.contains(QStringLiteral("Ver 1.34")));
    EXPECT_EQ(lines[lines.size() - 4], QStringLiteral("</CENTER>"));
}

TEST(PageWriter, EveryBackgroundChoice)
{
    const QString lines[] = {
        QString(),
        QStringLiteral("<BODY bgcolor=\"#ffffff\">"),
        QStringLiteral("<BODY bgcolor=\"#84FFFF\">"),
        QStringLiteral("<BODY bgcolor=\"#FFFF84\">"),
        QStringLiteral("<BODY bgcolor=\"#FFC384\">"),
        QStringLiteral("<BODY bgcolor=\"#84FF84\">"),
        QStringLiteral("<BODY bgcolor=\"#C6C3FF\">"),
        QStringLiteral("<BODY bgcolor=\"#FFC3C6\">"),
        QStringLiteral("<BODY bgcolor=\"#FFC3FF\">"),
    };
    for (int choice = 0; choice <= 8; ++choice) {
        page::Options o = fresh(1);
        o.background = choice;
        pagekit::Expect e;
        e.body = lines[choice];
        e.photos = photos(1);
        EXPECT_EQ(encoded(page::compose(o, names(1))), pagekit::bytes(e)) << "choice " << choice;
    }
    const std::pair<QString, QString> images[] = {
        {QStringLiteral("http://"), QStringLiteral("<BODY bgcolor=\"#ffffff\">")},
        {QStringLiteral("http:// "), QStringLiteral("<BODY background=\"http:// \">")},
        {QStringLiteral("HTTP://"), QStringLiteral("<BODY background=\"HTTP://\">")},
        {QStringLiteral("kabe.gif"), QStringLiteral("<BODY background=\"kabe.gif\">")},
    };
    for (const auto &[image, line] : images) {
        page::Options o = fresh(1);
        o.background = 9;
        o.backgroundImage = image;
        pagekit::Expect e;
        e.body = line;
        e.photos = photos(1);
        EXPECT_EQ(encoded(page::compose(o, names(1))), pagekit::bytes(e)) << image.toStdString();
    }
}

TEST(PageWriter, BackLinkNeedsMoreThanTenCharacters)
{
    page::Options o = fresh(3);
    o.backLink = QStringLiteral("http://a.b");
    pagekit::Expect e;
    e.photos = photos(3);
    EXPECT_EQ(encoded(page::compose(o, names(3))), pagekit::bytes(e));

    o.backLink = QStringLiteral("http://a.jp");
    e.backLink = o.backLink;
    EXPECT_EQ(encoded(page::compose(o, names(3))), pagekit::bytes(e));

    o.backLink = QStringLiteral("http://例え.jp/");
    e.backLink = o.backLink;
    EXPECT_EQ(encoded(page::compose(o, names(3))), pagekit::bytes(e));
}

TEST(PageWriter, RowsTwoAtATimeAndTheCompactRuleOfThePrintPreset)
{
    for (int n : {1, 2, 3, 5, 6, 7}) {
        for (bool print : {false, true}) {
            page::Options o = fresh(n);
            o.fixedWidth = print;
            o.width = print ? QStringLiteral("360") : QStringLiteral("480");
            pagekit::Expect e;
            e.photos = photos(n);
            e.width = print ? QStringLiteral("360") : QString();
            e.spacers = !(print && (n == 5 || n == 6));
            EXPECT_EQ(encoded(page::compose(o, names(n))), pagekit::bytes(e)) << n << " photos, print " << print;
        }
    }
}

TEST(PageWriter, CompactRuleReadsTheWidthAsANumberOfTheWholeAlbum)
{
    auto spacers = [](int albumCount, int onPage, const QString &width, bool fixed = true) {
        page::Options o = fresh(albumCount);
        o.fixedWidth = fixed;
        o.width = width;
        return int(cp932::decode(page::compose(o, names(onPage)).bytes).count(QStringLiteral("<tr><td colspan=\"3\">　</td></tr>")));
    };
    EXPECT_EQ(spacers(6, 6, QStringLiteral(" 360 ")), 0);
    EXPECT_EQ(spacers(6, 6, QStringLiteral("360.0")), 0);
    EXPECT_EQ(spacers(5, 5, QStringLiteral("0360")), 0);
    EXPECT_EQ(spacers(6, 6, QStringLiteral("360px")), 3);
    EXPECT_EQ(spacers(6, 6, QStringLiteral("abc")), 3);
    EXPECT_EQ(spacers(6, 6, QStringLiteral("361")), 3);
    EXPECT_EQ(spacers(6, 6, QStringLiteral("360"), false), 3);
    EXPECT_EQ(spacers(6, 6, QString(), false), 3);
    // A page of a split album follows the whole album's count.
    EXPECT_EQ(spacers(25, 5, QStringLiteral("360")), 3);
    EXPECT_EQ(spacers(6, 2, QStringLiteral("360")), 0);
}

TEST(PageWriter, TitleAndWidthDefaults)
{
    for (const QString &blank : {QString(), QStringLiteral("   ")}) {
        page::Options o = fresh(1);
        o.title = blank;
        o.label = QStringLiteral("(1/2)");
        const page::Page p = page::compose(o, names(1));
        EXPECT_EQ(p.title, QStringLiteral("写　真　Ｈ　Ｐ"));
        const QByteArray out = encoded(p);
        EXPECT_TRUE(out.contains("<TITLE>\x8E\xCA\x81\x40\x90\x5E\x81\x40\x82\x67\x81\x40\x82\x6F(1/2)</TITLE>\r\n"));
        EXPECT_TRUE(out.contains("\r\n\x8E\xCA\x81\x40\x90\x5E\x81\x40\x82\x67\x81\x40\x82\x6F(1/2)\r\n</FONT>"));
    }
    page::Options o = fresh(3);
    o.title = QStringLiteral("  旅行　");
    pagekit::Expect e;
    e.title = o.title;
    e.photos = photos(3);
    EXPECT_EQ(encoded(page::compose(o, names(3))), pagekit::bytes(e));

    o.title = QStringLiteral("　");
    EXPECT_EQ(page::compose(o, names(1)).title, QStringLiteral("　"));

    o = fresh(3);
    o.fixedWidth = true;
    o.width = QString();
    const page::Page p = page::compose(o, names(3));
    EXPECT_EQ(p.width, QStringLiteral("480"));
    e = pagekit::Expect();
    e.photos = photos(3);
    e.width = QStringLiteral("480");
    EXPECT_EQ(encoded(p), pagekit::bytes(e));

    o.fixedWidth = false;
    EXPECT_EQ(page::compose(o, names(3)).width, QString());
    o.fixedWidth = true;
    o.width = QStringLiteral(" 400 ");
    EXPECT_TRUE(page::compose(o, names(1)).bytes.contains("width=\"400\">"));
}

TEST(PageWriter, CaptionsAreWrittenAsTyped)
{
    const QStringList entries = {
        QStringLiteral("a.jpg,海,山,川"),   QStringLiteral("b.jpg,  先頭に空白"), QStringLiteral("c.jpg,一行目<br>二行目"),
        QStringLiteral("d.jpg,"),          QStringLiteral("e.jpg,   "),        QStringLiteral("f.jpg"),
        QStringLiteral("g.jpg,😀 ¥ 〜 − 髙"), QStringLiteral("h.jpg,Border 1"),
    };
    page::Options o = fresh(8);
    o.border = 1;
    pagekit::Expect e;
    e.border = QStringLiteral("1");
    e.photos = {
        pagekit::photo(QStringLiteral("a.jpg"), QStringLiteral("海,山,川")),
        pagekit::photo(QStringLiteral("b.jpg"), QStringLiteral("  先頭に空白")),
        pagekit::photo(QStringLiteral("c.jpg"), QStringLiteral("一行目<br>二行目")),
        pagekit::photo(QStringLiteral("d.jpg")),
        pagekit::photo(QStringLiteral("e.jpg")),
        pagekit::photo(QStringLiteral("f.jpg")),
        pagekit::photo(QStringLiteral("g.jpg"), QStringLiteral("&#128512; &#165; 〜 − 髙")),
        pagekit::photo(QStringLiteral("h.jpg"), QStringLiteral("Border 1")),
    };
    const QByteArray out = encoded(page::compose(o, entries));
    EXPECT_EQ(out, pagekit::bytes(e));
    // The Linux forms of 〜 and − are written as the CP932 bytes of their twins,
    // and 髙 (an IBM extension) as its own CP932 bytes.
    EXPECT_TRUE(out.contains("<b>&#128512; &#165; \x81\x60 \x81\x7C \xFB\xFC</FONT></td>\r\n"));
}

TEST(PageWriter, PhotoAddressesEscapeOnlyWhatWouldBreakThem)
{
    const std::pair<QString, QString> addresses[] = {
        {QStringLiteral("写真 1.jpg"), QStringLiteral("./写真 1.jpg")},
        {QStringLiteral("a%b#c?d\"e&f.jpg"), QStringLiteral("./a%25b%23c%3Fd%22e&amp;f.jpg")},
        {QStringLiteral("50%.jpg"), QStringLiteral("./50%25.jpg")},
        // A name that is not UTF-8 on disk: the browser must ask for the same byte.
        {QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".jpg"), QStringLiteral("./caf%E9.jpg")},
        {QStringLiteral("a\tb\nc.jpg"), QStringLiteral("./a%09b%0Ac.jpg")},
        // A Linux 〜 would come back as the full-width tilde, another file.
        {QStringLiteral("旅〜行.jpg"), QStringLiteral("./旅&#12316;行.jpg")},
    };
    for (const auto &[name, address] : addresses)
        EXPECT_EQ(page::imageAddress(name), cp932::encode(address, cp932::Unmappable::CharRef)) << name.toStdString();

    page::Options o = fresh(2);
    const QStringList entries = {QStringLiteral("a&b<c>#1.jpg"), QStringLiteral("😀.jpg,笑")};
    pagekit::Expect e;
    e.photos = {{QStringLiteral("./a&amp;b<c>%231.jpg"), QStringLiteral("a&amp;b&lt;c&gt;#1.jpg")},
                {QStringLiteral("./&#128512;.jpg"), QStringLiteral("笑")}};
    EXPECT_EQ(encoded(page::compose(o, entries)), pagekit::bytes(e));
}

TEST(PageFileName, NumberGoesBeforeTheFirstDot)
{
    EXPECT_EQ(page::fileName(QStringLiteral("index.html"), 0), QStringLiteral("index.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("index.html"), 2), QStringLiteral("index2.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("index.html"), 12), QStringLiteral("index12.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("indexp.html"), 2), QStringLiteral("indexp2.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("a.b.html"), 3), QStringLiteral("a3.b.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("  my page.html  "), 0), QStringLiteral("my page.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("  my page.html  "), 1), QStringLiteral("my page1.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("　index.html"), 0), QStringLiteral("　index.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("album"), 0), QStringLiteral("album"));
    EXPECT_EQ(page::fileName(QStringLiteral("album"), 2), QStringLiteral("album2"));
    EXPECT_EQ(page::fileName(QStringLiteral(".html"), 2), QStringLiteral("2.html"));
    EXPECT_EQ(page::fileName(QStringLiteral("    "), 0), QString());
    EXPECT_EQ(page::fileName(QString(), 3), QString());
}

TEST(Split, PagesOfTwenty)
{
    struct Row
    {
        int n;
        std::vector<split::Page> pages;
    };
    const Row rows[] = {
        {0, {}},
        {1, {{"(1/1)", 1, 0, 1}}},
        {19, {{"(1/1)", 1, 0, 19}}},
        {20, {{"(1/1)", 0, 0, 20}}},
        {21, {{"(1/2)", 1, 0, 20}, {"(2/2)", 2, 20, 1}}},
        {39, {{"(1/2)", 1, 0, 20}, {"(2/2)", 2, 20, 19}}},
        {40, {{"(1/2)", 1, 0, 20}, {"(2/2)", 2, 20, 20}}},
        {41, {{"(1/3)", 1, 0, 20}, {"(2/3)", 2, 20, 20}, {"(3/3)", 3, 40, 1}}},
    };
    for (const Row &r : rows) {
        const std::vector<split::Page> got = split::pages(r.n, true);
        ASSERT_EQ(got.size(), r.pages.size()) << r.n;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].label, r.pages[i].label) << r.n;
            EXPECT_EQ(got[i].number, r.pages[i].number) << r.n;
            EXPECT_EQ(got[i].first, r.pages[i].first) << r.n;
            EXPECT_EQ(got[i].count, r.pages[i].count) << r.n;
        }
    }
    const std::vector<split::Page> whole = split::pages(45, false);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].label, QString());
    EXPECT_EQ(whole[0].number, 0);
    EXPECT_EQ(whole[0].count, 45);
    EXPECT_EQ(split::pages(0, false).size(), 1u);

    EXPECT_EQ(split::pageCount(32767), 1639);
    const std::vector<split::Page> most = split::pages(32767, true);
    EXPECT_EQ(most.back().label, QStringLiteral("(1639/1639)"));
    EXPECT_EQ(most.back().count, 7);
}

TEST(PageSave, ReplacesWholeAndRefusesPathsInTheName)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/index.html");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    EXPECT_EQ(page::save(dir.path(), QStringLiteral("index.html"), QByteArray("<HTML>\r\n\x8E\xCA\r\n")),
              QString());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("<HTML>\r\n\x8E\xCA\r\n"));

    EXPECT_TRUE(page::save(dir.path(), QStringLiteral("../escape.html"), QByteArray("x\r\n")).contains(u'/'));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/../escape.html")));
    const QString odd = dir.path() + QStringLiteral("/caf") + QChar(0xDCE9);
    EXPECT_FALSE(page::save(odd, QStringLiteral("index.html"), QByteArray("x\r\n")).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"index.html"});

    const QString report = page::failureReport(
        {QStringLiteral("index2.html"), QStringLiteral("index3.html")}, QStringLiteral("理由"));
    EXPECT_EQ(report, QStringLiteral("次のページは書き込めませんでした（前からあるファイルはそのままです）。\n"
                                     "index2.html\nindex3.html\n\n理由"));
    QStringList many;
    for (int i = 1; i <= 13; ++i)
        many << QStringLiteral("i%1.html").arg(i);
    const QString manyReport = page::failureReport(many, QStringLiteral("理由"));
    EXPECT_TRUE(manyReport.contains(QStringLiteral("\ni10.html\nほか 3 ページ\n\n理由")));
    EXPECT_FALSE(manyReport.contains(QStringLiteral("i11.html")));
}
