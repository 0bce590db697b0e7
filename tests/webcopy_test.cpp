#include "jpegs.h"
#include "pagekit.h"
#include "testkit.h"

#include "fileops/fsname.h"
#include "fileops/safefile.h"
#include "html/page.h"
#include "web/webcopy.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QColorTransform>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using webcopy::Outcome;

const QColor marker(255, 0, 0);
const QColor p3Colour(200, 60, 60); // inside sRGB, yet far from its own numbers there

// EXIF as a phone writes it: the orientation and a GPS latitude (35° 41′ N).
QByteArray exif(quint8 orientation)
{
    QByteArray tiff = QByteArray::fromHex("4d4d002a00000008"
                                          "0002011200030000000100060000882500040000000100000026""00000000"
                                          "00020001000200000002""4e000000000200050000000300000044""00000000"
                                          "000000230000000100000029000000010000000000000001");
    tiff[19] = char(orientation);
    return QByteArray::fromHex("ffe10064") + QByteArray("Exif\0\0", 6) + tiff;
}

// A picture with a red block in its stored top-left corner, EXIF, GPS and a
// comment; in Display P3 when asked.
QByteArray photo(QSize size, quint8 orientation = 1, bool p3 = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(p3 ? p3Colour : QColor(40, 90, 160));
    for (int y = 0; y < size.height() / 4; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)), size.width() / 4, marker.rgb());
    if (p3)
        image.setColorSpace(QColorSpace::DisplayP3);
    image.setText(QStringLiteral("Comment"), QStringLiteral("our home address"));
    return jpegs::encode(image).insert(2, exif(orientation));
}

// The kinds of the segments in front of a JPEG's image data.
QList<int> segments(const QByteArray &jpeg)
{
    QList<int> out;
    for (qsizetype at = 2; at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0xDA;) {
        out << uchar(jpeg[at + 1]);
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return out;
}

bool near(QColor a, QColor b, int by)
{
    return qAbs(a.red() - b.red()) <= by && qAbs(a.green() - b.green()) <= by && qAbs(a.blue() - b.blue()) <= by;
}

// Raw file access, so that names that are not UTF-8 work too.
void put(const QString &path, const QByteArray &bytes)
{
    const int fd = open(fsname::encode(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    close(fd);
}

QByteArray get(const QString &path)
{
    QByteArray out(1 << 22, '\0');
    const int fd = open(fsname::encode(path).constData(), O_RDONLY);
    const ssize_t n = fd < 0 ? 0 : read(fd, out.data(), size_t(out.size()));
    if (fd >= 0)
        close(fd);
    return out.left(n);
}

struct WebCopy : ::testing::Test
{
    testkit::Sandbox box;
    QString album = box.folder(QStringLiteral("album"));
    QString web = fsname::join(album, webcopy::folderName);

    ~WebCopy() override
    {
        // The temporary folder's own clean-up cannot reach names that are not UTF-8.
        for (const QString &dir : {web, album}) {
            for (const QString &name : safefile::entries(dir))
                unlink(fsname::encode(fsname::join(dir, name)).constData());
        }
    }
    QString copy(const QString &name) const { return fsname::join(web, name); }
    void photos(const QStringList &names, QSize size) const
    {
        for (const QString &name : names)
            put(fsname::join(album, name), photo(size));
    }
    // What web holds besides the hidden list of copies.
    QStringList inWeb() const
    {
        QStringList names = safefile::entries(web).values();
        names.removeAll(QStringLiteral(".kamerio-copies"));
        names.sort();
        return names;
    }
    static std::vector<Outcome> outcomes(const webcopy::Result &r)
    {
        std::vector<Outcome> out;
        for (const webcopy::Photo &p : r.photos)
            out.push_back(p.outcome);
        return out;
    }
};

} // namespace

TEST_F(WebCopy, CopiesAreUprightSmallSrgbAndFreeOfMetadata)
{
    struct Case
    {
        QString name;
        QSize stored;
        quint8 orientation;
        bool p3;
        QSize copy;
        QPoint red; // where the corner block shows in the copy
    };
    const QString latin1 = fsname::decode("caf\xE9.jpg");
    const Case cases[] = {
        {"wide.jpg", {1600, 1200}, 1, false, {1024, 768}, {5, 5}},
        {"turned.jpg", {1200, 800}, 6, false, {683, 1024}, {678, 5}},
        {"small.jpg", {800, 600}, 1, false, {800, 600}, {5, 5}},
        {"p3.jpg", {600, 400}, 1, true, {600, 400}, {5, 5}},
        {latin1, {1100, 1100}, 1, false, {1024, 1024}, {5, 5}},
    };
    QStringList names;
    for (const Case &c : cases) {
        put(fsname::join(album, c.name), photo(c.stored, c.orientation, c.p3));
        names << c.name << c.name;
    }
    const webcopy::Result r = webcopy::update(album, names, 1024);
    EXPECT_EQ(r.written, 5);
    EXPECT_EQ(r.copied(), QSet<QString>(names.begin(), names.end()));
    EXPECT_EQ(webcopy::report(r), QString());
    const QColor p3InSrgb =
        QColorSpace(QColorSpace::DisplayP3).transformationToColorSpace(QColorSpace::SRgb).map(p3Colour);
    ASSERT_FALSE(near(p3InSrgb, p3Colour, 10));
    for (const Case &c : cases) {
        const QByteArray bytes = get(copy(c.name));
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        const QImage image = reader.read();
        ASSERT_EQ(image.size(), c.copy) << c.name.toStdString();
        EXPECT_EQ(reader.transformation(), QImageIOHandler::TransformationNone);
        EXPECT_TRUE(near(image.pixelColor(c.red), marker, 40)) << c.name.toStdString();
        EXPECT_TRUE(image.textKeys().isEmpty());
        EXPECT_FALSE(bytes.contains("Exif") || bytes.contains("home address"));
        for (int kind : segments(bytes))
            EXPECT_TRUE(kind == 0xE0 || kind == 0xE2 || kind == 0xDB || kind == 0xC0 || kind == 0xC4) << kind;
        if (c.p3) {
            EXPECT_EQ(image.colorSpace(), QColorSpace(QColorSpace::SRgb));
            EXPECT_TRUE(near(image.pixelColor(300, 300), p3InSrgb, 4));
        }
    }
}

TEST_F(WebCopy, AnUnchangedAlbumIsNotWrittenAgain)
{
    const QStringList names = {"a.jpg", "b.jpg", "c.jpg"};
    photos(names, {1200, 900});
    ASSERT_EQ(webcopy::update(album, names, 1024).written, 3);
    auto times = [&] {
        QList<QDateTime> out;
        for (const QString &n : names)
            out << QFileInfo(copy(n)).lastModified();
        return out;
    };
    const QList<QDateTime> before = times();
    const webcopy::Result again = webcopy::update(album, names, 1024);
    EXPECT_EQ(outcomes(again), std::vector(3, Outcome::UpToDate));
    EXPECT_EQ(times(), before);

    // A copy whose time alone moved (the album copied to a card) is still
    // ours; a photo changed since, or another edge, needs a new copy.
    const struct timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 10, 0}};
    utimensat(AT_FDCWD, fsname::encode(copy("a.jpg")).constData(), later, 0);
    EXPECT_EQ(webcopy::update(album, names, 1024).written, 0);
    utimensat(AT_FDCWD, fsname::encode(fsname::join(album, "b.jpg")).constData(), later, 0);
    EXPECT_EQ(outcomes(webcopy::update(album, names, 1024)),
              (std::vector{Outcome::UpToDate, Outcome::Made, Outcome::UpToDate}));
    EXPECT_EQ(webcopy::update(album, names, 1100).written, 3);
    EXPECT_EQ(inWeb(), names);
}

TEST_F(WebCopy, PhotosWithoutACopyAreReportedAndForeignFilesKept)
{
    photos({"made.jpg", "foreign.jpg", "edited.jpg"}, {300, 200});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    put(fsname::join(album, "png.jpg"), png);
    put(fsname::join(album, "broken.jpg"), "\xFF\xD8\xFF\xE0 not really");
    webcopy::update(album, {"edited.jpg"}, 1024);
    QByteArray edited = get(copy("edited.jpg"));
    edited[edited.size() / 2] = char(~edited[edited.size() / 2]);
    put(copy("edited.jpg"), edited);
    put(copy("foreign.jpg"), "the user's own file");

    const webcopy::Result r = webcopy::update(album,
                                              {"made.jpg", "foreign.jpg", "edited.jpg", "png.jpg", "broken.jpg",
                                               "gone.jpg", "sub/x.jpg", ".kamerio-copies"},
                                              1024);
    EXPECT_EQ(outcomes(r), (std::vector{Outcome::Made, Outcome::Foreign, Outcome::Foreign, Outcome::NotJpeg,
                                        Outcome::Undecodable, Outcome::Missing, Outcome::Failed, Outcome::Failed}));
    EXPECT_EQ(get(copy("edited.jpg")), edited);
    EXPECT_EQ(get(copy("foreign.jpg")), "the user's own file");
    EXPECT_EQ(inWeb(), (QStringList{"edited.jpg", "foreign.jpg", "made.jpg"}));
    EXPECT_EQ(webcopy::report(r),
              "次の写真は Web 用の縮小写真を作れませんでした（ページには元の写真をそのまま載せます）。\n"
              "foreign.jpg（web に同じ名前の別のﾌｧｲﾙがあります）\n"
              "edited.jpg（web に同じ名前の別のﾌｧｲﾙがあります）\n"
              "png.jpg（JPEG ではありません）\n"
              "broken.jpg（JPEG として読めません）\n"
              "gone.jpg（見つかりません）\n"
              "sub/x.jpg（使えない名前です）\n"
              ".kamerio-copies（使えない名前です）\n"
                  + webcopy::remakeHint);

    const QString other = box.folder(QStringLiteral("other"));
    put(fsname::join(other, "web"), "a file named web");
    const webcopy::Result none = webcopy::update(other, {"made.jpg", "gone.jpg"}, 1024);
    EXPECT_EQ(outcomes(none), std::vector(2, Outcome::NoFolder));
    EXPECT_EQ(get(fsname::join(other, "web")), "a file named web");
    EXPECT_EQ(webcopy::report(none), "Web 用の縮小写真を作れませんでした（web がﾌｫﾙﾀﾞではありません）。\n"
                                     "ページには元の写真をそのまま載せます。");
}

TEST_F(WebCopy, ACancelLeavesOnlyWholeCopies)
{
    QStringList names;
    for (int i = 0; i < 6; ++i)
        names << QStringLiteral("p%1.jpg").arg(i);
    photos(names, {1200, 900});
    // What a run that died left is cleared; what a live one writes is not.
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    const QString working = QStringLiteral(".kamerio-new-%1-1").arg(getpid());
    mkdir(fsname::encode(web).constData(), 0777);
    put(copy(QStringLiteral(".kamerio-new-%1-1").arg(dead)), "half a copy");
    put(copy(working), "a copy being written");

    std::atomic_bool cancel = false;
    int lastDone = 0;
    const webcopy::Result r = webcopy::update(
        album, names, 1024, [&](int done, int) { lastDone = done, cancel = true; }, &cancel, 1);
    const std::vector<Outcome> o = outcomes(r);
    const auto made = std::count(o.begin(), o.end(), Outcome::Made);
    EXPECT_GE(made, 1);
    EXPECT_EQ(std::count(o.begin(), o.end(), Outcome::Cancelled), 6 - made);
    EXPECT_EQ(lastDone, 6);
    EXPECT_EQ(inWeb(), QStringList{working} + names.mid(0, made));
    for (const QString &name : names.mid(0, made))
        EXPECT_EQ(QImage::fromData(get(copy(name))).size(), QSize(1024, 768));
    EXPECT_TRUE(webcopy::report(r).contains("p5.jpg（キャンセルしました）"));
    EXPECT_EQ(webcopy::update(album, names, 1024).written, 6 - made);
}

TEST_F(WebCopy, AFailedWriteLeavesNothingAndSaysWhy)
{
    QStringList names;
    for (int i = 0; i < 12; ++i) {
        names << QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        put(fsname::join(album, names.last()), jpegs::encode(jpegs::photoLike(400, 300)));
    }
    mkdir(fsname::encode(web).constData(), 0777);
    for (const bool readOnly : {false, true}) {
        testkit::Tmpfs fs(web, readOnly ? "size=1m" : "size=48k");
        if (!fs.mounted())
            GTEST_SKIP() << fs.why();
        if (readOnly) {
            ASSERT_TRUE(fs.makeReadOnly());
        }
        const webcopy::Result r = webcopy::update(album, names, 1024);
        EXPECT_EQ(inWeb().size(), r.written) << inWeb().join(' ').toStdString();
        const QString text = webcopy::report(r);
        EXPECT_TRUE(text.contains(readOnly ? "（読み取り専用のﾄﾞﾗｲﾌﾞです）\nほか 2 枚" : "（ﾃﾞｨｽｸがいっぱいです）"))
            << text.toStdString();
    }
}

TEST(WebPageCell, APhotoWithACopyShowsItAndLinksThePhoto)
{
    struct Case
    {
        bool fixedWidth;
        QSet<QString> copies;
        QString cell; // the first photo's cell line
    };
    const Case cases[] = {
        {false, {}, R"(<td nowrap align="center"><img src="./a%23b.jpg" border="0"><br>)"},
        {false, {"a#b.jpg"},
         R"(<td nowrap align="center"><a href="./a%23b.jpg"><img src="./web/a%23b.jpg" border="0"></a><br>)"},
        {true, {"a#b.jpg"},
         R"(<td nowrap align="center"><a href="./a%23b.jpg"><img src="./web/a%23b.jpg" border="0" width="480"></a><br>)"},
    };
    for (const Case &c : cases) {
        page::Options o;
        o.title = QStringLiteral("ここにタイトル！");
        o.width = QStringLiteral("480");
        o.fixedWidth = c.fixedWidth;
        o.webCopies = c.copies;
        pagekit::Expect e;
        e.width = c.fixedWidth ? o.width : QString();
        e.photos = {{"./a%23b.jpg", "a#b.jpg"}, pagekit::photo("c.jpg")};
        QStringList expected = pagekit::lines(e);
        expected[expected.indexOf(QRegularExpression("<td nowrap.*a%23b.*"))] = c.cell;
        EXPECT_EQ(page::compose(o, {"a#b.jpg", "c.jpg"}).bytes, cp932::encodeLines(expected, cp932::Unmappable::CharRef))
            << c.cell.toStdString();
    }
}
