#include "testkit.h"

#include "fileops/fsname.h"
#include "textio/codepoints.h"
#include "textio/cp932.h"
#include "textio/diskfile.h"
#include "textio/textfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(cp932::encode(u"a¥b¥😀\uFEFF", cp932::Unmappable::Report, &missing), QByteArray("ab"));
    // U+FEFF too, which a conversion from UCS-4 would take for a byte-order mark.
    EXPECT_EQ(missing, QString::fromUtf16(u"¥😀\uFEFF"));
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

TEST(CodePoints, APairIsOneCharacterAndAStraySurrogateStandsAlone)
{
    const QString text = QString::fromUtf16(u"a😀") + QChar(0xDC80) + QChar(0xD800) + u'b';
    std::vector<char32_t> values;
    for (const codepoints::CodePoint c : codepoints::walk(text))
        values.push_back(c.value);
    EXPECT_EQ(values, (std::vector<char32_t>{U'a', U'😀', 0xDC80, 0xD800, U'b'}));
    EXPECT_EQ(codepoints::count(text), 5);
    EXPECT_EQ(codepoints::left(text, 2), QString::fromUtf16(u"a😀"));
    EXPECT_EQ(codepoints::left(text, 9), text);
    EXPECT_EQ(codepoints::charRef(U'😀'), QByteArray("&#128512;"));
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

TEST(TextFile, SaveReplacesWholeFileKeepingItsPermissionsAndNeverWritesThroughALink)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.txt"));
    ASSERT_TRUE(textfile::save(path, "first version, longer"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(textfile::save(path, "second"));
    EXPECT_EQ(textfile::load(path).value(), QByteArray("second"));
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(textfile::save(link, "replaced"));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(textfile::load(link).value(), QByteArray("replaced"));
    EXPECT_EQ(textfile::load(path).value(), QByteArray("second"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"link.txt", "p.txt"}));
    EXPECT_FALSE(textfile::load(dir.path()).has_value());

    // A name that is not UTF-8 is written and read under its very bytes.
    const QString odd = dir.path() + QStringLiteral("/p") + QChar(0xDCFF);
    ASSERT_TRUE(textfile::save(odd, "odd"));
    EXPECT_EQ(textfile::load(odd).value(), QByteArray("odd"));
    EXPECT_EQ(testkit::bytes(dir.filePath(QString::fromLatin1("p\xFF"))), QByteArray());
    EXPECT_EQ(unlink((QFile::encodeName(dir.path()) + "/p\xFF").constData()), 0);
}

namespace {

// Where a write is about to fail: a folder holding the file it would
// replace, and the path it writes.
struct Scene
{
    QString folder;
    QString target;
    std::unique_ptr<testkit::Tmpfs> disk;
    bool unprivileged = false;
};

struct WriteFailure
{
    const char *cause;
    const char *tmpfs; // the options of a small disk of the folder's own, or none
    void (*setUp)(Scene &);
    QString reason;
};

void chmodOrFail(const QString &path, mode_t mode)
{
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

// The write is made by a user, not root, with the file and folder modes given.
void asUserWith(Scene &s, mode_t file, mode_t folder)
{
    chmodOrFail(s.target, file);
    chmodOrFail(s.folder, folder);
    s.unprivileged = true;
}

const WriteFailure writeFailures[] = {
    {"FullDisk", "size=64k", [](Scene &s) { s.disk->fill(); }, QStringLiteral("ﾃﾞｨｽｸがいっぱいです")},
    {"ReadOnlyDisk", "size=64k", [](Scene &s) { ASSERT_TRUE(s.disk->makeReadOnly()); },
     QStringLiteral("読み取り専用のﾄﾞﾗｲﾌﾞです")},
    {"FolderWithoutWritePermission", nullptr, [](Scene &s) { asUserWith(s, 0666, 0555); },
     QStringLiteral("書き込みが許可されていません")},
    {"FileMadeReadOnly", nullptr, [](Scene &s) { asUserWith(s, 0444, 0777); },
     QStringLiteral("書き込みが許可されていません")},
    {"FolderGone", nullptr, [](Scene &s) { s.target = s.folder + QStringLiteral("/gone/p.txt"); },
     QStringLiteral("ﾌｫﾙﾀﾞが見つかりません")},
    {"NameTooLong", nullptr, [](Scene &s) { s.target = s.folder + u'/' + QString(300, u'n'); },
     QStringLiteral("使えない名前です")},
};

// Everything in a folder, with the bytes of its files.
QStringList contents(const QString &folder)
{
    QStringList out;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        out << f.fileName() + u'=' + QString::fromLatin1(testkit::bytes(f.filePath()));
    return out;
}

// Takes away root's right to write anywhere for as long as it lives.
class Unprivileged
{
public:
    Unprivileged()
    {
        if (geteuid() != 0)
            return;
        if (setegid(nobody) != 0)
            return;
        if (seteuid(nobody) != 0) {
            setegid(0);
            return;
        }
        switched_ = true;
    }
    ~Unprivileged()
    {
        if (switched_) {
            seteuid(0);
            setegid(0);
        }
    }
    bool ready() const { return switched_ || geteuid() != 0; }

private:
    static constexpr uid_t nobody = 65534;
    bool switched_ = false;
};

void PrintTo(const WriteFailure &f, std::ostream *os)
{
    *os << f.cause;
}

class WriteFailures : public ::testing::TestWithParam<WriteFailure>
{
};

} // namespace

TEST_P(WriteFailures, SayWhyInJapaneseAndLeaveTheOldFileAsItWas)
{
    const WriteFailure &f = GetParam();
    QTemporaryDir root;
    chmodOrFail(root.path(), 0755);
    Scene s;
    s.folder = root.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(s.folder));
    if (f.tmpfs) {
        s.disk = std::make_unique<testkit::Tmpfs>(s.folder, f.tmpfs);
        if (!s.disk->mounted())
            GTEST_SKIP() << s.disk->why();
    }
    s.target = s.folder + QStringLiteral("/p.txt");
    testkit::writeFile(s.target, "old contents");
    ASSERT_NO_FATAL_FAILURE(f.setUp(s));
    const QStringList before = contents(s.folder);

    QString error;
    bool saved = true;
    {
        std::optional<Unprivileged> user;
        if (s.unprivileged) {
            user.emplace();
            if (!user->ready())
                GTEST_SKIP() << "cannot act as an unprivileged user here (" << std::strerror(errno) << ")";
        }
        saved = textfile::save(s.target, QByteArray(256 * 1024, 'n'), &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, QStringLiteral("ファイルを書き込めませんでした。\n%1\n%2").arg(s.target, f.reason));
    EXPECT_EQ(contents(s.folder), before);
    if (s.unprivileged)
        chmodOrFail(s.folder, 0755);
}

INSTANTIATE_TEST_SUITE_P(Causes, WriteFailures, ::testing::ValuesIn(writeFailures),
                         [](const auto &test) { return std::string(test.param.cause); });

TEST(WriteReasons, OneTextForEachCauseAndTheSystemsOwnOnlyForTheRest)
{
    const std::vector<std::vector<int>> causes = {
        {ENOSPC, EDQUOT}, {EACCES, EPERM}, {EROFS}, {ENOTDIR}, {ENOENT}, {ENAMETOOLONG, EINVAL, EILSEQ},
        {EEXIST, ENOTEMPTY}, {EISDIR}, {EBUSY, ETXTBSY}, {EXDEV}, {EIO}};
    QSet<QString> texts;
    for (const std::vector<int> &cause : causes) {
        const QString text = diskfile::reason(cause.front());
        for (int e : cause) {
            EXPECT_EQ(diskfile::reason(e), text) << e;
            EXPECT_NE(text, QString::fromLocal8Bit(std::strerror(e))) << e;
        }
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), qsizetype(causes.size()));
    EXPECT_EQ(diskfile::reason(EMLINK), QString::fromLocal8Bit(std::strerror(EMLINK)));
}

TEST(TemporaryNames, FreshUntilOneIsFreeAndGivingUpAtLast)
{
    QStringList tried;
    EXPECT_EQ(diskfile::withTemporaryName([&](const QString &name) {
                  tried << name;
                  return tried.size() < 3 ? EEXIST : 0;
              }),
              0);
    EXPECT_EQ(QSet<QString>(tried.begin(), tried.end()).size(), 3);
    EXPECT_EQ(diskfile::withTemporaryName([](const QString &) { return EEXIST; }), EEXIST);
    EXPECT_EQ(diskfile::withTemporaryName([](const QString &) { return EACCES; }), EACCES);
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
