// Albums whose pages show web-size copies: the pages and messages with the
// option on and off, the run's phases and its cancel, the window against
// kamerio make --web, and the 設定 menu kept between runs.
#include "jpegs.h"
#include "pagekit.h"
#include "testkit.h"

#include "app/main1.h"
#include "app/panes.h"
#include "cli/make.h"
#include "html/engine.h"
#include "project/projectfile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDirIterator>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <map>

namespace {

const QString done = QStringLiteral("作成しました。");

// Three photos that get a copy, one that is no JPEG and one that is missing.
const QStringList entries = {"p1.jpg,海", "写真 2.jpg", "a#b.jpg", "png.jpg", "gone.jpg"};

struct WebAlbum : ::testing::Test
{
    testkit::Sandbox box;

    static void photos(const QString &folder)
    {
        testkit::writeFile(folder + QStringLiteral("/p1.jpg"), jpegs::encode(jpegs::photoLike(1200, 900)));
        testkit::writeFile(folder + QStringLiteral("/写真 2.jpg"), jpegs::encode(jpegs::photoLike(300, 200)));
        testkit::writeFile(folder + QStringLiteral("/a#b.jpg"), jpegs::encode(jpegs::photoLike(500, 1300)));
        testkit::writeFile(folder + QStringLiteral("/png.jpg"), "\x89PNG\r\n\x1a\n");
    }
    // Every file under folder but the hidden ones, by relative path.
    static std::map<QString, QByteArray> files(const QString &folder)
    {
        std::map<QString, QByteArray> out;
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            out[QDir(folder).relativeFilePath(path)] = testkit::bytes(path);
        }
        return out;
    }
};

album::Album albumOf(const QStringList &list)
{
    album::Album a;
    a.entries = list;
    return a;
}

} // namespace

TEST_F(WebAlbum, PagesShowTheCopiesLinkThePhotosAndNameThoseWithout)
{
    const QString notFolder = QStringLiteral("Web 用の縮小写真を作れませんでした（web がﾌｫﾙﾀﾞではありません）。\n"
                                             "ページには元の写真をそのまま載せます。");
    const QString without = QStringLiteral("次の写真は Web 用の縮小写真を作れませんでした"
                                           "（ページには元の写真をそのまま載せます）。\n"
                                           "png.jpg（JPEG ではありません）\n"
                                           "gone.jpg（見つかりません）");
    const struct
    {
        const char *name;
        std::optional<int> edge;
        bool webIsAFile;
        bool copies; // the first three photos show their copy
        QString message;
    } cases[] = {
        {"off", std::nullopt, false, false, done},
        {"on", 1024, false, true, done + QStringLiteral("\n\n") + without},
        {"web is a file", 1600, true, false, done + QStringLiteral("\n\n") + notFolder},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = box.folder(QString::fromLatin1(c.name));
        photos(folder);
        if (c.webIsAFile)
            testkit::writeFile(folder + QStringLiteral("/web"), "mine");
        pagekit::Expect e;
        e.photos = {{"./p1.jpg", "海", c.copies}, {"./写真 2.jpg", "写真 2.jpg", c.copies},
            {"./a%23b.jpg", "a#b.jpg", c.copies}, pagekit::photo("png.jpg"), pagekit::photo("gone.jpg")};
        const std::map<QString, QByteArray> before = files(folder);

        for (int run = 1; run <= 2; ++run) {
            const engine::Report report = engine::generate(albumOf(entries), folder, {c.edge});
            EXPECT_EQ(testkit::bytes(folder + QStringLiteral("/index.html")), pagekit::bytes(e));
            EXPECT_EQ(engine::closingMessage(report), c.message);
            EXPECT_EQ(report.web.has_value(), c.edge.has_value());
            // A second run over the same photos writes only the page.
            if (c.copies) {
                EXPECT_EQ(report.web->written, run == 1 ? 3 : 0);
            }
        }
        std::map<QString, QByteArray> after = files(folder);
        after.erase(QStringLiteral("index.html"));
        for (const char *name : {"web/p1.jpg", "web/写真 2.jpg", "web/a#b.jpg"}) {
            const QImage copy = QImage::fromData(after[QString::fromUtf8(name)]);
            EXPECT_EQ(copy.isNull(), !c.copies) << name;
            EXPECT_LE(std::max(copy.width(), copy.height()), c.edge.value_or(0)) << name;
            after.erase(QString::fromUtf8(name));
        }
        // Nothing else was made or changed, and no web folder while the option is off.
        EXPECT_EQ(after, before);
        EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/web")), c.edge.has_value());
    }
}

TEST_F(WebAlbum, CopiesComeFirstAndACancelAmongThemWritesNoPage)
{
    const QString folder = box.folder(QStringLiteral("album"));
    photos(folder);
    const auto a = albumOf({"p1.jpg", "写真 2.jpg", "a#b.jpg"});
    using engine::Phase;
    using Step = std::tuple<Phase, int, int>;
    std::vector<Step> steps;
    const engine::Report report = engine::generate(
        a, folder, {1024}, [&](Phase phase, int doneSoFar, int total) { steps.emplace_back(phase, doneSoFar, total); });
    // Copies finishing together on several cores are reported at once.
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps.back(), (Step{Phase::Pages, 1, 1}));
    EXPECT_EQ(steps[steps.size() - 2], (Step{Phase::WebCopies, 3, 3}));
    EXPECT_EQ(std::get<0>(steps.front()), Phase::WebCopies);
    EXPECT_FALSE(report.cancelled);

    QFile::remove(folder + QStringLiteral("/index.html"));
    std::atomic_bool cancel = false;
    const engine::Report cancelled = engine::generate(
        a, folder, {2048}, [&](engine::Phase, int, int) { cancel = true; }, &cancel);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/index.html")));

    // Cancelled among pages of twenty: the pages written stay and are counted.
    album::Album many = albumOf(QStringList(45, QStringLiteral("p1.jpg")));
    many.split = 1;
    cancel = false;
    const engine::Report cut =
        engine::generate(many, folder, {}, [&](Phase, int doneSoFar, int) { cancel = doneSoFar == 1; }, &cancel);
    EXPECT_EQ(cut.written.size(), 1);
    EXPECT_EQ(engine::closingMessage(cut),
              QStringLiteral("html 作成を中止しました。\n1 ページを作成し、残りの 2 ページは作成していません。"));
}

TEST_F(WebAlbum, TheWindowWritesWhatMakeWebWrites)
{
    album::Album a = albumOf(entries);
    const QByteArray project =
        cp932::encodeLines(projectfile::write(QStringLiteral("/elsewhere"), a), cp932::Unmappable::Report);
    const QString byWindow = box.folder(QStringLiteral("window"));
    const QString byCommand = box.folder(QStringLiteral("command"));
    for (const QString &folder : {byWindow, byCommand}) {
        photos(folder);
        testkit::writeFile(folder + QStringLiteral("/album.txt"), project);
    }

    auto w = testkit::window();
    testkit::Modals modals;
    w->Dir1->setPath(byWindow);
    modals.onFileDialog(testkit::pick(byWindow + QStringLiteral("/album.txt")));
    w->fload->trigger();
    w->webphoto->trigger();
    w->web1024->trigger();
    QTest::mouseClick(w->Command4, Qt::LeftButton);

    cli::MakeArgs args;
    args.project = byCommand + QStringLiteral("/album.txt");
    args.outDir = byCommand;
    args.webEdge = 1024;
    const cli::Reply reply = cli::make(args);

    const auto written = files(byCommand);
    EXPECT_TRUE(written.contains(QStringLiteral("web/a#b.jpg")));
    EXPECT_EQ(written, files(byWindow));
    // Photos without a copy are told, yet every page was written.
    EXPECT_EQ(reply.status, 0);
    ASSERT_TRUE(modals.texts().last().startsWith(done + QStringLiteral("\n\n")));
    EXPECT_TRUE(reply.err.endsWith(modals.texts().last().mid(done.size() + 2) + u'\n')) << reply.err.toStdString();
}

TEST_F(WebAlbum, TheSettingsMenuIsKeptTheMomentItChanges)
{
    const auto chosen = [](const main1 &w) {
        QStringList out;
        for (const QAction *a : w.settei->actions() + w.websize->actions())
            if (a->isChecked())
                out << a->objectName();
        return out;
    };
    auto w = testkit::window();
    EXPECT_EQ(chosen(*w), (QStringList{"linkorig", "web1600"}));
    w->webphoto->trigger();
    w->web2560->trigger();
    // Thrown away without the close handling, as 終了 or a crash would.
    w.reset();
    w = testkit::window();
    EXPECT_EQ(chosen(*w), (QStringList{"webphoto", "linkorig", "web2560"}));
    w->webphoto->trigger();
    w.reset();

    QSettings s(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
    EXPECT_EQ(s.value(QStringLiteral("web/photos")).toString(), QStringLiteral("0"));
    EXPECT_EQ(s.value(QStringLiteral("web/edge")).toString(), QStringLiteral("2560"));
    // A size edited by hand into one not offered leaves the default.
    s.setValue(QStringLiteral("web/edge"), 800);
    s.sync();
    EXPECT_EQ(chosen(*testkit::window()), (QStringList{"linkorig", "web1600"}));
}
