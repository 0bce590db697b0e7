// The safety copies in the real window: what the user typed survives every
// way the work can end, each album is kept apart from the others and from
// other windows' albums, and 前回の作業を復元 brings the chosen one back in
// its own folder, every name as it is on disk.
#include "albumwindow.h"
#include "keptalbums.h"

#include "album/photocheck.h"
#include "fileops/fsname.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <QAction>
#include <QDateTime>
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

// Starts safety_child with args (see there).
void runChild(QProcess &child, const QStringList &args)
{
    child.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    child.start(QStringLiteral(SAFETY_CHILD), args);
}

void expectKilled(QProcess &child)
{
    ASSERT_TRUE(child.waitForFinished(90000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().toStdString();
}

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
        const qsizetype row = keptEntries().indexOf(typed);
        ASSERT_GE(row, 0);

        auto next = testkit::window();
        ASSERT_TRUE(next->frestore->isEnabled());
        testkit::Modals modals;
        restoreRow(modals, *next, int(row));
        EXPECT_EQ(itemTexts(next->List1), typed);
        EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("読込み完了")});
    }
}

TEST(SafetyCopy, EachAlbumIsKeptApart)
{
    const QStringList registered = {QStringLiteral("p1.jpg,umi"), QStringLiteral("p2.jpg,yama"), QStringLiteral("p3.jpg")};
    const QStringList sora = {QStringLiteral("p1.jpg,sora"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg")};
    const QStringList hoshi = {QStringLiteral("p1.jpg,umi"), QStringLiteral("p2.jpg,yama"), QStringLiteral("p3.jpg,hoshi")};
    const struct
    {
        const char *how;
        std::function<void(AlbumWindow &)> act;
        QStringList list;
        QList<QStringList> kept;
    } cases[] = {
        {"初心者用, then a caption of the new list",
         [](AlbumWindow &a) {
             testkit::Modals answered;
             a.w->Command8_Click();
             registerCaption(*a.w, 0, QStringLiteral("sora"));
         },
         sora, {sora, registered}},
        {"another folder, then a caption there",
         [](AlbumWindow &a) {
             const QString there = a.box.folder(QStringLiteral("other"));
             a.box.touch(there, {QStringLiteral("q1.jpg")});
             a.w->Dir1->changeTo(there);
             a.w->allselec();
             registerCaption(*a.w, 0, QStringLiteral("kawa"));
         },
         {QStringLiteral("q1.jpg,kawa")}, {{QStringLiteral("q1.jpg,kawa")}, registered}},
        {"全リスト削除", [](AlbumWindow &a) { a.w->zenclr_Click(); }, {}, {registered}},
        {"全リスト削除 undone, then a caption",
         [](AlbumWindow &a) {
             a.w->zenclr_Click();
             QTest::keyClick(a.w->List1, Qt::Key_Z, Qt::ControlModifier);
             registerCaption(*a.w, 2, QStringLiteral("hoshi"));
         },
         hoshi, {hoshi}},
        {"ファイル読込, then a caption",
         [](AlbumWindow &a) {
             album::Album saved;
             saved.entries = {QStringLiteral("p3.jpg,saved"), QStringLiteral("p1.jpg")};
             const QString file = a.dir + QStringLiteral("/saved.txt");
             testkit::writeFile(file, cp932::encodeLines(projectfile::write(a.dir, saved), cp932::Unmappable::Report));
             testkit::Modals answered;
             a.w->loadProject(file);
             registerCaption(*a.w, 1, QStringLiteral("tsuki"));
         },
         {QStringLiteral("p3.jpg,saved"), QStringLiteral("p1.jpg,tsuki")},
         {{QStringLiteral("p3.jpg,saved"), QStringLiteral("p1.jpg,tsuki")}, registered}},
        {"a restore goes on with the album it restores",
         [](AlbumWindow &a) {
             testkit::Modals answered;
             a.w->Command8_Click();
             registerCaption(*a.w, 0, QStringLiteral("sora"));
             restoreRow(answered, *a.w, 1);
             registerCaption(*a.w, 2, QStringLiteral("hoshi"));
         },
         hoshi, {hoshi, sora}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        AlbumWindow a(three);
        registerCaption(*a.w, 0, QStringLiteral("umi"));
        registerCaption(*a.w, 1, QStringLiteral("yama"));
        c.act(a);
        EXPECT_EQ(a.entries(), c.list);
        a.w->close();
        EXPECT_EQ(keptEntries(), c.kept);
    }
}

TEST(SafetyCopy, TheRestoreWindowListsTheKeptAlbumsNewestFirst)
{
    AlbumWindow a(three);
    registerCaption(*a.w, 0, QStringLiteral("umi"));
    const QString there = a.box.folder(QStringLiteral("other"));
    a.box.touch(there, {QStringLiteral("q1.jpg"), QStringLiteral("q2.jpg")});
    a.w->Dir1->changeTo(there);
    a.w->allselec();
    registerCaption(*a.w, 0, QStringLiteral("kawa"));
    registerCaption(*a.w, 1, QStringLiteral("yama"));
    const QStringList second = a.entries();

    testkit::Modals modals;
    QStringList rows;
    modals.onWindow(QStringLiteral("frestorewin"), [&](QWidget *win) {
        auto *list = win->findChild<QTreeWidget *>(QStringLiteral("albumlist"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = list->topLevelItem(i);
            rows.append(QStringList{row->text(0), row->text(1), row->text(2)}.join(u'|'));
            const QDateTime when = QDateTime::fromString(row->text(3), QStringLiteral("yyyy/MM/dd HH:mm"));
            EXPECT_LE(qAbs(when.secsTo(QDateTime::currentDateTime())), 120) << row->text(3).toStdString();
        }
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
        EXPECT_EQ(win->findChild<QPushButton *>(QStringLiteral("restoreok"))->text(), QStringLiteral("復元"));
        EXPECT_EQ(win->findChild<QPushButton *>(QStringLiteral("restorecan"))->text(), QStringLiteral("キャンセル"));
        QTest::keyClick(list, Qt::Key_Escape);
    });
    a.w->frestore->trigger();
    EXPECT_EQ(rows, (QStringList{there + QStringLiteral("|2|2"), a.dir + QStringLiteral("|3|1")}));
    EXPECT_EQ(a.entries(), second);

    modals.onWindow(QStringLiteral("frestorewin"), [](QWidget *win) {
        win->findChild<QPushButton *>(QStringLiteral("restorecan"))->click();
    });
    a.w->frestore->trigger();
    EXPECT_EQ(a.entries(), second);
    EXPECT_TRUE(modals.texts().isEmpty());

    modals.onWindow(QStringLiteral("frestorewin"), [](QWidget *win) {
        auto *list = win->findChild<QTreeWidget *>(QStringLiteral("albumlist"));
        const QPoint at = list->visualItemRect(list->topLevelItem(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
    a.w->frestore->trigger();
    EXPECT_EQ(a.entries(), (QStringList{QStringLiteral("p1.jpg,umi"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg")}));
    EXPECT_EQ(a.w->Dir1->path(), a.dir);
}

TEST(SafetyCopy, ARestoreGoesToTheAlbumsFolderAndRewritesNothing)
{
    for (const bool gone : {false, true}) {
        SCOPED_TRACE(gone ? "the folder is gone" : "the folder is there");
        AlbumWindow a(three);
        registerCaption(*a.w, 0, QStringLiteral("umi"));
        const QStringList kept = a.entries();
        a.w->close();
        const QString id = recovery::list().value(0).id;
        const QByteArray before = testkit::bytes(keptPath(id));
        if (gone)
            QDir(a.dir).removeRecursively();

        auto next = testkit::window();
        const QString start = a.box.folder(QStringLiteral("start"));
        next->Dir1->changeTo(start);
        testkit::Modals modals;
        restoreRow(modals, *next, 0);
        EXPECT_EQ(itemTexts(next->List1), kept);
        const QString landed = gone ? start : a.dir;
        EXPECT_EQ(next->Dir1->path(), landed);
        EXPECT_EQ(next->Label1->text(), landed);
        QStringList told{QStringLiteral("読込み完了")};
        if (gone)
            told = QStringList{projectfile::otherFolder, photocheck::message(three)} + told;
        EXPECT_EQ(modals.texts(), told);
        // Past the keeper's delay the kept album is still as it was.
        QTest::qWait(1500);
        EXPECT_EQ(testkit::bytes(keptPath(id)), before);

        // Work on it goes on in the same album, which stays the album of its own folder.
        registerCaption(*next, 1, QStringLiteral("yama"));
        next->close();
        ASSERT_EQ(recovery::list().size(), 1);
        const keptalbum::Kept after = *recovery::load(id);
        EXPECT_EQ(after.folder, a.dir);
        EXPECT_EQ(after.album.entries, itemTexts(next->List1));
    }
}

TEST(SafetyCopy, AKilledWindowsAlbumComesBackWithEveryNameAsItIs)
{
    testkit::Sandbox box;
    const QString photos = box.folder(QStringLiteral("photos"));
    box.touch(photos, {QStringLiteral("🌸さくら.jpg"), fsname::decode("caf\xE9.jpg"), QStringLiteral("p3.jpg")});
    QProcess child;
    runChild(child, {photos});
    expectKilled(child);
    // In the order the file pane lists them.
    const QStringList names = fsname::listFiles(photos);
    const QStringList expected = {names[0] + QStringLiteral(",umi"), names[1] + QStringLiteral(",yama"), names[2]};
    ASSERT_EQ(keptEntries(), QList<QStringList>{expected});
    const QString id = recovery::list().value(0).id;
    const QByteArray before = testkit::bytes(keptPath(id));

    auto w = testkit::window();
    w->Dir1->changeTo(box.folder(QStringLiteral("start")));
    testkit::Modals modals;
    restoreRow(modals, *w, 0);
    EXPECT_EQ(w->Dir1->path(), photos);
    EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("読込み完了")});
    const QStringList restored = itemTexts(w->List1);
    ASSERT_EQ(restored.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(fsname::encode(restored[i]), fsname::encode(expected[i]));
    QTest::qWait(1500);
    w->close();
    EXPECT_EQ(testkit::bytes(keptPath(id)), before);
}

TEST(SafetyCopy, TwoWindowsNeverDestroyEachOthersAlbums)
{
    testkit::Sandbox box;
    const QString photos = box.folder(QStringLiteral("photos"));
    const QString other = box.folder(QStringLiteral("other"));
    box.touch(photos, three);
    box.touch(other, {QStringLiteral("q1.jpg"), QStringLiteral("q2.jpg")});
    QProcess one, two;
    runChild(one, {photos});
    runChild(two, {other});
    expectKilled(one);
    expectKilled(two);
    QList<QStringList> kept = keptEntries();
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (QList<QStringList>{typed, {QStringLiteral("q1.jpg,umi"), QStringLiteral("q2.jpg,yama")}}));
}

TEST(SafetyCopy, TwoWindowsOnOneAlbumKeepTheLaterCaptionOfEachPhoto)
{
    testkit::Sandbox box;
    const QString photos = box.folder(QStringLiteral("photos"));
    box.touch(photos, {QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg"), QStringLiteral("p4.jpg")});
    QProcess first;
    runChild(first, {photos});
    expectKilled(first);

    // Both restore the album before either types: neither shows the
    // other's captions. The second types first, the first on its own
    // photo and on the third, then the second on the third again.
    QProcess one, two;
    const auto captioned = [](int row, const QString &text) {
        return QStringList{QStringLiteral("click:%1").arg(row), "Return", "Ctrl+A", u'=' + text, "Return", "Return"};
    };
    runChild(one, QStringList{"-", "?beta"} + captioned(0, "alpha") + captioned(2, "early"));
    ASSERT_TRUE(one.waitForReadyRead(60000));
    runChild(two, QStringList{"-"} + captioned(1, "beta") + QStringList{"?early"} + captioned(2, "late"));
    expectKilled(one);
    expectKilled(two);
    EXPECT_EQ(keptEntries(), (QList<QStringList>{{QStringLiteral("p1.jpg,alpha"), QStringLiteral("p2.jpg,beta"),
                                                  QStringLiteral("p3.jpg,late"), QStringLiteral("p4.jpg")}}));
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
        runChild(child, QStringList{photos} + c.steps);
        expectKilled(child);
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
        EXPECT_EQ(recovery::list().value(0).head.folder, a.dir);
        for (const QString &shown : {a.w->Dir1->path(), a.w->File1->path(), a.w->Label1->text()})
            EXPECT_EQ(shown, a.box.path());
        EXPECT_EQ(modals.texts(),
            QStringList{QStringLiteral("フォルダ %1 はありません。\n%2 に移りました。").arg(a.dir, a.box.path())});
    }
}
