#include "testkit.h"
#include "keptalbums.h"

#include "app/dirs.h"
#include "app/longwork.h"
#include "app/main1.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "screens/rclk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

// Every file of a folder with its bytes, in the file pane's order.
QStringList filesWithContents(const QString &dir)
{
    QStringList out;
    for (const QString &n : QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        out.append(n + "=" + QString::fromUtf8(testkit::bytes(dir + "/" + n)));
    return out;
}

// The window on a folder holding the given files (each file's content is its name).
std::unique_ptr<main1> windowOn(const testkit::Sandbox &box, const QStringList &files)
{
    box.touch(box.folder("work"), files);
    return testkit::window();
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

rclk *openRenameScreen(main1 &w)
{
    w.dirnchg->trigger();
    return w.findChild<rclk *>();
}

// 300 photos of 64 KiB: a copy long enough to show its progress window.
QStringList manyPhotos(const QString &dir)
{
    QStringList names;
    for (int i = 0; i < 300; ++i) {
        names.append(QStringLiteral("p%1.jpg").arg(i, 3, 10, QChar(u'0')));
        testkit::writeFile(dir + "/" + names.back(), QByteArray(64 * 1024, char('a' + i % 26)));
    }
    return names;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

TEST(SerialRenaming, EmptyFolderSaysSoAndAsksNothing)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    w->Command9->click();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, "ファイルがありません");
    EXPECT_EQ(modals.shown[0].buttons, QStringList({"OK"}));
    EXPECT_EQ(modals.shown[0].icon, QMessageBox::NoIcon);
}

TEST(SerialRenaming, AsksThenRenamesInPaneOrderAndLeavesThePhotoList)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"b.jpg", "A.JPG", "noext"});
    w->List1->addItems({"A.JPG,cap", "b.jpg"});
    modals.answer(QMessageBox::No);
    w->Command9->click();
    ASSERT_EQ(modals.shown.size(), 1);
    const QString work = box.folder("work");
    EXPECT_EQ(modals.shown[0].text, work + "\r\rファイル名を連番改名しますか？");
    EXPECT_EQ(modals.shown[0].title, "KAMERIO");
    EXPECT_EQ(modals.shown[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(modals.shown[0].buttons.size(), 2);
    EXPECT_EQ(filesWithContents(work), QStringList({"A.JPG=A.JPG", "b.jpg=b.jpg", "noext=noext"}));

    w->Command9->click();
    EXPECT_EQ(modals.shown.size(), 2);
    EXPECT_EQ(filesWithContents(work),
              QStringList({"0000001.JPG=A.JPG", "0000002.jpg=b.jpg", "0000003=noext"}));
    EXPECT_EQ(itemTexts(w->List2), QStringList({"A.JPG", "b.jpg", "noext"}));
    EXPECT_EQ(w->File1->names(), QStringList({"0000001.JPG", "0000002.jpg", "0000003"}));
    EXPECT_EQ(itemTexts(w->List1), QStringList({"A.JPG,cap", "b.jpg"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(SerialRenaming, APrefixNoFileCanBeNamedWithIsRefusedBeforeAsking)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"a.jpg"});
    for (const QString prefix : {"a/b", ".hidden", "  .x"}) {
        modals.shown.clear();
        w->Text2->setText(prefix);
        w->Command9->click();
        EXPECT_EQ(modals.texts(), QStringList{"連番の名前に「" + prefix
                                              + "」は使えません。\n「/」を含むものや「.」で始まるものは使えません。"});
    }
    EXPECT_EQ(filesWithContents(box.folder("work")), QStringList({"a.jpg=a.jpg"}));
}

TEST(SerialRenaming, SymbolicLinksAndWhatTheyLeadToKeepTheirNames)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    const QString work = box.folder("work");
    box.touch(work, {"a.jpg", "b.jpg"});
    ASSERT_TRUE(QFile::link("a.jpg", work + "/l.jpg"));
    auto w = testkit::window();
    w->Command9->click();
    ASSERT_EQ(modals.shown.size(), 2);
    EXPECT_EQ(modals.shown[1].text, "次のﾌｧｲﾙはシンボリックリンクか、そのリンク先のため、元の名前のままです。\na.jpg\nl.jpg");
    EXPECT_EQ(w->File1->names(), QStringList({"0000002.jpg", "a.jpg", "l.jpg"}));
    EXPECT_EQ(testkit::bytes(work + "/l.jpg"), "a.jpg");
}

TEST(SerialRenaming, TwiceWithOtherSettingsAndOverNumberedNames)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"x.jpg", "y.jpg"});
    const QString work = box.folder("work");
    w->Text2->setText("  tokyo  ");
    w->Combo1->setEditText("3");
    w->Command9->click();
    EXPECT_EQ(filesWithContents(work), QStringList({"tokyo001.jpg=x.jpg", "tokyo002.jpg=y.jpg"}));

    w->Text2->setText("photograph");
    w->Combo1->setEditText("3 ");
    w->Command9->click();
    EXPECT_EQ(filesWithContents(work), QStringList({"photog01.jpg=x.jpg", "photog02.jpg=y.jpg"}));

    // A new photo sorting first: each new name is the old name of the next file.
    box.touch(work, {"photog00.jpg"});
    w->File1->refresh();
    w->Command9->click();
    EXPECT_EQ(filesWithContents(work),
              QStringList({"photog01.jpg=photog00.jpg", "photog02.jpg=x.jpg", "photog03.jpg=y.jpg"}));
    EXPECT_EQ(modals.shown.size(), 3);
}

TEST(SerialRenaming, NameHeldByAnotherEntryKeepsTheFileAndSaysSo)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"A.JPG", "b.jpg"});
    const QString work = box.folder("work");
    QDir(work).mkdir("0000001.JPG");
    w->Command9->click();
    ASSERT_EQ(modals.shown.size(), 2);
    EXPECT_EQ(modals.shown[1].text,
              "次のﾌｧｲﾙは名前を変更できず、元の名前のままです。\nA.JPG（同じ名前のものがあります）");
    EXPECT_EQ(filesWithContents(work), QStringList({"0000002.jpg=b.jpg", "A.JPG=A.JPG"}));
    EXPECT_TRUE(QFileInfo(work + "/0000001.JPG").isDir());
}

TEST(SerialRenaming, EnterInTheBaseMovesToTheButtonAndASecondEnterRenames)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"a.jpg"});
    showActive(w.get());
    w->Text2->setFocus();
    QTest::keyClicks(w->Text2, "ab");
    QTest::keyClick(w->Text2, Qt::Key_Return);
    EXPECT_EQ(w->Text2->text(), "ab");
    EXPECT_EQ(QApplication::focusWidget(), w->Command9);
    QTest::keyClick(w->Command9, Qt::Key_Return);
    EXPECT_EQ(filesWithContents(box.folder("work")), QStringList({"ab00001.jpg=a.jpg"}));
}

TEST(LowerCasing, RenamesUpperCaseNamesAndTellsWhichWereTaken)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"A.jpg", "a.jpg", "DSC01.JPG", "lower.jpg"});
    const QString work = box.folder("work");
    modals.answer(QMessageBox::No);
    w->Command6->click();
    EXPECT_EQ(modals.shown[0].text, work + "\r\rﾃﾞｨﾚｸﾄﾘ配下のﾌｧｲﾙ名を小文字化しますか？");
    EXPECT_EQ(modals.shown[0].buttons.size(), 2);
    EXPECT_EQ(modals.shown.size(), 1);

    w->Command6->click();
    ASSERT_EQ(modals.shown.size(), 3);
    EXPECT_EQ(modals.shown[2].text, "次のﾌｧｲﾙは小文字化できず、元の名前のままです。\nA.jpg（同じ名前のものがあります）");
    EXPECT_EQ(filesWithContents(work),
              QStringList({"A.jpg=A.jpg", "a.jpg=a.jpg", "dsc01.jpg=DSC01.JPG", "lower.jpg=lower.jpg"}));
    EXPECT_EQ(w->File1->names(), QStringList({"A.jpg", "a.jpg", "dsc01.jpg", "lower.jpg"}));
}

TEST(LowerCasing, AllLowerOrEmptyOnlyAsks)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    w->Command6->click();
    EXPECT_EQ(modals.shown.size(), 1);
    box.touch(box.folder("work"), {"a.jpg", "b.jpg"});
    w->File1->refresh();
    w->Command6->click();
    EXPECT_EQ(modals.shown.size(), 2);
    EXPECT_EQ(filesWithContents(box.folder("work")), QStringList({"a.jpg=a.jpg", "b.jpg=b.jpg"}));
}

TEST(WorkFolderCopy, CopiesListedPhotosReplacingOldCopies)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"p1.jpg", "p2.jpg", "p3.jpg"});
    const QString work = box.folder("work");
    w->List1->addItems({"p1.jpg,はな", "p2.jpg", "p1.jpg"});
    w->Command5->click();
    EXPECT_TRUE(modals.shown.isEmpty());
    EXPECT_EQ(filesWithContents(work + "/tmp"), QStringList({"p1.jpg=p1.jpg", "p2.jpg=p2.jpg"}));
    QStringList folders;
    for (int i = 0; i < w->Dir1->count(); ++i)
        folders.append(w->Dir1->item(i)->data(Qt::UserRole).toString());
    EXPECT_TRUE(folders.contains(work + "/tmp"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Second run: changed photos replace their copies, unlisted copies stay.
    QFile f(work + "/p1.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("new p1");
    f.close();
    w->List1->clear();
    w->List1->addItems({"p1.jpg", "p3.jpg", "gone.jpg"});
    w->Command5->click();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, "次のﾌｧｲﾙはｺﾋﾟｰできませんでした。\ngone.jpg（見つかりません）");
    EXPECT_EQ(filesWithContents(work + "/tmp"), QStringList({"p1.jpg=new p1", "p2.jpg=p2.jpg", "p3.jpg=p3.jpg"}));
    EXPECT_EQ(itemTexts(w->List1), QStringList({"p1.jpg", "p3.jpg", "gone.jpg"}));

    w->List1->clear();
    w->Command5->click();
    EXPECT_EQ(modals.shown.size(), 1);
}

// The copy runs beside the window: its progress window shows, the window
// takes no input meanwhile, and キャンセル leaves only whole copies.
TEST(WorkFolderCopy, ProgressWindowHoldsInputAndCancelLeavesWholeCopies)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    const QString work = box.folder("work");
    const QStringList names = manyPhotos(work);
    auto w = testkit::window();
    showActive(w.get());
    w->List1->addItems(names);
    // Neither typing nor a shortcut reaches the window.
    bool saveAsked = false;
    modals.onFileDialog([&](QFileDialog *dialog) {
        saveAsked = true;
        dialog->reject();
    });
    testkit::CancelLongWork cancel(w.get(), [&] {
        // The window is active again, as after a click on it.
        showActive(w.get());
        QTest::keyClick(w->Text1, Qt::Key_X);
        QTest::keyClick(w->Text1, Qt::Key_S, Qt::ControlModifier);
    });
    w->Command5->click();
    EXPECT_FALSE(saveAsked);

    EXPECT_EQ(cancel.label, "写真を tmp にｺﾋﾟｰしています…");
    EXPECT_EQ(w->Text1->toPlainText(), "");
    EXPECT_EQ(w->findChild<QDialog *>("longwork"), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(modals.shown.size(), 1);
    const QStringList copies = QDir(work + "/tmp").entryList(QDir::Files | QDir::Hidden);
    ASSERT_LT(copies.size(), names.size());
    EXPECT_EQ(copies, names.first(copies.size()));
    for (const QString &n : copies)
        EXPECT_EQ(testkit::bytes(work + "/tmp/" + n), testkit::bytes(work + "/" + n)) << n.toStdString();
    EXPECT_EQ(modals.shown[0].text, QStringLiteral("ｺﾋﾟｰを中止しました。\n%1 個のﾌｧｲﾙを tmp にｺﾋﾟｰし、残りの %2 個はｺﾋﾟｰしていません。")
                                        .arg(copies.size())
                                        .arg(names.size() - copies.size()));
}

// The close box during long work asks first. はい stops the work at its next
// safe point and closes the window as its close box does: the folder is
// stored and the safety copy kept, and nothing more is said. いいえ lets the
// work go on to its end.
TEST(LongWork, CloseBoxAsksThenStopsAndClosesOrLetsTheWorkGoOn)
{
    const QString question = QStringLiteral("作業中です。中止して終了しますか？");
    // Settings are read from the first sandbox's store on: いいえ, which stores
    // nothing, goes first.
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        const bool closes = answer == QMessageBox::Yes;
        SCOPED_TRACE(closes ? "はい" : "いいえ");
        testkit::Sandbox box;
        testkit::Modals modals;
        const QString work = box.folder("work");
        const QStringList names = manyPhotos(work);
        auto w = testkit::window();
        w->show();
        w->List1->addItems(names);
        modals.answer(answer);
        testkit::WhileLongWork closing(w.get(), [&](QDialog *) { w->close(); });
        w->Command5->click();

        EXPECT_EQ(w->isVisible(), !closes);
        // A whole copy says nothing; a stopped one is not told of either.
        EXPECT_EQ(modals.texts(), QStringList{question});
        QSettings stored(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
        EXPECT_EQ(stored.value(QStringLiteral("startup/firstdir")).toString(), closes ? work : QString());
        if (closes)
            EXPECT_EQ(keptEntries().value(0), names);
        else
            EXPECT_EQ(QDir(work + "/tmp").entryList(QDir::Files), names);
    }
}

// Once キャンセル is pressed, what the work skips on its way out does not
// count: the bar stays where the work was while "中止しています…" shows.
TEST(LongWork, TheBarStaysWhereTheWorkWasWhileItStops)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    w->show();
    QList<int> afterCancel;
    QString stopping;
    testkit::WhileLongWork watch(w.get(), [&](QDialog *progress) {
        auto *bar = progress->findChild<QProgressBar *>();
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == 3; }));
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) { afterCancel.append(value); });
        QTest::mouseClick(progress->findChild<QAbstractButton *>(QStringLiteral("longworkCancel")), Qt::LeftButton);
        stopping = progress->findChild<QLabel *>()->text();
    });
    longwork::Job job(QStringLiteral("ｺﾋﾟｰしています…"));
    longwork::run(w.get(), job, [&] {
        job.step(3, 10);
        while (!job.cancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // A worker that checks the flag before each item goes through the
        // rest at once, reporting each one.
        for (int done = 4; done <= 10; ++done)
            job.step(done, 10);
        // The window refreshes its bar every 50 ms meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    EXPECT_EQ(stopping, QStringLiteral("中止しています…"));
    EXPECT_EQ(afterCancel, QList<int>());
}

TEST(WorkFolderCopy, PlainFileNamedTmpOrALoopIsNeverWrittenThrough)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = windowOn(box, {"p1.jpg", "tmp"});
    const QString work = box.folder("work");
    w->List1->addItems({"p1.jpg"});
    w->Command5->click();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, "作業ﾌｫﾙﾀﾞ tmp を作れませんでした（同じ名前のものがあります）。");
    EXPECT_EQ(filesWithContents(work), QStringList({"p1.jpg=p1.jpg", "tmp=tmp"}));

    QFile::remove(work + "/tmp");
    ASSERT_TRUE(QFile::link(".", work + "/tmp"));
    w->Command5->click();
    ASSERT_EQ(modals.shown.size(), 2);
    EXPECT_EQ(modals.shown[1].text, "次のﾌｧｲﾙはｺﾋﾟｰできませんでした。\np1.jpg（ｺﾋﾟｰ元と同じﾌｧｲﾙです）");
    EXPECT_EQ(testkit::bytes(work + "/p1.jpg"), "p1.jpg");
}

TEST(RenameScreen, LooksAsDesignedAndStartsOnTheBrowserFolder)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    const QString photos = box.folder("work/photos/2004");
    ASSERT_TRUE(w->Dir1->changeTo(photos));
    showActive(w.get());
    rclk *s = openRenameScreen(*w);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s));
    EXPECT_EQ(dirs::motodir, photos);
    EXPECT_EQ(s->objectName(), "rclk");
    EXPECT_EQ(s->windowTitle(), "ﾃﾞｨﾚｸﾄﾘ作成");
    EXPECT_EQ(s->size(), QSize(688, 60));
    EXPECT_EQ(s->minimumSize(), s->maximumSize());
    EXPECT_FALSE(s->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(s->Label1->text(), "変更元ﾃﾞｨﾚｸﾄﾘ：");
    EXPECT_EQ(s->Label3->text(), "変更後ﾃﾞｨﾚｸﾄﾘ：");
    EXPECT_EQ(s->Command1->text(), "決定");
    EXPECT_EQ(s->Command2->text(), "戻る");
    EXPECT_EQ(s->Label1->geometry(), QRect(8, 8, 89, 17));
    EXPECT_EQ(s->Label2->geometry(), QRect(96, 8, 585, 17));
    EXPECT_EQ(s->Label3->geometry(), QRect(8, 32, 89, 17));
    EXPECT_EQ(s->Text1->geometry(), QRect(96, 32, 481, 18));
    EXPECT_EQ(s->Command1->geometry(), QRect(584, 32, 49, 25));
    EXPECT_EQ(s->Command2->geometry(), QRect(640, 32, 41, 25));
    EXPECT_EQ(s->Label2->text(), photos);
    EXPECT_EQ(s->Text1->text(), photos);
    EXPECT_EQ(s->Text1->nextInFocusChain(), s->Command1);

    // A second request brings the same screen forward with its fields as
    // they were; closing the main window leaves it open.
    ASSERT_TRUE(w->Dir1->changeTo(box.folder("work/photos")));
    EXPECT_EQ(openRenameScreen(*w), s);
    EXPECT_EQ(s->Label2->text(), photos);
    w->close();
    EXPECT_TRUE(s->isVisible());
}

TEST(RenameScreen, ChecksTheNewPathBeforeRenaming)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    const QString photos = box.folder("work/photos/2004");
    ASSERT_TRUE(w->Dir1->changeTo(photos));
    rclk *s = openRenameScreen(*w);
    s->Command1->click();
    s->Text1->setText(box.folder("other") + "/2005");
    s->Command1->click();
    EXPECT_EQ(modals.texts(), QStringList({"作成するﾃﾞｨﾚｸﾄﾘ名を入れてください", "この名前には、変更できません！"}));
    EXPECT_TRUE(s->isVisible());
    EXPECT_TRUE(QFileInfo(photos).isDir());
    s->Command2->click();
    settle();
    EXPECT_EQ(w->findChild<rclk *>(), nullptr);
    EXPECT_TRUE(QFileInfo(photos).isDir());
    EXPECT_EQ(w->Dir1->path(), photos);
}

TEST(RenameScreen, ParentAnywhereInThePathAndACaseChangePassTheChecks)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    // Markup in a folder name is shown as typed, never as formatting.
    const QString from = box.folder("work/photos/<i>trip");
    ASSERT_TRUE(w->Dir1->changeTo(from));
    rclk *s = openRenameScreen(*w);
    EXPECT_GE(s->Label2->sizeHint().width(), s->Label2->fontMetrics().horizontalAdvance(from));

    // The parent need not stand at the start: the platform then refuses the
    // path, the browser stays and the screen closes.
    s->Text1->setText(box.folder("elsewhere") + box.folder("work/photos") + "/2005");
    s->Command1->click();
    settle();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.endsWith("に変更できませんでした（見つかりません）。"));
    EXPECT_TRUE(QFileInfo(from).isDir());
    EXPECT_EQ(w->Dir1->path(), from);
    EXPECT_EQ(w->findChild<rclk *>(), nullptr);

    const QString to = box.folder("work/photos") + "/<i>Trip";
    s = openRenameScreen(*w);
    s->Text1->setText(to);
    s->Command1->click();
    settle();
    EXPECT_EQ(modals.shown.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_TRUE(QFileInfo(to).isDir());
    EXPECT_EQ(w->Dir1->path(), to);
}

TEST(RenameScreen, RenamesAndTheBrowserFollows)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    const QString from = box.folder("work/photos/2004");
    box.touch(from, {"a.jpg"});
    ASSERT_TRUE(w->Dir1->changeTo(from));
    w->List1->addItems({"a.jpg,cap"});
    rclk *s = openRenameScreen(*w);
    const QString to = box.folder("work/photos") + "/2005";
    s->Text1->setText(to);
    s->Command1->click();
    settle();
    EXPECT_TRUE(modals.shown.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(testkit::bytes(to + "/a.jpg"), "a.jpg");
    EXPECT_EQ(w->Dir1->path(), to);
    EXPECT_EQ(w->Label1->text(), to);
    EXPECT_EQ(w->File1->names(), QStringList({"a.jpg"}));
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_EQ(fsname::currentDir(), to);
    EXPECT_EQ(w->findChild<rclk *>(), nullptr);
}

TEST(RenameScreen, AnExistingFolderIsNeverReplaced)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    const QString from = box.folder("work/photos/2004");
    box.touch(from, {"a.jpg"});
    // rename(2) would replace an empty folder without a word.
    const QString to = box.folder("work/photos/2005");
    ASSERT_TRUE(w->Dir1->changeTo(from));
    rclk *s = openRenameScreen(*w);
    s->Text1->setText(to);
    s->Command1->click();
    settle();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, from + " を " + to + " に変更できませんでした（同じ名前のものがあります）。");
    EXPECT_EQ(testkit::bytes(from + "/a.jpg"), "a.jpg");
    EXPECT_TRUE(QFileInfo(to).isDir());
    EXPECT_EQ(w->Dir1->path(), to);
    EXPECT_EQ(w->findChild<rclk *>(), nullptr);
}

TEST(RenameScreen, EnterInThePathMovesToTheConfirmButton)
{
    testkit::Sandbox box;
    testkit::Modals modals;
    auto w = testkit::window();
    const QString from = box.folder("work/photos/2004");
    ASSERT_TRUE(w->Dir1->changeTo(from));
    rclk *s = openRenameScreen(*w);
    showActive(s);
    EXPECT_EQ(QApplication::focusWidget(), s->Text1);
    s->Text1->end(false);
    QTest::keyClick(s->Text1, Qt::Key_Backspace);
    QTest::keyClicks(s->Text1, "5");
    QTest::keyClick(s->Text1, Qt::Key_Return);
    EXPECT_EQ(s->Text1->text(), box.folder("work/photos") + "/2005");
    EXPECT_EQ(QApplication::focusWidget(), s->Command1);
    EXPECT_TRUE(QFileInfo(from).isDir());
    QTest::keyClick(s->Command1, Qt::Key_Return);
    settle();
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_TRUE(QFileInfo(box.folder("work/photos") + "/2005").isDir());
    EXPECT_TRUE(modals.shown.isEmpty());
}
