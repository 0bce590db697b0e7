#include "testkit.h"

#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/opener.h"
#include "app/panes.h"
#include "fileops/dirslogic.h"
#include "fileops/fsname.h"
#include "textio/excerpt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTest>

#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

QString stored(const char *key)
{
    QSettings s(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
    return s.value(QStringLiteral("startup/") + QLatin1String(key)).toString();
}

void store(const char *key, const QString &value)
{
    QSettings s(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
    s.setValue(QStringLiteral("startup/") + QLatin1String(key), value);
}

QStringList entries(const main1 &w)
{
    return itemTexts(w.List1);
}

// Opens the folder item of the directory pane the way a user does: a double-click.
void doubleClickFolder(main1 &w, const QString &name)
{
    const auto items = w.Dir1->findItems(name, Qt::MatchEndsWith);
    ASSERT_FALSE(items.isEmpty()) << name.toStdString();
    const QRect r = w.Dir1->visualItemRect(items.first());
    // A double-click is a click and a second press soon after.
    QTest::mouseClick(w.Dir1->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(w.Dir1->viewport(), Qt::LeftButton, {}, r.center());
}

const QString noPhoto = QStringLiteral("ファイルがないか、jpgファイルではありません。\n"
                                       "jpgファイル以外を選択するには、shiftｷｰを押しながらボタンクリック！");

} // namespace

TEST(StartUp, FirstRunShowsTheLaunchFolderEverywhereAndCloseStoresBothKeys)
{
    testkit::Sandbox box;
    const QString here = QDir::currentPath();
    {
        auto w = testkit::window();
        EXPECT_EQ(w->Dir1->path(), here);
        EXPECT_EQ(w->File1->path(), here);
        EXPECT_EQ(w->Label1->text(), here);
        EXPECT_EQ(w->Check2->checkState(), Qt::Unchecked);
        EXPECT_EQ(w->Label11->text(), QStringLiteral("0"));
        EXPECT_EQ(w->Command8->text(), QStringLiteral("初心者用\r全自動 html 作成"));
        w->close();
    }
    EXPECT_EQ(stored("firstdir"), here);
    EXPECT_EQ(stored("ban"), QStringLiteral("0"));
}

TEST(StartUp, StoredFolderAndWidthFlagComeBack)
{
    testkit::Sandbox box;
    const QString photos = box.folder(QStringLiteral("写真 2004"));
    box.touch(photos, {QStringLiteral("a.jpg")});
    store("firstdir", photos);
    store("ban", QStringLiteral("1"));
    auto w = testkit::window();
    EXPECT_EQ(w->Label1->text(), photos);
    EXPECT_EQ(w->Dir1->path(), photos);
    EXPECT_EQ(w->File1->names(), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(fsname::currentDir(), photos);
    EXPECT_EQ(w->Check2->checkState(), Qt::Checked);
    w->Check2->click();
    w->close();
    EXPECT_EQ(stored("ban"), QStringLiteral("0"));
}

TEST(StartUp, WidthFlagTakesOnlyWhatACheckBoxAccepts)
{
    const struct { const char *stored; Qt::CheckState state; } cases[] = {
        {"abc", Qt::Unchecked}, {"7", Qt::Unchecked}, {"1", Qt::Checked}, {"0", Qt::Unchecked},
        {"2", Qt::PartiallyChecked}, {"1.5", Qt::PartiallyChecked}, {"0.5", Qt::Unchecked},
        {" 1x", Qt::Checked}, {"99999", Qt::Unchecked}, {"-1", Qt::Unchecked}, {"", Qt::Unchecked},
    };
    for (const auto &c : cases) {
        testkit::Sandbox box;
        store("ban", QString::fromLatin1(c.stored));
        auto w = testkit::window();
        EXPECT_EQ(w->Check2->checkState(), c.state) << c.stored;
    }
}

TEST(StartUp, MissingStoredFolderFallsBackToTheLaunchFolder)
{
    testkit::Sandbox box;
    store("firstdir", box.path() + QStringLiteral("/gone"));
    auto w = testkit::window();
    EXPECT_EQ(w->Dir1->path(), QDir::currentPath());
    EXPECT_EQ(w->Label1->text(), w->Dir1->path());
}

TEST(StartUp, ExitStoresNothingSoTheNextStartShowsTheLastClosedFolder)
{
    testkit::Sandbox box;
    const QString first = box.folder(QStringLiteral("first"));
    const QString second = box.folder(QStringLiteral("second"));
    {
        auto w = testkit::window();
        w->Dir1->changeTo(first);
        w->close();
    }
    {
        auto w = testkit::window();
        EXPECT_EQ(w->Dir1->path(), first);
        w->Dir1->changeTo(second);
        w->Check2->setChecked(true);
        w->eexit->trigger();
    }
    auto w = testkit::window();
    EXPECT_EQ(w->Dir1->path(), first);
    EXPECT_EQ(w->Check2->checkState(), Qt::Unchecked);
}

TEST(Layout, WindowAndControlsStandWhereTheyBelong)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(w->pos(), QPoint(27, 27));
    EXPECT_EQ(w->centralWidget()->size(), QSize(727, 550));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Ｋａｍｅｒｉｏ"));
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(QApplication::focusWidget(), w->Dir1);
    QWidget *first = w->nextInFocusChain();
    while (first != w.get() && !(first->focusPolicy() & Qt::TabFocus))
        first = first->nextInFocusChain();
    EXPECT_EQ(first, w->Dir1);

    const struct { const char *name; int l, t, wd, h; } places[] = {
        {"Label3", 120, 60, 3255, 375}, {"Text6", 7080, 120, 3735, 270}, {"Label1", 2160, 600, 8655, 255},
        {"Frame3", 120, 1080, 10695, 1095}, {"Option9", 120, 540, 1215, 255}, {"Text5", 1440, 520, 9135, 270},
        {"Drive1", 120, 2280, 3975, 300}, {"Dir1", 120, 2640, 2295, 3870}, {"File1", 2520, 2640, 1575, 3345},
        {"Command12", 120, 6600, 1095, 255}, {"Check3", 120, 6960, 2535, 375}, {"Frame1", 4200, 2280, 2055, 1335},
        {"Command7", 120, 960, 1815, 255}, {"List1", 4200, 4740, 2055, 1470}, {"Image1", 6360, 3840, 4395, 3300},
        {"Text2", 2520, 6660, 975, 270}, {"Combo1", 3600, 6640, 495, 300}, {"Frame4", 120, 7320, 6735, 855},
        {"Text9", 960, 240, 5655, 270}, {"Command8", 8880, 7200, 1935, 495}, {"Command4", 8880, 7800, 1935, 375},
    };
    auto px = [](int twips) { return (twips + 7) / 15; };
    for (const auto &p : places) {
        auto *c = w->findChild<QWidget *>(QLatin1String(p.name));
        ASSERT_NE(c, nullptr) << p.name;
        EXPECT_EQ(c->geometry(), QRect(px(p.l), px(p.t), px(p.wd), px(p.h))) << p.name;
    }
    EXPECT_EQ(w->Command2->parentWidget(), w->Frame1);
    EXPECT_EQ(w->Option5->parentWidget(), w->Frame3);
    EXPECT_EQ(w->Label25->parentWidget(), w->Frame4);
    EXPECT_TRUE(w->Option1->isChecked());
    EXPECT_TRUE(w->Check3->isChecked());
    EXPECT_FALSE(w->List2->isVisible());
    EXPECT_FALSE(w->List3->isVisible());
    EXPECT_EQ(w->Text4->text(), QStringLiteral("index.html"));
    EXPECT_EQ(w->Combo1->currentText(), QStringLiteral("2"));
    // Each colour button is painted in its colour, not only its round mark.
    const std::pair<QRadioButton *, QColor> painted[] = {
        {w->Option2, {128, 255, 255}}, {w->Option3, {255, 255, 128}}, {w->Option4, {255, 192, 128}},
        {w->Option5, {128, 255, 128}}, {w->Option6, {192, 192, 255}}, {w->Option7, {255, 192, 192}},
        {w->Option8, {255, 192, 255}},
    };
    for (const auto &[option, colour] : painted) {
        const QImage shown = option->grab().toImage();
        EXPECT_EQ(shown.pixelColor(shown.width() - 2, shown.height() / 2).name(), colour.name())
            << option->objectName().toStdString();
    }
    // List1 covers the lower part of Label7's place; its two lines stay above.
    EXPECT_LE(w->Label7->heightForWidth(w->Label7->width()), w->List1->y() - w->Label7->y());
    EXPECT_EQ(w->List1->palette().color(QPalette::Base), QColor(255, 255, 192));

    const QStringList menuItems = {"fsave", "fload", "eexit", "easykotu", "syoukotu", "jyouhou", "list1del",
                                   "zenclr", "list1can", "file1rmusup", "kousin", "dirnchg", "clpchgdir",
                                   "dir1clkn", "rclkdir", "webphoto", "web1024", "web1600", "web2048", "web2560"};
    for (const QString &name : menuItems)
        EXPECT_NE(w->findChild<QAction *>(name), nullptr) << name.toStdString();
    QStringList bar;
    for (QAction *a : w->menuBar()->actions())
        bar.append(a->text());
    EXPECT_EQ(bar, QStringList({"ファイル", "ソフト情報", "設定", "公開"}));
}

TEST(FolderBrowser, EveryDirectoryChangeKeepsPanesLabelAndCurrentFolderInStep)
{
    testkit::Sandbox box;
    const QString sub = box.folder(QStringLiteral("work/sub"));
    box.touch(QDir::currentPath(), {QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    box.touch(sub, {QStringLiteral("c.jpg")});
    auto w = testkit::window();
    w->allselec();
    ASSERT_EQ(w->List1->count(), 2);
    w->Image1->setPixmap(QPixmap(4, 4));

    // A single click only highlights; a double-click opens.
    const auto items = w->Dir1->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
    ASSERT_EQ(items.size(), 1);
    QTest::mouseClick(w->Dir1->viewport(), Qt::LeftButton, {}, w->Dir1->visualItemRect(items.first()).center());
    EXPECT_NE(w->Dir1->path(), sub);
    doubleClickFolder(*w, QStringLiteral("sub"));
    EXPECT_EQ(w->Dir1->path(), sub);
    EXPECT_EQ(w->File1->path(), sub);
    EXPECT_EQ(w->Label1->text(), sub);
    EXPECT_EQ(fsname::currentDir(), sub);
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_TRUE(w->Image1->pixmap().isNull());
    EXPECT_EQ(w->Label11->text(), QStringLiteral("0"));

    // With Check3 clear the list stays, and the count still follows.
    w->allselec();
    w->Check3->click();
    w->Dir1->setPath(box.path());
    EXPECT_EQ(entries(*w), QStringList{QStringLiteral("c.jpg")});
    EXPECT_EQ(w->Label11->text(), QStringLiteral("1"));
    EXPECT_EQ(w->Label1->text(), box.path());

    // A folder that cannot be read leaves every pane where it was.
    EXPECT_FALSE(w->Dir1->changeTo(box.path() + QStringLiteral("/missing")));
    EXPECT_EQ(w->Dir1->path(), box.path());
    EXPECT_EQ(w->Label1->text(), box.path());

    // A folder name that looks like markup is shown as it is.
    const QString tagged = box.folder(QStringLiteral("<i>写真"));
    ASSERT_TRUE(w->Dir1->changeTo(tagged));
    EXPECT_GE(w->Label1->sizeHint().width(), w->Label1->fontMetrics().horizontalAdvance(tagged));
}

TEST(FolderBrowser, AFolderThatCannotBeEnteredIsRefusedByName)
{
    testkit::Sandbox box;
    const QString here = QDir::currentPath();
    const struct { const char *name; QFile::Permissions mode; const char *message; } cases[] = {
        {"見られない", QFile::WriteOwner | QFile::ExeOwner, "フォルダ %1 を開く権限がありません。"},
        {"入れない", QFile::ReadOwner | QFile::WriteOwner, "フォルダ %1 を開く権限がありません。"},
    };
    QStringList expected;
    for (const auto &c : cases) {
        const QString folder = box.folder(QStringLiteral("work/") + QString::fromUtf8(c.name));
        ASSERT_TRUE(QFile::setPermissions(folder, c.mode));
        expected.append(QString::fromUtf8(c.message).arg(folder));
    }
    auto w = testkit::window();
    w->List1->addItem(QStringLiteral("a.jpg"));
    testkit::AsUser user;
    if (!user.active())
        GTEST_SKIP() << user.why();
    testkit::Modals modals;
    for (const auto &c : cases) {
        doubleClickFolder(*w, QString::fromUtf8(c.name));
        EXPECT_EQ(w->Dir1->path(), here) << c.name;
        EXPECT_EQ(w->File1->path(), here);
        EXPECT_EQ(w->Label1->text(), here);
        EXPECT_EQ(fsname::currentDir(), here);
        EXPECT_EQ(w->List1->count(), 1);
    }
    EXPECT_EQ(modals.texts(), expected);
}

TEST(FolderBrowser, RefreshingAFolderDeletedMeanwhileMovesToItsNearestParent)
{
    testkit::Sandbox box;
    const QString work = QDir::currentPath();
    const QString deep = box.folder(QStringLiteral("work/a/b/c"));
    auto w = testkit::window();
    ASSERT_TRUE(w->Dir1->changeTo(deep));
    ASSERT_TRUE(QDir(work + QStringLiteral("/a")).removeRecursively());
    testkit::Modals modals;
    w->kousin->trigger();
    EXPECT_EQ(w->Dir1->path(), work);
    EXPECT_EQ(w->File1->path(), work);
    EXPECT_EQ(w->Label1->text(), work);
    EXPECT_EQ(fsname::currentDir(), work);
    EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("フォルダ %1 はありません。\n%2 に移りました。").arg(deep, work)});
}

TEST(FolderBrowser, DriveChangeMovesToThatVolumesLastFolder)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    w->Drive1->showPopup();
    w->Drive1->hidePopup();
    const QString home = w->Drive1->currentData().toString();
    int other = -1;
    for (int i = 0; i < w->Drive1->count(); ++i)
        if (w->Drive1->itemData(i).toString() != home)
            other = i;
    if (other < 0)
        GTEST_SKIP() << "only one mounted volume here";
    const QString otherRoot = w->Drive1->itemData(other).toString();
    const QString start = w->Dir1->path();
    w->Drive1->setCurrentIndex(other);
    EXPECT_TRUE(w->Dir1->path().startsWith(otherRoot));
    EXPECT_EQ(w->Label1->text(), w->Dir1->path());
    EXPECT_EQ(fsname::currentDir(), w->Dir1->path());
    w->Drive1->setCurrentIndex(w->Drive1->findData(home));
    EXPECT_EQ(w->Dir1->path(), start);
}

TEST(FolderBrowser, DriveListIsReadWhenItOpensAndAVolumeGoneSinceLeavesThePanes)
{
    testkit::Sandbox box;
    const QString card = box.folder(QStringLiteral("card"));
    auto w = testkit::window();
    int at = -1;
    {
        testkit::Tmpfs fs(card, "size=1m");
        if (!fs.mounted())
            GTEST_SKIP() << fs.why();
        EXPECT_EQ(w->Drive1->findData(card), -1);
        w->Drive1->showPopup();
        w->Drive1->hidePopup();
        at = w->Drive1->findData(card);
        ASSERT_GE(at, 0);
    }
    const QString start = w->Dir1->path();
    const QVariant home = w->Drive1->currentData();
    w->List1->addItem(QStringLiteral("a.jpg"));
    testkit::Modals modals;
    w->Drive1->setCurrentIndex(at);
    EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("ドライブ %1 を読み込めません。").arg(card)});
    EXPECT_EQ(w->Dir1->path(), start);
    EXPECT_EQ(w->Label1->text(), start);
    EXPECT_EQ(w->List1->count(), 1);
    EXPECT_EQ(w->Drive1->currentData(), home);
}

TEST(FolderBrowser, PhotoCountShowsEveryCountWhole)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    const QRect place = w->Label11->geometry();
    for (int n : {32767, 10000, 999, 7}) {
        {
            const QSignalBlocker quiet(w->List1);
            w->List1->clear();
            w->List1->addItems(QStringList(n, QStringLiteral("p.jpg")));
        }
        w->Label11_Click();
        EXPECT_EQ(w->Label11->text(), QString::number(n));
        EXPECT_LE(w->Label11->fontMetrics().horizontalAdvance(w->Label11->text()), w->Label11->contentsRect().width())
            << n;
        EXPECT_EQ(w->Label11->geometry(), place);
    }
    // A short count gets the window's letters back.
    EXPECT_EQ(w->Label11->font(), w->Label11->parentWidget()->font());
}

TEST(Messages, QtsOwnTextsAreJapanese)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    testkit::Modals modals;
    modals.answer(QMessageBox::No);
    w->Command6->click();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    const std::unique_ptr<QMenu> menu(w->Text6->createStandardContextMenu());
    QStringList items;
    for (const QAction *a : menu->actions())
        if (!a->isSeparator())
            items.append(a->text().section(u'\t', 0, 0));
    EXPECT_EQ(items, (QStringList{"元に戻す(&U)", "やり直す(&R)", "切り取り(&T)", "コピー(&C)", "貼り付け(&P)", "削除",
                                  "すべてを選択"}));
}

TEST(Messages, EveryBoxFitsOnTheScreen)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    w->show();
    const QRect screen = w->screen()->availableGeometry();
    const QString path = QStringLiteral("/写真").repeated(20000);
    const QStringList tooLong = {QStringLiteral("一行目\n").repeated(200), path, (path.left(300) + u'\n').repeated(40),
                                 QStringLiteral("word ").repeated(5000)};
    testkit::Modals modals;
    for (const QString &text : tooLong)
        messagebox::show(w.get(), text);
    messagebox::show(w.get(), QStringLiteral("短い\nメッセージ"));
    ASSERT_EQ(modals.shown.size(), tooLong.size() + 1);
    for (const testkit::Shown &s : modals.shown) {
        EXPECT_LE(s.size.height(), screen.height()) << s.text.size();
        EXPECT_LE(s.size.width(), screen.width()) << s.text.size();
    }
    for (qsizetype i = 0; i < tooLong.size(); ++i)
        EXPECT_TRUE(modals.shown[i].text.endsWith(u'…')) << i;
    EXPECT_EQ(modals.shown.last().text, QStringLiteral("短い\nメッセージ"));
}

TEST(FolderBrowser, PopupMenusOpenFromTheirControlsAndRefreshThePanes)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    testkit::Modals modals;

    box.touch(QDir::currentPath(), {QStringLiteral("new.jpg")});
    QDir().mkdir(QStringLiteral("newdir"));
    EXPECT_TRUE(w->File1->names().isEmpty());

    modals.choose(QStringLiteral("file1rmusup"));
    QTest::mouseClick(w->File1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(w->File1->names(), QStringList{QStringLiteral("new.jpg")});

    modals.choose(QStringLiteral("kousin"));
    QTest::mousePress(w->Dir1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(w->Dir1->findItems(QStringLiteral("newdir"), Qt::MatchEndsWith).isEmpty());

    // Label1 offers its menu for the left button as well as the right one,
    // when the button comes up over it.
    QTest::mouseClick(w->Label1, Qt::LeftButton);
    QTest::mouseClick(w->Label1, Qt::RightButton);
    QTest::mouseRelease(w->Label1, Qt::LeftButton, {}, QPoint(-5, -5));
    QTest::mouseRelease(w->File1->viewport(), Qt::RightButton, {}, QPoint(-5, -5));
    EXPECT_EQ(modals.menusOpened, QStringList({"r1clk", "dir1clk", "rclkkijyu", "rclkkijyu"}));
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST(FolderBrowser, PanesFollowTheDiskAndKeepWhatTheUserChose)
{
    testkit::Sandbox box;
    const QString here = QDir::currentPath();
    QStringList names{QStringLiteral("old.jpg")};
    for (int i = 0; i < 300; ++i)
        names.append(QStringLiteral("a%1.jpg").arg(i, 3, 10, QChar(u'0')));
    box.touch(here, names);
    QDir().mkdir(QStringLiteral("sub1"));
    auto w = testkit::window();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    // What the user chose: two files, the current one, where the pane is
    // scrolled to, and a highlighted folder.
    for (int row : {10, 12})
        w->File1->item(row)->setSelected(true);
    w->File1->setCurrentItem(w->File1->item(12), QItemSelectionModel::NoUpdate);
    w->File1->verticalScrollBar()->setValue(50);
    w->Dir1->setCurrentItem(w->Dir1->findItems(QStringLiteral("sub1"), Qt::MatchEndsWith).value(0));
    QSignalSpy refreshes(w->File1->model(), &QAbstractItemModel::modelReset);

    // Other programs copy a thousand photos in, rename one, remove one and
    // make a folder.
    for (int i = 0; i < 1000; ++i)
        box.touch(here, {QStringLiteral("z%1.jpg").arg(i, 4, 10, QChar(u'0'))});
    ASSERT_TRUE(QFile::rename(QStringLiteral("old.jpg"), QStringLiteral("new.jpg")));
    ASSERT_TRUE(QFile::remove(QStringLiteral("a005.jpg")));
    QDir().mkdir(QStringLiteral("sub2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->File1->count() == 1300; }));
    QTest::qWait(1200);
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_TRUE(w->File1->names().contains(QStringLiteral("new.jpg")));
    EXPECT_FALSE(w->File1->names().contains(QStringLiteral("a005.jpg")));
    QStringList selected;
    for (const QListWidgetItem *item : w->File1->selectedItems())
        selected.append(item->text());
    EXPECT_EQ(selected, QStringList({"a010.jpg", "a012.jpg"}));
    EXPECT_EQ(w->File1->currentItem()->text(), QStringLiteral("a012.jpg"));
    EXPECT_EQ(w->File1->verticalScrollBar()->value(), 50);
    EXPECT_FALSE(w->Dir1->findItems(QStringLiteral("sub2"), Qt::MatchEndsWith).isEmpty());
    EXPECT_TRUE(w->Dir1->currentItem()->text().endsWith(QStringLiteral("sub1")));

    // A move to another folder starts it afresh.
    ASSERT_TRUE(w->Dir1->changeTo(here + QStringLiteral("/sub1")));
    ASSERT_TRUE(w->Dir1->changeTo(here));
    EXPECT_TRUE(w->File1->selectedItems().isEmpty());
}

TEST(FolderBrowser, ClipboardMoveKeepsTheTextAsCopied)
{
    testkit::Sandbox box;
    const QString target = box.folder(QStringLiteral("photos/trip"));
    auto w = testkit::window();
    w->show();
    testkit::Modals modals;

    QGuiApplication::clipboard()->setText(target + u'/');
    modals.choose(QStringLiteral("rclkdir"));
    QTest::mouseClick(w->Label1, Qt::RightButton);
    EXPECT_EQ(w->Dir1->path(), target);
    EXPECT_EQ(w->File1->path(), target);
    EXPECT_EQ(fsname::currentDir(), target);
    EXPECT_EQ(w->Label1->text(), target + u'/');

    const QString before = w->Label1->text();
    QGuiApplication::clipboard()->setText(box.path() + QStringLiteral("/nothing here"));
    modals.choose(QStringLiteral("clpchgdir"));
    QTest::mousePress(w->Dir1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(w->Label1->text(), before);
    EXPECT_EQ(w->Dir1->path(), target);
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, box.path() + QStringLiteral("/nothing here のﾃﾞｨﾚｸﾄﾘはありません"));
    EXPECT_EQ(modals.shown[0].title, QStringLiteral("KAMERIO"));
    EXPECT_EQ(modals.shown[0].buttons.size(), 1);
    EXPECT_EQ(modals.shown[0].format, Qt::PlainText);

    for (const QString &network : {QStringLiteral("\\\\server\\share\\photos"), QStringLiteral("//server/photos"),
                                   QStringLiteral("smb://server/photos")}) {
        QGuiApplication::clipboard()->setText(network);
        dirs::clipchdir(*w);
        EXPECT_EQ(w->Dir1->path(), target);
        EXPECT_EQ(w->Label1->text(), before);
    }
    ASSERT_EQ(modals.shown.size(), 4);
    EXPECT_EQ(modals.shown[3].text, QStringLiteral("直のネットワークドライブには、対応しておりません。"
                                                   "ドライブ名を割り当て、ドライブ名にて指定して下さい。"));

    // A file address names its folder; Label1 shows the folder, where pages go.
    QGuiApplication::clipboard()->setText(QUrl::fromLocalFile(box.path()).toString());
    dirs::clipchdir(*w);
    EXPECT_EQ(w->Dir1->path(), box.path());
    EXPECT_EQ(w->Label1->text(), box.path());
}

TEST(FolderBrowser, ClipboardMoveTakesATerminalCopyAndQuotesLittleOfALongText)
{
    testkit::Sandbox box;
    const QString target = box.folder(QStringLiteral("photos/trip"));
    auto w = testkit::window();
    testkit::Modals modals;
    for (const QString &copied : {target + u'\n', QStringLiteral("  ") + target + QStringLiteral(" \r\n"),
                                  u'\t' + target}) {
        ASSERT_TRUE(w->Dir1->changeTo(box.path()));
        QGuiApplication::clipboard()->setText(copied);
        dirs::clipchdir(*w);
        EXPECT_EQ(w->Dir1->path(), target);
        EXPECT_EQ(w->Label1->text(), target);
    }
    EXPECT_TRUE(modals.shown.isEmpty());

    // An 80-line memo is quoted by the start of its first line.
    QGuiApplication::clipboard()->setText(QString(150, u'メ') + QStringLiteral("\nline").repeated(80));
    dirs::clipchdir(*w);
    EXPECT_EQ(modals.texts(), QStringList{QString(100, u'メ') + QStringLiteral("… のﾃﾞｨﾚｸﾄﾘはありません")});
}

TEST(FolderBrowser, DesktopAndFileManagerButtons)
{
    testkit::Sandbox box;
    const QString desk = box.folder(QStringLiteral("デスクトップ"));
    {
        QFile dirsFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/user-dirs.dirs"));
        ASSERT_TRUE(dirsFile.open(QIODevice::WriteOnly));
        dirsFile.write(QStringLiteral("XDG_DESKTOP_DIR=\"%1\"\n").arg(desk).toUtf8());
    }
    QList<QUrl> opened;
    bool works = true;
    opener::set([&](const QUrl &url, const opener::Failed &) { opened.append(url); return works; });
    auto w = testkit::window();
    testkit::Modals modals;
    w->Command12->click();
    EXPECT_EQ(w->Dir1->path(), desk);
    EXPECT_EQ(w->Label1->text(), desk);

    w->Command13->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(desk));
    works = false;
    w->Command13->click();
    EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("ファイルマネージャを起動できませんでした。")});
    opener::set(nullptr);
}

TEST(FolderBrowser, AFileManagerOrBrowserThatFailsAfterStartingIsReported)
{
    testkit::Sandbox box;
    // Stands in for xdg-open: ends after a moment with the status it is told.
    const QString bin = box.folder(QStringLiteral("bin"));
    testkit::writeFile(bin + QStringLiteral("/xdg-open"),
                       "#!/bin/sh\nsleep 0.2\ntouch \"$0.ended\"\nexit \"$KAMERIO_OPENER_EXIT\"\n");
    const QString ended = bin + QStringLiteral("/xdg-open.ended");
    ASSERT_TRUE(QFile::setPermissions(bin + QStringLiteral("/xdg-open"), QFile::ReadOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    box.touch(QDir::currentPath(), {QStringLiteral("index.html")});
    auto w = testkit::window();
    const QString page = QDir::currentPath() + QStringLiteral("/index.html");
    w->File1->setCurrentRow(0);
    const struct { const char *exit; std::function<void()> act; QString message; } cases[] = {
        {"0", [&] { w->Command13->click(); }, QString()},
        {"3", [&] { w->Command13->click(); }, QStringLiteral("ファイルマネージャを起動できませんでした。")},
        {"0", [&] { w->File1_DblClick(); }, QString()},
        {"4", [&] { w->File1_DblClick(); }, QStringLiteral("ブラウザを起動できませんでした。\n") + page},
    };
    for (const auto &c : cases) {
        qputenv("KAMERIO_OPENER_EXIT", c.exit);
        testkit::Modals modals;
        c.act();
        // The window never waits for the opener.
        EXPECT_TRUE(modals.shown.isEmpty());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ended); }));
        QFile::remove(ended);
        if (c.message.isEmpty())
            QTest::qWait(100);
        else
            EXPECT_TRUE(QTest::qWaitFor([&] { return !modals.shown.isEmpty(); }));
        EXPECT_EQ(modals.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message}) << c.exit;
    }
    qputenv("PATH", path);
}

TEST(AddingPhotos, AllFilesWithAndWithoutShift)
{
    testkit::Sandbox box;
    box.touch(QDir::currentPath(), {"IMG_01.JPG", "b.jpeg", "c.gif", "a.jpg.bak", "x.jpgz"});
    auto w = testkit::window();
    w->show();
    testkit::Modals modals;

    QTest::mouseClick(w->Command2, Qt::LeftButton);
    EXPECT_EQ(entries(*w), QStringList({"a.jpg.bak", "IMG_01.JPG", "x.jpgz"}));
    EXPECT_EQ(w->Label11->text(), QStringLiteral("3"));

    QTest::mouseClick(w->Command2, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(entries(*w), QStringList({"a.jpg.bak", "b.jpeg", "c.gif", "IMG_01.JPG", "x.jpgz"}));
    EXPECT_EQ(w->Label11->text(), QStringLiteral("5"));
    EXPECT_EQ(w->List1->currentRow(), -1);

    // Shift with Ctrl is not Shift alone.
    QTest::mouseClick(w->Command2, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(w->List1->count(), 3);

    // Space and Enter press it as a left click does, Shift included.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int> keys[] = {
        {Qt::Key_Space, Qt::ShiftModifier, 5},
        {Qt::Key_Return, Qt::NoModifier, 3},
        {Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier, 5},
        {Qt::Key_Space, Qt::NoModifier, 3},
        {Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier, 3},
        {Qt::Key_Return, Qt::ShiftModifier, 5},
    };
    for (const auto &[key, held, count] : keys) {
        QTest::keyClick(w->Command2, key, held);
        EXPECT_EQ(w->List1->count(), count) << key << ' ' << held;
    }
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST(AddingPhotos, SelectedFilesAppendAndRepeat)
{
    testkit::Sandbox box;
    box.touch(QDir::currentPath(), {"p1.jpg", "p2.jpg", "notes.txt"});
    auto w = testkit::window();
    w->show();
    testkit::Modals modals;
    w->List1->addItem(QStringLiteral("old.jpg,kept"));

    for (int i = 0; i < w->File1->count(); ++i)
        w->File1->item(i)->setSelected(w->File1->item(i)->text() != QLatin1String("p1.jpg"));
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    QTest::mouseClick(w->Command3, Qt::MiddleButton);
    EXPECT_EQ(entries(*w), QStringList({"old.jpg,kept", "p2.jpg", "p2.jpg"}));
    EXPECT_EQ(w->Label11->text(), QStringLiteral("3"));

    QTest::mouseClick(w->Command3, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(entries(*w).mid(3), QStringList({"notes.txt", "p2.jpg"}));
    // And from the keyboard.
    QTest::keyClick(w->Command3, Qt::Key_Space);
    QTest::keyClick(w->Command3, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(entries(*w).mid(5), QStringList({"p2.jpg", "notes.txt", "p2.jpg"}));
    EXPECT_TRUE(modals.shown.isEmpty());

    w->File1->clearSelection();
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    EXPECT_EQ(w->List1->count(), 8);
    EXPECT_EQ(modals.texts(), QStringList{noPhoto});
}

TEST(AddingPhotos, NoPhotoMessageEmptiesTheList)
{
    testkit::Sandbox box;
    box.touch(QDir::currentPath(), {"c.gif"});
    auto w = testkit::window();
    w->show();
    w->List1->addItem(QStringLiteral("a.jpg"));
    testkit::Modals modals;
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_EQ(w->Label11->text(), QStringLiteral("0"));
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, noPhoto);
    EXPECT_EQ(modals.shown[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(modals.shown[0].buttons, QStringList{QStringLiteral("OK")});
}

TEST(AddingPhotos, TheListNeverPassesItsLimit)
{
    testkit::Sandbox box;
    const QString many = box.folder(QStringLiteral("many"));
    for (int i = 0; i < 16384; ++i) {
        const QByteArray name = QFile::encodeName(many + QStringLiteral("/p%1.jpg").arg(i));
        ::close(::open(name.constData(), O_CREAT | O_WRONLY, 0644));
    }
    auto w = testkit::window();
    w->show();
    w->Dir1->changeTo(many);
    testkit::Modals modals;
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    w->File1->selectAll();
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    EXPECT_EQ(w->List1->count(), 32767);
    EXPECT_EQ(w->Label11->text(), QStringLiteral("32767"));
    EXPECT_EQ(w->List1->item(32766)->text(), QStringLiteral("p16382.jpg"));
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.contains(QStringLiteral("32767")));

    QTest::mouseClick(w->Command3, Qt::LeftButton);
    EXPECT_EQ(w->List1->count(), 32767);
    EXPECT_EQ(modals.shown.size(), 3);
}

TEST(AddingPhotos, NamesThatAreNotUtf8KeepTheirOwnBytes)
{
    testkit::Sandbox box;
    const QByteArray here = QFile::encodeName(QDir::currentPath());
    for (const QByteArray &name : {QByteArray("bad\xff.jpg"), QByteArray("bad\xef\xbf\xbd.jpg")})
        ::close(::open((here + '/' + name).constData(), O_CREAT | O_WRONLY, 0644));
    auto w = testkit::window();
    w->allselec();
    ASSERT_EQ(w->List1->count(), 2);
    QSet<QByteArray> onDisk;
    for (const QString &e : entries(*w))
        onDisk.insert(fsname::encode(e));
    EXPECT_EQ(onDisk, QSet<QByteArray>({"bad\xff.jpg", "bad\xef\xbf\xbd.jpg"}));
}

TEST(DirsLogic, ParentAndClipboardRules)
{
    EXPECT_EQ(dirslogic::parentdir(QStringLiteral("/photos/2004")), QStringLiteral("/photos"));
    EXPECT_EQ(dirslogic::parentdir(QStringLiteral("/photos")), QStringLiteral("/"));
    EXPECT_EQ(dirslogic::parentdir(QStringLiteral("/photos/")), QStringLiteral("/photos"));
    EXPECT_EQ(dirslogic::parentdir(QStringLiteral("photos")), QString());
    EXPECT_TRUE(dirslogic::isNetworkPath(QStringLiteral("\\x")));
    EXPECT_TRUE(dirslogic::isNetworkPath(QStringLiteral("sftp://h/x")));
    EXPECT_FALSE(dirslogic::isNetworkPath(QStringLiteral("/x//y")));
    EXPECT_FALSE(dirslogic::isNetworkPath(QStringLiteral("file:///x")));
    EXPECT_EQ(dirslogic::clipboardFolder(QStringLiteral("file:///a%20b")), QStringLiteral("/a b"));
    EXPECT_EQ(dirslogic::clipboardFolder(QStringLiteral("photos")), QString());
    EXPECT_EQ(dirslogic::clipboardText(QStringLiteral(" \t/a b\r\n")), QStringLiteral("/a b"));
    // An ideographic space is part of a name.
    EXPECT_EQ(dirslogic::clipboardText(QStringLiteral("/写真\u3000\n")), QStringLiteral("/写真\u3000"));
    EXPECT_EQ(dirslogic::storedNumber(QStringLiteral("2.5")), 2);
    EXPECT_EQ(dirslogic::storedNumber(QStringLiteral("3.5")), 4);
    EXPECT_EQ(dirslogic::storedNumber(QStringLiteral("1e1")), 10);
}

TEST(Excerpt, FirstLineCutShort)
{
    const struct { QString text; int length; QString expected; } cases[] = {
        {QStringLiteral("short"), 100, QStringLiteral("short")},
        {QStringLiteral("one\ntwo"), 100, QStringLiteral("one…")},
        {QStringLiteral("one\r\ntwo"), 100, QStringLiteral("one…")},
        {QStringLiteral("abcdef"), 4, QStringLiteral("abcd…")},
        {QStringLiteral("abcd"), 4, QStringLiteral("abcd")},
        {QStringLiteral("ab\U0001F600cd"), 3, QStringLiteral("ab\U0001F600…")},
        {QString(), 4, QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(excerpt::first(c.text, c.length), c.expected) << c.text.toStdString();
}
