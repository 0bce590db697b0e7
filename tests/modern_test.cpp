// The page style for phones: the pictures and photo pages Kamerio keeps in
// web (names, ownership, what a later run remakes or removes), the options
// that change the pages, the 設定 menu against kamerio make, and the pages
// in Chromium (tests/browser/pages.mjs holds that table).
#include "jpegs.h"
#include "pagekit.h"
#include "testkit.h"

#include "app/main1.h"
#include "app/panes.h"
#include "cli/make.h"
#include "fileops/fsname.h"
#include "html/engine.h"
#include "html/modern.h"
#include "project/projectfile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDirIterator>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString done = QStringLiteral("作成しました。");
// A name that is not UTF-8: the byte 0xFF where a letter would be.
const QString badName = fsname::decode("b\xff.jpg");

struct ModernAlbum : ::testing::Test
{
    testkit::Sandbox box;

    // Writes a photo of that size under a name the disk may not read as UTF-8.
    static void photo(const QString &folder, const QString &name, QSize size)
    {
        const QByteArray jpeg = jpegs::encode(jpegs::photoLike(size.width(), size.height()));
        const QByteArray path = fsname::encode(folder + u'/' + name);
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path.constData();
        ASSERT_EQ(write(fd, jpeg.constData(), size_t(jpeg.size())), jpeg.size());
        close(fd);
    }
    // Every file under folder by relative path, with its bytes; the ledger left out.
    static std::map<QString, QByteArray> files(const QString &folder)
    {
        std::map<QString, QByteArray> out;
        for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            if (!QFileInfo(path).fileName().startsWith(QLatin1String(".kamerio")))
                out[QDir(folder).relativeFilePath(path)] = testkit::bytes(path);
        }
        return out;
    }
    static engine::Options modern(bool originals = true, const QString &url = {})
    {
        engine::Options o;
        o.style = engine::Style::Modern;
        o.originals = originals;
        o.albumUrl = url;
        return o;
    }
    static album::Album albumOf(const QStringList &entries, const QString &pageName = QStringLiteral("index.html"))
    {
        album::Album a;
        a.entries = entries;
        a.pageName = pageName;
        return a;
    }
    static QString pageOf(const QString &pageName, const QString &photo, int occurrence = 1)
    {
        return QStringLiteral("web/") + modern::pagesFolder(pageName) + u'/' + modern::photoPageName(photo, occurrence);
    }
};

} // namespace

TEST_F(ModernAlbum, EveryPhotoGetsItsSizesAndAPageUnderNamesThatNeverMeet)
{
    const QString folder = box.folder(QStringLiteral("album"));
    // Names that differ only in case or extension, a Japanese one and one
    // that is not UTF-8; the longer side below 1080 and below 360.
    const struct
    {
        QString name;
        QSize size;
        std::vector<QSize> pictures; // smallest first
    } table[] = {
        {QStringLiteral("a.jpg"), {900, 600}, {{360, 240}, {720, 480}, {900, 600}}},
        {QStringLiteral("A.JPG"), {600, 900}, {{240, 360}, {480, 720}, {600, 900}}},
        {QStringLiteral("a.jpeg"), {300, 200}, {{300, 200}}},
        {QStringLiteral("写真 1.jpg"), {2000, 1000}, {{360, 180}, {720, 360}, {1080, 540}, {1600, 800}}},
        {badName, {400, 300}, {{360, 270}, {400, 300}}},
    };
    QStringList entries;
    for (const auto &row : table) {
        photo(folder, row.name, row.size);
        entries << row.name + QStringLiteral(",海<br>山");
    }
    entries[1] = table[1].name; // no caption: the name is shown

    const engine::Report report = engine::generate(albumOf(entries), folder, modern());
    EXPECT_EQ(engine::closingMessage(report), done);
    QStringList needed{QStringLiteral("index.html")};
    QStringList lowered;
    for (const auto &row : table) {
        SCOPED_TRACE(row.name.toStdString());
        std::vector<QSize> made;
        for (const webcopy::Target &t : modern::plan(row.name, row.size, webcopy::defaultEdge)) {
            const QString path = QStringLiteral("web/") + t.name;
            made.push_back(QImage::fromData(testkit::bytes(fsname::join(folder, path))).size());
            needed << path;
            lowered << t.name.toLower();
        }
        EXPECT_EQ(made, row.pictures);
        // Never under the name today's web copies use.
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/web/") + row.name));
        const QString page = pageOf(QStringLiteral("index.html"), row.name);
        EXPECT_TRUE(QFileInfo::exists(fsname::join(folder, page)));
        needed << page << row.name;
        lowered << page.toLower();
    }
    EXPECT_EQ(lowered.removeDuplicates(), 0) << "names meet on a card that ignores case";
    std::sort(needed.begin(), needed.end());
    QStringList reported = report.needed;
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, needed);

    // The name that is not UTF-8: its byte percent-encoded in the address,
    // U+FFFD where it is shown.
    const QByteArray page = testkit::bytes(fsname::join(folder, pageOf(QStringLiteral("index.html"), badName)));
    EXPECT_TRUE(page.contains("href=\"../../b%FF.jpg\">元の写真</a>")) << page.constData();
    EXPECT_TRUE(page.contains("<title>海 山 - ここにタイトル！</title>"));
    EXPECT_TRUE(page.contains("<figcaption>海<br>山</figcaption>"));
    EXPECT_TRUE(page.contains("<span>5 / 5</span>"));
    const QByteArray index = testkit::bytes(folder + QStringLiteral("/index.html"));
    EXPECT_TRUE(index.contains("alt=\"A.JPG\"></a><p>A.JPG</p>"));
    EXPECT_TRUE(index.startsWith("<!doctype html>\n<html lang=\"ja\">"));
    // The sandbox cannot remove a name Qt cannot spell.
    unlink(fsname::encode(folder + u'/' + badName).constData());
}

TEST_F(ModernAlbum, LaterRunsRemakeNothingUnchangedAndRemoveOnlyTheirOwnPages)
{
    const QString folder = box.folder(QStringLiteral("album"));
    for (const char *name : {"p1.jpg", "p2.jpg", "p3.jpg"})
        photo(folder, QString::fromLatin1(name), {800, 600});
    const album::Album screen = albumOf({"p1.jpg,一", "p2.jpg,二", "p3.jpg,三"});
    const album::Album print = albumOf({"p1.jpg", "p2.jpg"}, QStringLiteral("indexp.html"));
    ASSERT_EQ(engine::generate(screen, folder, modern()).web->written, 3);
    ASSERT_EQ(engine::generate(print, folder, modern()).web->written, 0);
    const std::map<QString, QByteArray> first = files(folder);
    ASSERT_TRUE(first.contains(pageOf("indexp.html", "p2.jpg")));
    const QString p1Page = pageOf(QStringLiteral("index.html"), QStringLiteral("p1.jpg"));
    const QString p1Small = QStringLiteral("web/") + modern::pictureName(QStringLiteral("p1.jpg"), 360);
    const QString mine = QStringLiteral("web/") + modern::pagesFolder(QStringLiteral("index.html")) + "/mine.html";
    const auto stamps = [&] {
        std::map<QString, QDateTime> out;
        for (const auto &[path, bytes] : files(folder))
            out[path] = QFileInfo(fsname::join(folder, path)).lastModified();
        return out;
    };
    const std::map<QString, QDateTime> madeAt = stamps();

    const struct
    {
        const char *name;
        std::function<void()> before;
        album::Album album;
        engine::Style style;
        std::vector<QString> gone, changed; // relative paths
        QString message;
    } steps[] = {
        {"the same album again", {}, screen, engine::Style::Modern, {}, {}, done},
        {"a photo left the album; the user's files in web stay",
         [&] {
             testkit::writeFile(fsname::join(folder, mine), "mine");
             testkit::writeFile(fsname::join(folder, p1Small), "edited by hand");
         },
         albumOf({"p2.jpg,二", "p3.jpg,三"}), engine::Style::Modern, {p1Page},
         {QStringLiteral("index.html"), pageOf("index.html", "p2.jpg"), pageOf("index.html", "p3.jpg"), p1Small, mine},
         done},
        {"a page of ours edited by hand is not written over",
         [&] { testkit::writeFile(fsname::join(folder, pageOf("index.html", "p3.jpg")), "edited"); },
         albumOf({"p2.jpg,二", "p3.jpg,三"}), engine::Style::Modern, {},
         {pageOf("index.html", "p3.jpg")},
         QStringLiteral("次のページは書き込めませんでした（前からあるファイルはそのままです）。\n%1\n\n"
                        "web に同じ名前の別のﾌｧｲﾙがあります")
             .arg(pageOf("index.html", "p3.jpg"))},
        {"back to the classic style", {}, screen, engine::Style::Classic, {}, {QStringLiteral("index.html")}, done},
    };
    std::map<QString, QByteArray> before = first;
    for (const auto &step : steps) {
        // Unchanged pages and pictures keep their time, so an upload tool sends them no more.
        if (&step == &steps[1]) {
            std::map<QString, QDateTime> now = stamps();
            now.erase(QStringLiteral("index.html"));
            std::map<QString, QDateTime> then = madeAt;
            then.erase(QStringLiteral("index.html"));
            EXPECT_EQ(now, then);
        }
        SCOPED_TRACE(step.name);
        if (step.before)
            step.before();
        before = files(folder);
        engine::Options o = modern();
        o.style = step.style;
        const engine::Report report = engine::generate(step.album, folder, o);
        EXPECT_EQ(engine::closingMessage(report), step.message);
        if (report.web) {
            EXPECT_EQ(report.web->written, 0);
        }
        std::map<QString, QByteArray> after = files(folder);
        for (const QString &gone : step.gone) {
            EXPECT_EQ(before.erase(gone), 1u) << gone.toStdString();
        }
        for (const QString &changed : step.changed) {
            before.erase(changed);
            after.erase(changed);
        }
        // The print page's photo pages and pictures are never touched.
        EXPECT_EQ(after, before);
    }
    EXPECT_EQ(testkit::bytes(fsname::join(folder, mine)), "mine");
    EXPECT_EQ(testkit::bytes(fsname::join(folder, p1Small)), "edited by hand");
    // With the style off the page is today's, byte for byte.
    pagekit::Expect e;
    e.photos = {pagekit::photo("p1.jpg", "一"), pagekit::photo("p2.jpg", "二"), pagekit::photo("p3.jpg", "三")};
    EXPECT_EQ(testkit::bytes(folder + QStringLiteral("/index.html")), pagekit::bytes(e));
}

TEST_F(ModernAlbum, TheOptionsReachThePages)
{
    const QString folder = box.folder(QStringLiteral("album"));
    photo(folder, QStringLiteral("写真.jpg"), {1200, 800});
    photo(folder, QStringLiteral("b.jpg"), {1200, 800});
    const struct
    {
        const char *name;
        std::function<void(album::Album &, engine::Options &)> set;
        std::vector<QByteArray> album, photoPage, absent; // in the album page, the first photo page, in neither
    } table[] = {
        {"defaults", [](album::Album &, engine::Options &) {},
         {"<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">", ":root{color-scheme:light dark}",
          "<title>ここにタイトル！</title>", "loading=\"lazy\""},
         {"href=\"../../%E5%86%99%E7%9C%9F.jpg\">元の写真</a>", "<link rel=\"next\""},
         {"og:", "user-scalable", "maximum-scale", ">戻る</a>", "rel=\"prev\""}},
        {"no originals, an address, a colour, a frame, a width, a back link",
         [](album::Album &a, engine::Options &o) {
             o.originals = false;
             o.albumUrl = QStringLiteral("https://example.jp/tabi");
             a.background = 3;
             a.border = 1;
             a.widthFlag = 1;
             a.width = QStringLiteral("400");
             a.backLink = QStringLiteral("https://example.jp/");
         },
         {"<meta property=\"og:url\" content=\"https://example.jp/tabi/index.html\">",
          "<meta property=\"og:image\" content=\"https://example.jp/tabi/web/", "body{background:#FFFF84}",
          "max-width:400px", "border:1px solid", "<a href=\"https://example.jp/\">戻る</a>"},
         {"<meta property=\"og:description\" content=\"旅\">", "<a rel=\"up\" href=\"../../index.html#p1\">"},
         {"元の写真", "color-scheme"}},
        {"a background image beside the pages", [](album::Album &a, engine::Options &) {
             a.background = 9;
             a.backgroundImage = QStringLiteral("kabe.png");
         },
         {"body{background:#fff url(\"kabe.png\")}"}, {"body{background:#fff url(\"../../kabe.png\")}"}, {}},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.name);
        album::Album a = albumOf({"写真.jpg,旅", "b.jpg"});
        engine::Options o = modern();
        row.set(a, o);
        // Only a background image that is there goes up with the album.
        if (a.background == 9)
            testkit::writeFile(fsname::join(folder, a.backgroundImage), "PNG");
        const engine::Report report = engine::generate(a, folder, o);
        const QByteArray index = testkit::bytes(folder + QStringLiteral("/index.html"));
        const QByteArray first = testkit::bytes(fsname::join(folder, pageOf("index.html", "写真.jpg")));
        for (const QByteArray &text : row.album)
            EXPECT_TRUE(index.contains(text)) << text.constData();
        for (const QByteArray &text : row.photoPage)
            EXPECT_TRUE(first.contains(text)) << text.constData();
        for (const QByteArray &text : row.absent)
            EXPECT_FALSE(index.contains(text) || first.contains(text)) << text.constData();
        EXPECT_EQ(report.needed.contains(QStringLiteral("写真.jpg")), o.originals);
        EXPECT_EQ(report.needed.contains(QStringLiteral("kabe.png")), a.background == 9);
    }
}

TEST_F(ModernAlbum, TheMenuChoosesTheStyleAndTheWindowWritesWhatMakeWrites)
{
    auto w = testkit::window();
    QStringList menu;
    for (const QAction *a : w->settei->actions())
        menu << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
    EXPECT_EQ(menu.mid(0, 5), (QStringList{"webphoto", "websize", "-", "pagestyle", "linkorig"}));
    EXPECT_TRUE(w->styleclassic->isChecked());
    EXPECT_TRUE(w->linkorig->isChecked());
    EXPECT_EQ(w->stylemodern->text(), QStringLiteral("スマートフォン対応ページ"));
    w->stylemodern->trigger();
    w->linkorig->trigger();
    // Thrown away without the close handling, as 終了 or a crash would.
    w.reset();
    {
        QSettings s(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
        EXPECT_EQ(s.value(QStringLiteral("pages/style")).toString(), QStringLiteral("modern"));
        EXPECT_EQ(s.value(QStringLiteral("pages/originals")).toString(), QStringLiteral("0"));
    }
    w = testkit::window();
    EXPECT_TRUE(w->stylemodern->isChecked());
    EXPECT_FALSE(w->linkorig->isChecked());

    album::Album a = albumOf({"p1.jpg,海<br>朝", "写真 2.jpg", "p3.jpg,山"});
    a.split = 1;
    const QByteArray project =
        cp932::encodeLines(projectfile::write(QStringLiteral("/elsewhere"), a), cp932::Unmappable::Report);
    const QString byWindow = box.folder(QStringLiteral("window"));
    const QString byCommand = box.folder(QStringLiteral("command"));
    for (const QString &folder : {byWindow, byCommand}) {
        for (const char *name : {"p1.jpg", "写真 2.jpg", "p3.jpg"})
            photo(folder, QString::fromUtf8(name), {1300, 900});
        testkit::writeFile(folder + QStringLiteral("/album.txt"), project);
    }
    testkit::Modals modals;
    w->Dir1->setPath(byWindow);
    modals.onFileDialog(testkit::pick(byWindow + QStringLiteral("/album.txt")));
    w->fload->trigger();
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    EXPECT_EQ(modals.texts().last(), done);

    cli::MakeArgs args;
    args.project = byCommand + QStringLiteral("/album.txt");
    args.outDir = byCommand;
    args.modern = true;
    args.originals = false;
    EXPECT_EQ(cli::make(args).status, 0);
    const std::map<QString, QByteArray> written = files(byWindow);
    EXPECT_TRUE(written.contains(pageOf("index.html", "写真 2.jpg")));
    EXPECT_EQ(written, files(byCommand));
}

// The table of pages, viewports and what must hold runs in Chromium, over
// an album of 24 photos and the same photos split into pages of twenty.
TEST_F(ModernAlbum, ThePagesHoldInChromium)
{
    const QString modules = QStringLiteral(KAMERIO_BROWSER_MODULES);
    if (!QFileInfo::exists(QStringLiteral("/usr/bin/chromium")) ||
        !QFileInfo::exists(modules + QStringLiteral("/node_modules/playwright-core")))
        GTEST_SKIP() << "Chromium or the DevTools client is missing: ./build.sh test installs them";
    const QString folder = box.folder(QStringLiteral("album"));
    QStringList entries, split;
    for (int i = 1; i <= 24; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        photo(folder, name, i % 5 == 0 ? QSize(1200, 1800) : QSize(1800, 1200));
        entries << name + QStringLiteral(",写真 %1 の説明<br>二行目の文").arg(i);
        split << name + QStringLiteral(",第 %1 番").arg(i);
    }
    album::Album index = albumOf(entries);
    index.title = QStringLiteral("京都の旅");
    index.backLink = QStringLiteral("https://example.jp/");
    album::Album pages = albumOf(split, QStringLiteral("split.html"));
    pages.split = 1;
    pages.background = 6;
    pages.border = 1;
    pages.widthFlag = 1;
    for (const album::Album &a : {index, pages})
        ASSERT_EQ(engine::closingMessage(engine::generate(a, folder, modern())), done);

    QProcess node;
    node.setProcessChannelMode(QProcess::MergedChannels);
    node.start(QStringLiteral("node"),
               {QStringLiteral(KAMERIO_BROWSER_SCRIPT), QStringLiteral("check"), modules, folder});
    ASSERT_TRUE(node.waitForFinished(170000)) << "the browser table did not finish";
    const QString out = QString::fromUtf8(node.readAll());
    EXPECT_EQ(node.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral(" rows hold"))) << out.toStdString();
}
