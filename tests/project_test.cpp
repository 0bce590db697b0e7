// The project-file format without a window: the writer's bytes and the
// reader's cutting of hand-made files.
#include "album/photoentry.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

namespace {

using album::Album;
using projectfile::Loaded;

const QString tripFolder = QStringLiteral("D:\\photos\\trip");

Album trip()
{
    Album a;
    a.border = 1;
    a.backLink = QStringLiteral("../index.html");
    a.title = QStringLiteral("夏の旅行");
    a.widthFlag = 1;
    a.background = 2;
    a.backgroundImage = QStringLiteral("http://");
    a.pageName = QStringLiteral("index.html");
    a.entries = {QStringLiteral("p001.jpg,海辺にて"), QStringLiteral("p002.jpg"), QStringLiteral("p003.jpg,夕日がきれい")};
    return a;
}

QByteArray encoded(const Album &a, QString *missing = nullptr)
{
    return cp932::encodeLines(projectfile::write(tripFolder, a), cp932::Unmappable::Report, missing);
}

Loaded readText(const QString &text)
{
    return projectfile::parse(cp932::encode(text, cp932::Unmappable::Report));
}

// A file with the given header and the writer's usual lines after it.
Loaded withHeader(const QString &header)
{
    return readText(header + QStringLiteral("\r\nopt3\r\nbg.png\r\npage.html\r\na.jpg\r\n"));
}

} // namespace

TEST(ProjectWriter, TripAlbumGivesTheExactBytes)
{
    const QByteArray expected = "kamerio,D:\\photos\\trip,1,../index.html,"
                                "\x89\xC4\x82\xCC\x97\xB7\x8D\x73"
                                ",1\r\n"
                                "opt2\r\n"
                                "http://\r\n"
                                "index.html\r\n"
                                "p001.jpg,"
                                "\x8A\x43\x95\xD3\x82\xC9\x82\xC4"
                                "\r\n"
                                "p002.jpg\r\n"
                                "p003.jpg,"
                                "\x97\x5B\x93\xFA\x82\xAA\x82\xAB\x82\xEA\x82\xA2"
                                "\r\n";
    QString missing;
    EXPECT_EQ(encoded(trip(), &missing), expected);
    EXPECT_TRUE(missing.isEmpty());
}

TEST(ProjectWriter, OptionLineAndBlankEntries)
{
    Album a = trip();
    a.background = 7;
    a.border = 0;
    a.widthFlag = 2;
    a.entries = {QStringLiteral("   "), QString(), QStringLiteral("a.jpg  "), QStringLiteral("\u3000"),
                 QStringLiteral("b.jpg, "), QStringLiteral(" ")};
    const QStringList lines = projectfile::write(tripFolder, a);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], QStringLiteral("kamerio,D:\\photos\\trip,0,../index.html,夏の旅行,2"));
    EXPECT_EQ(lines[1], QStringLiteral("opt7"));
    // Only spaces make an entry blank: a full-width space is kept.
    EXPECT_EQ(lines.mid(4), (QStringList{QStringLiteral("a.jpg  "), QStringLiteral("\u3000"), QStringLiteral("b.jpg, ")}));
}

TEST(ProjectWriter, CharactersWithoutCp932FormInCaptionsAndTitleBecomeReferences)
{
    Album a = trip();
    a.title = QStringLiteral("旅\U0001F600");
    a.entries = {QStringLiteral("a.jpg,海\U0001F30A,波〜¥"), QStringLiteral("b\U0001F600.jpg,x"),
                 QStringLiteral("c\u00E9.jpg")};
    QString missing;
    const QByteArray bytes = encoded(a, &missing);
    const QStringList lines = projectfile::write(tripFolder, a);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(",旅&#128512;,1")));
    // 〜 has a CP932 twin; ¥ would read back as a backslash.
    EXPECT_EQ(lines[4], QStringLiteral("a.jpg,海&#127754;,波〜&#165;"));
    // File names are not HTML: their characters are reported, not rewritten.
    EXPECT_EQ(lines[5], QStringLiteral("b\U0001F600.jpg,x"));
    EXPECT_EQ(missing, QStringLiteral("\U0001F600\u00E9"));
    EXPECT_TRUE(bytes.contains("\r\nb.jpg,x\r\nc.jpg\r\n"));
}

TEST(ProjectWriter, NamesThatComeBackOtherwiseAreFound)
{
    Album a = trip();
    a.entries = {QStringLiteral("a.jpg,\U0001F600"), QStringLiteral("b\U0001F600.jpg,cap"), QStringLiteral("c\u301C.jpg"),
                 QStringLiteral("d\uFF5E.jpg"), QStringLiteral("b\U0001F600.jpg"), QStringLiteral("e\u00A5.jpg")};
    EXPECT_EQ(projectfile::unholdableNames(a),
              (QStringList{QStringLiteral("b\U0001F600.jpg"), QStringLiteral("c\u301C.jpg"), QStringLiteral("e\u00A5.jpg")}));
    EXPECT_TRUE(projectfile::unholdableNames(trip()).isEmpty());
}

TEST(ProjectReader, TripAlbumReadsBack)
{
    const Loaded f = projectfile::parse(encoded(trip()));
    ASSERT_TRUE(f.magicMatched);
    EXPECT_TRUE(f.madeIn(QStringLiteral("D:\\photos\\trip")));
    EXPECT_FALSE(f.madeIn(QStringLiteral("D:\\Photos\\trip")));
    EXPECT_EQ(f.border, 1);
    EXPECT_EQ(f.backLink, QStringLiteral("../index.html"));
    EXPECT_EQ(f.title, QStringLiteral("夏の旅行"));
    EXPECT_EQ(f.widthFlag, 1);
    EXPECT_EQ(f.option, 2);
    EXPECT_EQ(f.background, QStringLiteral("http://"));
    EXPECT_EQ(f.pageName, QStringLiteral("index.html"));
    EXPECT_EQ(f.entries, trip().entries);
    EXPECT_FALSE(f.tooManyEntries);
    EXPECT_FALSE(f.tooLarge);
}

TEST(ProjectReader, MagicMustMatchExactlyBeforeTheFirstComma)
{
    for (const QString &head : {QStringLiteral("Kamerio,f,1,u,t,1"), QStringLiteral("kamerio"),
                                QStringLiteral(" kamerio,f,1,u,t,1"), QStringLiteral("kamerio ,f,1,u,t,1"),
                                QStringLiteral("KAMERIO,f,1,u,t,1"), QString()}) {
        const Loaded f = withHeader(head);
        EXPECT_FALSE(f.magicMatched) << head.toStdString();
        EXPECT_TRUE(f.entries.isEmpty());
    }
    EXPECT_FALSE(projectfile::parse(QByteArray()).magicMatched);
    EXPECT_TRUE(withHeader(QStringLiteral("kamerio,")).magicMatched);
}

TEST(ProjectReader, CommasInHeaderFieldsShiftTheFollowingFields)
{
    // A "," in the folder: the flag is the folder's next character.
    Loaded f = withHeader(QStringLiteral("kamerio,D:\\a,b,1,back,title,1"));
    EXPECT_EQ(f.folder, QStringLiteral("D:\\a"));
    EXPECT_EQ(f.border, 0);
    EXPECT_EQ(f.backLink, QStringLiteral("1"));
    EXPECT_EQ(f.title, QStringLiteral("back"));
    EXPECT_EQ(f.widthFlag, 0);

    // A title "A,B" with the width flag on.
    f = withHeader(QStringLiteral("kamerio,f,0,u,A,B,1"));
    EXPECT_EQ(f.title, QStringLiteral("A"));
    EXPECT_EQ(f.widthFlag, 0);

    // A "," in the back-link.
    f = withHeader(QStringLiteral("kamerio,f,1,a,b,T,1"));
    EXPECT_EQ(f.backLink, QStringLiteral("a"));
    EXPECT_EQ(f.title, QStringLiteral("b"));
    EXPECT_EQ(f.widthFlag, 0);

    // The character after the flag is passed over unseen.
    f = withHeader(QStringLiteral("kamerio,f,1Xback,t,1"));
    EXPECT_EQ(f.border, 1);
    EXPECT_EQ(f.backLink, QStringLiteral("back"));
}

TEST(ProjectReader, FieldValues)
{
    // Only the back-link is trimmed, and only of plain spaces.
    Loaded f = withHeader(QStringLiteral("kamerio, f ,1,  http://x/  , T ,1"));
    EXPECT_EQ(f.folder, QStringLiteral(" f "));
    EXPECT_EQ(f.backLink, QStringLiteral("http://x/"));
    EXPECT_EQ(f.title, QStringLiteral(" T "));
    f = withHeader(QStringLiteral("kamerio,f,1,\u3000u\u3000,t,1"));
    EXPECT_EQ(f.backLink, QStringLiteral("\u3000u\u3000"));

    // The flag character: a digit gives its value, anything else 0.
    const std::pair<QString, int> flags[] = {{QStringLiteral("0"), 0}, {QStringLiteral("2"), 2},
                                             {QStringLiteral("7"), 7}, {QStringLiteral("x"), 0},
                                             {QStringLiteral("-"), 0}, {QStringLiteral("１"), 0}};
    for (const auto &[flag, value] : flags)
        EXPECT_EQ(withHeader(QStringLiteral("kamerio,f,%1,u,t,1").arg(flag)).border, value) << flag.toStdString();

    // The width flag: leading decimal digits of everything after the title.
    const std::pair<QString, int> widths[] = {{QStringLiteral("1"), 1},         {QStringLiteral("0"), 0},
                                              {QString(), 0},                    {QStringLiteral("12abc"), 12},
                                              {QStringLiteral(" 1"), 0},         {QStringLiteral("1,0"), 1},
                                              {QStringLiteral("99999999999"), -1}, {QStringLiteral("x1"), 0}};
    for (const auto &[width, value] : widths)
        EXPECT_EQ(withHeader(QStringLiteral("kamerio,f,1,u,t,") + width).widthFlag, value) << width.toStdString();
}

TEST(ProjectReader, ShortHeaderLeavesTheMissingFieldsOut)
{
    Loaded f = withHeader(QStringLiteral("kamerio,folder"));
    EXPECT_TRUE(f.magicMatched);
    EXPECT_FALSE(f.folder || f.border || f.backLink || f.title || f.widthFlag);
    EXPECT_FALSE(f.madeIn(QStringLiteral("folder")));
    // The lines after the header are read all the same.
    EXPECT_EQ(f.option, 3);
    EXPECT_EQ(f.entries, QStringList{QStringLiteral("a.jpg")});

    f = withHeader(QStringLiteral("kamerio,folder,"));
    EXPECT_EQ(f.folder, QStringLiteral("folder"));
    EXPECT_FALSE(f.border || f.backLink);

    f = withHeader(QStringLiteral("kamerio,folder,1"));
    EXPECT_EQ(f.border, 1);
    EXPECT_FALSE(f.backLink || f.title || f.widthFlag);

    f = withHeader(QStringLiteral("kamerio,folder,1,back"));
    EXPECT_FALSE(f.backLink || f.title || f.widthFlag);

    f = withHeader(QStringLiteral("kamerio,folder,1,back,title"));
    EXPECT_EQ(f.backLink, QStringLiteral("back"));
    EXPECT_FALSE(f.title || f.widthFlag);
}

TEST(ProjectReader, OptionLineMustBeOneOfTheNine)
{
    for (const QString &line : {QStringLiteral("opt0"), QStringLiteral("opt10"), QStringLiteral("OPT7"),
                                QStringLiteral("opt7 "), QStringLiteral(" opt7"), QStringLiteral("opt"),
                                QStringLiteral("opt７"), QString()})
        EXPECT_FALSE(readText(QStringLiteral("kamerio,f,1,u,t,1\r\n%1\r\nbg\r\npage\r\n").arg(line)).option)
            << line.toStdString();
    const Loaded f = readText(QStringLiteral("kamerio,f,1,u,t,1\r\nopt10\r\nbg\r\npage\r\n"));
    // Exactly one line is consumed either way.
    EXPECT_EQ(f.background, QStringLiteral("bg"));
    EXPECT_EQ(f.pageName, QStringLiteral("page"));
    EXPECT_EQ(readText(QStringLiteral("kamerio,f,1,u,t,1\r\nopt9\r\n")).option, 9);
}

TEST(ProjectReader, FileEndingEarlyLeavesTheLaterLinesOut)
{
    Loaded f = readText(QStringLiteral("kamerio,f,1,u,t,1"));
    EXPECT_TRUE(f.magicMatched);
    EXPECT_FALSE(f.option || f.background || f.pageName);
    f = readText(QStringLiteral("kamerio,f,1,u,t,1\r\nopt2\r\n"));
    EXPECT_EQ(f.option, 2);
    EXPECT_FALSE(f.background || f.pageName);
    f = readText(QStringLiteral("kamerio,f,1,u,t,1\r\nopt2\r\n\r\n"));
    EXPECT_EQ(f.background, QString());
    EXPECT_FALSE(f.pageName);
}

TEST(ProjectReader, EntriesKeepTheirSpacesAndBlankLinesAreDropped)
{
    // CR alone ends a line too, and the last line needs no terminator.
    const Loaded f = projectfile::parse("kamerio,f,1,u,t,1\r\nopt1\r\n  \r\n \r"
                                        "a.jpg , x \r\n\r\n   \r\nb.jpg\r\r\n\x81\x40\r\nc.jpg");
    EXPECT_EQ(f.background, QStringLiteral("  "));
    EXPECT_EQ(f.pageName, QStringLiteral(" "));
    EXPECT_EQ(f.entries, (QStringList{QStringLiteral("a.jpg , x "), QStringLiteral("b.jpg"),
                                      QStringLiteral("\u3000"), QStringLiteral("c.jpg")}));
}

TEST(ProjectReader, StopsAtAFullPhotoList)
{
    QByteArray bytes = "kamerio,f,1,u,t,1\r\nopt1\r\nbg\r\npage\r\n";
    for (int i = 0; i < photoentry::maxEntries; ++i)
        bytes += "p.jpg\r\n\r\n";
    Loaded f = projectfile::parse(bytes);
    EXPECT_EQ(f.entries.size(), photoentry::maxEntries);
    EXPECT_FALSE(f.tooManyEntries);
    // Blank lines past the limit are no entries.
    f = projectfile::parse(bytes + "  \r\n\r\n");
    EXPECT_FALSE(f.tooManyEntries);
    f = projectfile::parse(bytes + "last.jpg\r\n");
    EXPECT_EQ(f.entries.size(), photoentry::maxEntries);
    EXPECT_TRUE(f.tooManyEntries);
    EXPECT_EQ(f.entries.last(), QStringLiteral("p.jpg"));
}

TEST(ProjectReader, HostileInputsAreReadWithoutHarm)
{
    // A million lines.
    QByteArray many = "kamerio,f,1,u,t,1\r\nopt1\r\nbg\r\npage\r\n";
    many += QByteArray("x\r\n").repeated(1000000);
    Loaded f = projectfile::parse(many);
    EXPECT_EQ(f.entries.size(), photoentry::maxEntries);
    EXPECT_TRUE(f.tooManyEntries);

    // Invalid CP932 bytes are read as replacement characters.
    f = projectfile::parse("kamerio,f\x81,1,u,t,1\r\nopt1\r\nbg\r\npage\r\n\x82\xFF\xA0.jpg\r\n\xFD\xFE");
    EXPECT_TRUE(f.magicMatched);
    EXPECT_EQ(f.entries.size(), 2);
    EXPECT_TRUE(f.entries[0].endsWith(QStringLiteral(".jpg")));

    // Binary data, NUL bytes included.
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) & 0xFF);
    EXPECT_FALSE(projectfile::parse(binary).magicMatched);
    EXPECT_TRUE(projectfile::parse(QByteArray("kamerio,\0\0,\0", 12)).magicMatched);
}

TEST(ProjectReader, FileLargerThanTheLimitIsReadUpToItsLastWholeLine)
{
    for (const char *end : {"\r\n", "\n"}) {
        QByteArray bytes =
            QByteArray("kamerio,f,1,u,t,1\r\nopt1\r\nbg\r\npage\r\na.jpg\r\nb.jpg,").replace("\r\n", end);
        bytes += QByteArray(projectfile::maxBytes + 1 - bytes.size(), 'x');
        const Loaded f = projectfile::parse(bytes);
        EXPECT_TRUE(f.tooLarge);
        EXPECT_EQ(f.entries, QStringList{QStringLiteral("a.jpg")});
        EXPECT_FALSE(projectfile::parse(bytes.first(projectfile::maxBytes)).tooLarge);
    }
}

TEST(ProjectReader, FilesFromEditorsReadAsTheProgramsOwn)
{
    // LF line ends, UTF-8 with and without a byte-order mark, and CP932.
    const QByteArray utf8 = "kamerio,f,1,u,\xE5\xA4\x8F,1\nopt2\nbg\npage\na.jpg,\xE6\xB5\xB7\n\nb.jpg\n";
    const QByteArray cp932 = "kamerio,f,1,u,\x89\xC4,1\nopt2\nbg\npage\na.jpg,\x8A\x43\n\nb.jpg";
    for (const QByteArray &bytes : {utf8, "\xEF\xBB\xBF" + utf8, QByteArray(utf8).replace("\n", "\r"), cp932}) {
        const Loaded f = projectfile::parse(bytes);
        ASSERT_TRUE(f.magicMatched) << bytes.toStdString();
        EXPECT_EQ(f.title, QStringLiteral("夏"));
        EXPECT_EQ(f.option, 2);
        EXPECT_EQ(f.pageName, QStringLiteral("page"));
        EXPECT_EQ(f.entries, (QStringList{QStringLiteral("a.jpg,海"), QStringLiteral("b.jpg")}));
    }
}

TEST(ProjectFile, ProposedNames)
{
    EXPECT_EQ(projectfile::proposedName(QStringLiteral("index.html")), QStringLiteral("index.txt"));
    EXPECT_EQ(projectfile::proposedName(QStringLiteral("my.page.html")), QStringLiteral("my.txt"));
    EXPECT_EQ(projectfile::proposedName(QStringLiteral("a.htm")), QStringLiteral("a.txt"));
    EXPECT_EQ(projectfile::proposedName(QStringLiteral("index")), QStringLiteral("index"));
    EXPECT_EQ(projectfile::proposedName(QStringLiteral(".html")), QStringLiteral(".txt"));
}
