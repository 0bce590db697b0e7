// The safety copy in the real window: what the user typed survives every
// way the work can end, and 前回の作業を復元 brings it back as ファイル読込
// would load it.
#include "albumwindow.h"

#include "album/recovery.h"
#include "project/projectfile.h"

#include <QAction>
#include <QProcess>

#include <functional>

namespace {

const QStringList three = {QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg")};

// The first photo captioned "umi" as a user does it, the second one only
// typed: Enter on the list, type, Enter, Enter, type.
void caption(AlbumWindow &a)
{
    a.w->List1->setFocus();
    a.key(Qt::Key_Down);
    a.key(Qt::Key_Return);
    a.type(QStringLiteral("umi"));
    a.key(Qt::Key_Return);
    a.key(Qt::Key_Return);
    a.type(QStringLiteral("yama"));
}

const QStringList typed = {QStringLiteral("p1.jpg,umi"), QStringLiteral("p2.jpg,yama"), QStringLiteral("p3.jpg")};

} // namespace

TEST(SafetyCopy, SurvivesEveryWayTheWorkEnds)
{
    const struct
    {
        const char *how;
        std::function<void(AlbumWindow &)> end;
    } cases[] = {
        {"close box", [](AlbumWindow &a) { a.w->close(); }},
        {"終了",
         [](AlbumWindow &a) {
             a.w->eexit->trigger();
             // The test's own process goes on: its event loop is let run
             // again, or every later message box would close at once.
             QTimer::singleShot(0, qApp, &QCoreApplication::quit);
             QCoreApplication::exec();
         }},
        {"初心者用, then the close box",
         [](AlbumWindow &a) {
             testkit::Modals answered;
             a.w->Command8_Click();
             a.w->close();
         }},
        {"全リスト削除, then the close box",
         [](AlbumWindow &a) {
             a.w->zenclr_Click();
             a.w->close();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        AlbumWindow a(three);
        EXPECT_FALSE(a.w->frestore->isEnabled());
        caption(a);
        c.end(a);
        EXPECT_EQ(kept(), typed);

        auto next = testkit::window();
        ASSERT_TRUE(next->frestore->isEnabled());
        testkit::Modals modals;
        next->frestore->trigger();
        EXPECT_EQ(itemTexts(next->List1), typed);
        EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("読込み完了")});
    }
}

TEST(SafetyCopy, SurvivesAKillTwoSecondsAfterTheLastKey)
{
    testkit::Sandbox box;
    const QString photos = box.folder(QStringLiteral("photos"));
    box.touch(photos, three);
    QProcess child;
    child.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    child.start(QStringLiteral(SAFETY_CHILD), {photos});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().toStdString();
    EXPECT_EQ(kept(), typed);
}

TEST(SafetyCopy, AKilledWindowKeptEachCaptionOnItsOwnPhoto)
{
    const struct
    {
        QStringList steps;
        QStringList kept;
    } cases[] = {
        // Registered, then moved down twice.
        {{"@List1", "Down", "Return", "=alpha", "Return", "Return", "click:0", "Alt+Down", "Alt+Down"},
         {"p2.jpg", "p3.jpg", "p1.jpg,alpha"}},
        // Typed, moved up, the move undone and redone, then sorted by name.
        {{"click:1", "Return", "=beta", "@List1", "Alt+Up", "Ctrl+Z", "Ctrl+Shift+Z", "menu:sortname"},
         {"p1.jpg", "p2.jpg,beta", "p3.jpg"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.steps.join(u' ').toStdString());
        testkit::Sandbox box;
        const QString photos = box.folder(QStringLiteral("photos"));
        box.touch(photos, three);
        QProcess child;
        child.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        child.start(QStringLiteral(SAFETY_CHILD), QStringList{photos} + c.steps);
        ASSERT_TRUE(child.waitForFinished(30000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().toStdString();
        EXPECT_EQ(kept(), c.kept);
    }
}

// The folder shown goes away behind the window's back: the album is kept
// first, as it stood in that folder, then the panes and 基準パソコンディレクトリ
// move to the nearest folder still there, and say so.
TEST(SafetyCopy, KeptWhenTheShownFolderVanishesAndThePanesMoveUp)
{
    const struct
    {
        const char *how;
        const char *shown;
        std::function<void(const QString &root)> vanish;
    } cases[] = {
        {"rm -rf", "photos", [](const QString &root) { QDir(root + QStringLiteral("/photos")).removeRecursively(); }},
        {"mv", "photos", [](const QString &root) { QDir(root).rename(QStringLiteral("photos"), QStringLiteral("moved")); }},
        {"rm -rf of its parent", "trip/day1",
         [](const QString &root) { QDir(root + QStringLiteral("/trip")).removeRecursively(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        AlbumWindow a(three, QString::fromLatin1(c.shown));
        testkit::Modals modals;
        caption(a);
        c.vanish(a.box.path());
        ASSERT_TRUE(QTest::qWaitFor([&] { return a.w->Dir1->path() != a.dir; }));
        EXPECT_EQ(kept(), typed);
        EXPECT_EQ(projectfile::parse(testkit::bytes(recovery::path())).folder, a.dir);
        for (const QString &shown : {a.w->Dir1->path(), a.w->File1->path(), a.w->Label1->text()})
            EXPECT_EQ(shown, a.box.path());
        EXPECT_EQ(modals.texts(),
            QStringList{QStringLiteral("フォルダ %1 はありません。\n%2 に移りました。").arg(a.dir, a.box.path())});
    }
}
