#include "fileops/fsname.h"
#include "textio/cp932.h"
#include "textio/textfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST(Cp932, EncodesJapaneseAndAscii)
{
    EXPECT_EQ(cp932::encode(u"写真 a", cp932::Unmappable::CharRef), QByteArray("\x8e\xca\x90\x5e a"));
    EXPECT_EQ(cp932::encode(u"ｶ", cp932::Unmappable::CharRef), QByteArray("\xb6"));
    EXPECT_EQ(cp932::encode(u"\\~", cp932::Unmappable::CharRef), QByteArray("\\~"));
}

TEST(Cp932, LinuxFormsBecomeTheirFullWidthTwins)
{
    const QString linuxForms = QString::fromUtf16(u"\u301C\u2016\u2212\u00A2\u00A3\u00AC");
    EXPECT_EQ(cp932::encode(linuxForms, cp932::Unmappable::CharRef),
              QByteArray("\x81\x60\x81\x61\x81\x7c\x81\x91\x81\x92\x81\xca"));
}

TEST(Cp932, CharactersWithoutAFormBecomeCharacterReferences)
{
    EXPECT_EQ(cp932::encode(u"a😀b", cp932::Unmappable::CharRef), QByteArray("a&#128512;b"));
    // ¥ and ‾ would come back as \ and ~, so they count as having no form.
    EXPECT_EQ(cp932::encode(u"¥‾", cp932::Unmappable::CharRef), QByteArray("&#165;&#8254;"));
    EXPECT_EQ(cp932::encode(u"한", cp932::Unmappable::CharRef), QByteArray("&#54620;"));
}

TEST(Cp932, ReportModeNamesEachMissingCharacterOnce)
{
    QString missing;
    EXPECT_EQ(cp932::encode(u"a¥b¥😀", cp932::Unmappable::Report, &missing), QByteArray("ab"));
    EXPECT_EQ(missing, QString::fromUtf16(u"¥😀"));
}

TEST(Cp932, DecodeNeverFailsOnBadBytes)
{
    EXPECT_EQ(cp932::decode("\x8e\xca\x90\x5e"), QStringLiteral("写真"));
    EXPECT_EQ(cp932::decode("a\x81"), QStringLiteral("a\uFFFD"));
    EXPECT_EQ(cp932::decode("\xa0z"), QStringLiteral("\uFFFDz"));
    EXPECT_EQ(cp932::decode(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
}

TEST(Cp932, LinesEndAtCrLfLoneCrOrLoneLf)
{
    EXPECT_EQ(cp932::encodeLines({"a", "", "b"}, cp932::Unmappable::CharRef), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(cp932::splitLines(QStringLiteral("a\r\nb\rc\r\n\r\nd")), QStringList({"a", "b", "c", "", "d"}));
    EXPECT_EQ(cp932::splitLines(QStringLiteral("a\nb\r\n\nc\n")), QStringList({"a", "b", "", "c"}));
    EXPECT_TRUE(cp932::splitLines(QString()).isEmpty());
}

TEST(TextFile, DecodesUtf8FromEditorsAndCp932FromEverythingElse)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"\xEF\xBB\xBFkamerio,\xE5\x86\x99\xE7\x9C\x9F", QStringLiteral("kamerio,写真")},
        {"\xE5\x86\x99\xE7\x9C\x9F", QStringLiteral("写真")},
        {"caf\xC3\xA9", QStringLiteral("café")},
        {"\xEF\xBB\xBF", QString()},
        // A byte-order mark says UTF-8 even before a byte that is not.
        {"\xEF\xBB\xBF\x8e", QStringLiteral("\uFFFD")},
        {"\x8e\xca\x90\x5e", QStringLiteral("写真")},
        {"plain ascii", QStringLiteral("plain ascii")},
        {"\xB6\xD2", QStringLiteral("ｶﾒ")},
        // UTF-8 cut off in the middle of a character is not UTF-8.
        {"a\xE5\x86", QStringLiteral("a蜀")},
        // The rare CP932 text that is valid UTF-8: half-width ﾐｶ.
        {"\xD0\xB6", QStringLiteral("\u0436")},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(textfile::decode(bytes), text) << bytes.toHex().toStdString();
}

TEST(TextFile, SaveReplacesWholeFileAndFailsCleanly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.txt"));
    ASSERT_TRUE(textfile::save(path, "first version, longer"));
    ASSERT_TRUE(textfile::save(path, "second"));
    EXPECT_EQ(textfile::load(path).value(), QByteArray("second"));

    QString error;
    EXPECT_FALSE(textfile::save(dir.filePath(QStringLiteral("missing/p.txt")), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(textfile::load(dir.path()).has_value());
}

TEST(FsName, StrayBytesRoundTripAndNeverMeetAValidName)
{
    const QByteArray raw("a\xff\xe3\x81.jpg");
    const QString shown = fsname::decode(raw);
    EXPECT_FALSE(fsname::isPlain(shown));
    EXPECT_EQ(fsname::encode(shown), raw);
    EXPECT_NE(shown, fsname::decode("a\xef\xbf\xbd.jpg"));
    EXPECT_TRUE(fsname::isPlain(QStringLiteral("写真😀.jpg")));
    EXPECT_EQ(fsname::encode(QStringLiteral("写真😀.jpg")), QStringLiteral("写真😀.jpg").toUtf8());
    // Overlong and surrogate encodings are not UTF-8 either.
    EXPECT_EQ(fsname::encode(fsname::decode("\xc0\xaf\xed\xa0\x80")), QByteArray("\xc0\xaf\xed\xa0\x80"));
    EXPECT_FALSE(fsname::isPlain(fsname::decode("\xc0\xaf")));
}

TEST(FsName, ListsRegularFilesInNaturalOrder)
{
    QTemporaryDir dir;
    for (const char *n : {"IMG_10.jpg", "img_2.JPG", "IMG_1.jpg", "b.txt", ".hidden"}) {
        QFile f(dir.filePath(QString::fromLatin1(n)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    EXPECT_EQ(fsname::listFiles(dir.path()), QStringList({"b.txt", "IMG_1.jpg", "img_2.JPG", "IMG_10.jpg"}));
    EXPECT_EQ(fsname::listDirs(dir.path()), QStringList({"sub"}));
    EXPECT_EQ(fsname::join(QStringLiteral("/"), QStringLiteral("a")), QStringLiteral("/a"));
    EXPECT_EQ(fsname::join(QStringLiteral("/x"), QStringLiteral("a")), QStringLiteral("/x/a"));
}
