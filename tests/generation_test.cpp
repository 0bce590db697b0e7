#include "pagekit.h"
#include "testkit.h"

#include "album/photoentry.h"
#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "html/engine.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace {

const QString done = QStringLiteral("作成しました。");
const QString noPhoto = QStringLiteral("ファイルがないか、jpgファイルではありません。\n"
                                       "jpgファイル以外を選択するには、shiftｷｰを押しながらボタンクリック！");
const QString noName = QStringLiteral("右下のｈｔｍｌファイル名を入れてください。");
const QString noEntry = QStringLiteral("項目を追加してください。");

QStringList names(int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QStringLiteral("p%1.jpg").arg(i);
    return out;
}

QList<pagekit::Photo> photos(int first, int last)
{
    QList<pagekit::Photo> out;
    for (const QString &name : names(first, last))
        out << pagekit::photo(name);
    return out;
}

// The window in the sandbox's folder; every message box it shows is answered.
class Generation : public ::testing::Test
{
protected:
    testkit::Sandbox box;
    std::unique_ptr<main1> w = testkit::window();
    testkit::Modals modals;

    QString folder() const { return w->Label1->text(); }
    QByteArray page(const QString &name) const { return testkit::bytes(folder() + u'/' + name); }
    QStringList pages() const { return QDir(folder()).entryList({QStringLiteral("*.html")}, QDir::AllEntries); }

    // Fills the photo list as the caption workflow leaves it; the photos are
    // in the folder unless told otherwise.
    void album(const QStringList &entries, bool withPhotos = true)
    {
        for (const QString &entry : entries) {
            QFile photo(folder() + u'/' + photoentry::fileName(entry));
            if (withPhotos && !photo.exists())
                photo.open(QIODevice::WriteOnly);
        }
        {
            const QSignalBlocker quiet(w->List1);
            w->List1->clear();
            w->List1->addItems(entries);
        }
        w->Label11_Click();
    }
    void generate() { QTest::mouseClick(w->Command4, Qt::LeftButton); }
    void moveTo(const QString &path)
    {
        w->Dir1->setPath(path);
        ASSERT_EQ(folder(), path);
    }
};

} // namespace

TEST_F(Generation, DetailButtonWritesTheAlbumAndSaysDone)
{
    album({QStringLiteral("p1.jpg,海,山,川"), QStringLiteral("p2.jpg,  朝<br>夕"), QStringLiteral("p3.jpg,😀〜"),
           QStringLiteral("写真 4.jpg")});
    generate();
    pagekit::Expect e;
    e.photos = {pagekit::photo(QStringLiteral("p1.jpg"), QStringLiteral("海,山,川")),
                pagekit::photo(QStringLiteral("p2.jpg"), QStringLiteral("  朝<br>夕")),
                pagekit::photo(QStringLiteral("p3.jpg"), QStringLiteral("&#128512;〜")),
                pagekit::photo(QStringLiteral("写真 4.jpg"))};
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));
    EXPECT_EQ(modals.texts(), QStringList{done});
    EXPECT_TRUE(w->File1->names().contains(QStringLiteral("index.html")));
    EXPECT_EQ(w->List1->count(), 4);

    // Again with the same settings: the same bytes.
    generate();
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));
    EXPECT_EQ(modals.texts(), (QStringList{done, done}));
    EXPECT_EQ(pages(), QStringList{QStringLiteral("index.html")});
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("/web")));
}

TEST_F(Generation, EveryBackgroundChoiceBorderAndBackLink)
{
    album(names(1, 3));
    QRadioButton *const options[] = {w->Option1, w->Option2, w->Option3, w->Option4, w->Option5,
                                     w->Option6, w->Option7, w->Option8, w->Option9};
    const QString colours[] = {"#ffffff", "#84FFFF", "#FFFF84", "#FFC384", "#84FF84",
                               "#C6C3FF", "#FFC3C6", "#FFC3FF", "#ffffff"};
    pagekit::Expect e;
    e.photos = photos(1, 3);
    for (int i = 0; i < 9; ++i) {
        QTest::mouseClick(options[i], Qt::LeftButton);
        ASSERT_TRUE(options[i]->isChecked());
        generate();
        e.body = QStringLiteral("<BODY bgcolor=\"%1\">").arg(colours[i]);
        EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e)) << "Option" << i + 1;
    }
    w->Text5->setText(QStringLiteral("http:// "));
    generate();
    e.body = QStringLiteral("<BODY background=\"http:// \">");
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));

    // None on, as a project file can leave the group.
    w->Option9->setAutoExclusive(false);
    w->Option9->setChecked(false);
    w->Option9->setAutoExclusive(true);
    QTest::mouseClick(w->Check1, Qt::LeftButton);
    w->Text9->setText(QStringLiteral("http://a.b"));
    generate();
    e.body.clear();
    e.border = QStringLiteral("1");
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));
    w->Text9->setText(QStringLiteral("http://a.bc"));
    generate();
    e.backLink = QStringLiteral("http://a.bc");
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));
    EXPECT_EQ(modals.texts(), QStringList(12, done));
}

TEST_F(Generation, PresetsSetTheirOptionsAndHandOverToTheDetailButton)
{
    // The window manager gives the window back its activation when a message
    // box goes; the offscreen platform leaves that to the test.
    auto reactivate = [&] {
        w->activateWindow();
        return QTest::qWaitForWindowActive(w.get());
    };
    w->show();
    ASSERT_TRUE(reactivate());
    struct Seen
    {
        QString text4, text3;
        int check2;
    };
    QList<Seen> seen;
    struct Watch : QObject
    {
        std::function<void()> onBox;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::Show && qobject_cast<QMessageBox *>(o))
                onBox();
            return false;
        }
    } watch;
    watch.onBox = [&] { seen.append({w->Text4->text(), w->Text3->text(), checkValue(w->Check2)}); };
    qApp->installEventFilter(&watch);

    w->Option3->setChecked(true);
    w->Text6->setText(QStringLiteral("旅行"));
    QTest::mouseClick(w->Command11, Qt::LeftButton);
    ASSERT_EQ(modals.texts(), QStringList{QStringLiteral("Internet Explorer を使用してＡ４紙に印刷できます。\n"
                                                         "その際に上下左右の余白を１０mm以下にして下さい。")});
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].text4, QStringLiteral("indexp.html"));
    EXPECT_EQ(seen[0].text3, QStringLiteral("480"));
    EXPECT_EQ(seen[0].check2, 0);
    EXPECT_EQ(w->Text3->text(), QStringLiteral("360"));
    EXPECT_EQ(checkValue(w->Check2), 1);
    ASSERT_TRUE(reactivate());
    EXPECT_TRUE(w->Command4->hasFocus());

    // Enter on the focused detail button generates the print page.
    album(names(1, 5));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    pagekit::Expect e;
    e.title = QStringLiteral("旅行");
    e.body = QStringLiteral("<BODY bgcolor=\"#FFFF84\">");
    e.width = QStringLiteral("360");
    e.spacers = false;
    e.photos = photos(1, 5);
    EXPECT_EQ(page(QStringLiteral("indexp.html")), pagekit::bytes(e));

    ASSERT_TRUE(reactivate());
    w->Text3->setFocus();
    QTest::mouseClick(w->Command10, Qt::LeftButton);
    EXPECT_EQ(w->Text4->text(), QStringLiteral("index.html"));
    EXPECT_EQ(w->Text3->text(), QStringLiteral("480"));
    EXPECT_EQ(checkValue(w->Check2), 1);
    EXPECT_TRUE(w->Command4->hasFocus());
    EXPECT_TRUE(w->Option3->isChecked());
    EXPECT_EQ(w->Text6->text(), QStringLiteral("旅行"));
    qApp->removeEventFilter(&watch);
}

TEST_F(Generation, ScreenAndPrintPagesOfOneToSevenPhotos)
{
    for (int n : {1, 2, 3, 5, 6, 7}) {
        album(names(1, n));
        QTest::mouseClick(w->Command10, Qt::LeftButton);
        generate();
        QTest::mouseClick(w->Command11, Qt::LeftButton);
        generate();
        pagekit::Expect e;
        e.photos = photos(1, n);
        e.width = QStringLiteral("480");
        EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e)) << n;
        e.width = QStringLiteral("360");
        e.spacers = n != 5 && n != 6;
        EXPECT_EQ(page(QStringLiteral("indexp.html")), pagekit::bytes(e)) << n;
    }
}

TEST_F(Generation, SplitIntoPagesOfTwenty)
{
    struct Expected
    {
        QString file, label;
        int first, last;
    };
    const std::pair<int, QList<Expected>> table[] = {
        {19, {{"index1.html", "(1/1)", 1, 19}}},
        {20, {{"index.html", "(1/1)", 1, 20}}},
        {21, {{"index1.html", "(1/2)", 1, 20}, {"index2.html", "(2/2)", 21, 21}}},
        {40, {{"index1.html", "(1/2)", 1, 20}, {"index2.html", "(2/2)", 21, 40}}},
        {41, {{"index1.html", "(1/3)", 1, 20}, {"index2.html", "(2/3)", 21, 40}, {"index3.html", "(3/3)", 41, 41}}},
    };
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    ASSERT_EQ(checkValue(w->Check4), 1);
    for (const auto &[n, files] : table) {
        moveTo(box.folder(QStringLiteral("n%1").arg(n)));
        album(names(1, n));
        generate();
        QStringList expectedFiles;
        for (const Expected &f : files) {
            expectedFiles << f.file;
            pagekit::Expect e;
            e.label = f.label;
            e.photos = photos(f.first, f.last);
            EXPECT_EQ(page(f.file), pagekit::bytes(e)) << n << " " << f.file.toStdString();
        }
        expectedFiles.sort();
        EXPECT_EQ(pages(), expectedFiles) << n;
        EXPECT_EQ(modals.texts().last(), done);
    }
    EXPECT_EQ(modals.texts(), QStringList(5, done));

    moveTo(box.folder(QStringLiteral("print")));
    w->Text4->setText(QStringLiteral("indexp.html"));
    album(names(1, 45));
    generate();
    EXPECT_EQ(pages(), (QStringList{"indexp1.html", "indexp2.html", "indexp3.html"}));
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    generate();
    pagekit::Expect whole;
    whole.photos = photos(1, 45);
    EXPECT_EQ(page(QStringLiteral("indexp.html")), pagekit::bytes(whole));
    EXPECT_EQ(pagekit::lines(whole).count(QStringLiteral("<tr>")), 23);
}

// Many pages are written beside the window; キャンセル stops between pages
// and one message counts what was written and what was not.
TEST_F(Generation, CancelStopsBetweenPagesWithOneMessage)
{
    album(names(1, 20000), false);
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    testkit::CancelLongWork cancel(w.get());
    generate();
    EXPECT_EQ(cancel.label, QStringLiteral("ページを作成しています…"));
    const QStringList written = pages();
    ASSERT_LT(written.size(), 1000);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), written);
    // No missing-photo notice comes before it.
    EXPECT_EQ(modals.texts(), QStringList(QStringLiteral("html 作成を中止しました。\n%1 ページを作成し、残りの %2 ページは作成していません。")
                                               .arg(written.size())
                                               .arg(1000 - written.size())));
}

TEST_F(Generation, DefaultsForABlankTitleAndAnEmptyWidthAreWrittenBack)
{
    album(names(1, 2));
    w->Text6->clear();
    QTest::mouseClick(w->Check2, Qt::LeftButton);
    w->Text3->clear();
    generate();
    EXPECT_EQ(w->Text6->text(), QStringLiteral("写　真　Ｈ　Ｐ"));
    EXPECT_EQ(w->Text3->text(), QStringLiteral("480"));
    pagekit::Expect e;
    e.title = QStringLiteral("写　真　Ｈ　Ｐ");
    e.width = QStringLiteral("480");
    e.photos = photos(1, 2);
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));

    w->Text6->setText(QStringLiteral("   "));
    w->Text3->setText(QStringLiteral("abc"));
    generate();
    EXPECT_EQ(w->Text6->text(), QStringLiteral("写　真　Ｈ　Ｐ"));
    e.width = QStringLiteral("abc");
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));
    EXPECT_EQ(modals.texts(), QStringList(2, done));
}

TEST_F(Generation, RefusalsAreToldAndTheRunStillEnds)
{
    generate();
    EXPECT_EQ(modals.texts(), QStringList{QStringLiteral("フォルダ内のjpg写真を写真リストに追加して下さい")});
    EXPECT_TRUE(pages().isEmpty());

    album(names(1, 41));
    for (const QString &blank : {QString(), QStringLiteral("   ")}) {
        modals.shown.clear();
        w->Text4->setText(blank);
        generate();
        EXPECT_EQ(modals.texts(), (QStringList{noName, done}));
    }
    modals.shown.clear();
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    generate();
    EXPECT_EQ(modals.texts(), (QStringList{noName, noName, noName, done}));
    EXPECT_TRUE(pages().isEmpty());

    // The page writer on its own, with no entries.
    album::Album a = w->album();
    a.pageName = QStringLiteral("index.html");
    engine::Report report;
    engine::makehtml(a, folder(), QString(), 0, {}, {}, report);
    EXPECT_EQ(report.refusals, QStringList{noEntry});
    EXPECT_TRUE(report.written.isEmpty() && report.failed.empty());
    EXPECT_TRUE(pages().isEmpty());
}

TEST_F(Generation, OneClickButtonRegistersEveryPhotoAndWritesThem)
{
    box.touch(folder(), {QStringLiteral("b.JPG"), QStringLiteral("a.jpg"), QStringLiteral("c.gif")});
    w->File1->refresh();
    album({QStringLiteral("x.jpg,消える")}, false);
    QTest::mouseClick(w->Command8, Qt::LeftButton);
    EXPECT_EQ(modals.texts(), QStringList{done});
    pagekit::Expect e;
    e.photos = {pagekit::photo(QStringLiteral("a.jpg")), pagekit::photo(QStringLiteral("b.JPG"))};
    EXPECT_EQ(page(QStringLiteral("index.html")), pagekit::bytes(e));
    EXPECT_EQ(w->List1->count(), 2);
}

TEST_F(Generation, OneClickButtonInAFolderWithoutPhotos)
{
    box.touch(folder(), {QStringLiteral("c.gif")});
    w->File1->refresh();
    QTest::mouseClick(w->Command8, Qt::LeftButton);
    EXPECT_EQ(modals.texts(), (QStringList{noPhoto, noEntry, done}));
    modals.shown.clear();
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    QTest::mouseClick(w->Command8, Qt::LeftButton);
    EXPECT_EQ(modals.texts(), (QStringList{noPhoto, done}));
    EXPECT_EQ(w->File1->names(), QStringList{QStringLiteral("c.gif")});
}

TEST_F(Generation, PhotosMissingFromTheFolderAreNamedAndThePagesWritten)
{
    // A photo in a sub-folder is found there; a folder is no photo.
    const QStringList entries = QStringList{"here.jpg,ある", "sub/in.jpg", "sub"} + names(1, 12) + QStringList{"p1.jpg,二度目"};
    album(entries, false);
    box.touch(folder(), {QStringLiteral("here.jpg")});
    box.touch(box.folder(QStringLiteral("work/sub")), {QStringLiteral("in.jpg")});
    generate();
    const QString named = QStringLiteral("写真リストの次の写真が、フォルダにありません。\nsub\n") + names(1, 9).join(u'\n');
    EXPECT_EQ(modals.texts(), (QStringList{named + QStringLiteral("\nほか 3 枚"), done}));
    EXPECT_FALSE(page(QStringLiteral("index.html")).isEmpty());

    // The one-click button lists the folder as the file pane last showed it.
    modals.shown.clear();
    box.touch(folder(), {QStringLiteral("gone.jpg")});
    w->File1->refresh();
    QFile::remove(folder() + QStringLiteral("/gone.jpg"));
    QTest::mouseClick(w->Command8, Qt::LeftButton);
    EXPECT_EQ(modals.texts(),
        (QStringList{QStringLiteral("写真リストの次の写真が、フォルダにありません。\ngone.jpg"), done}));
    EXPECT_EQ(itemTexts(w->List1), (QStringList{QStringLiteral("gone.jpg"), QStringLiteral("here.jpg")}));
}

TEST_F(Generation, APageThatCannotBeWrittenIsNamedAndTheOthersAreWritten)
{
    QDir(folder()).mkdir(QStringLiteral("index2.html"));
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    album(names(1, 41));
    generate();
    ASSERT_EQ(modals.shown.size(), 1);
    const QString text = modals.shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("次のページは書き込めませんでした（前からあるファイルはそのままです）。\n"
                                               "index2.html\n\n")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("index1.html")));
    EXPECT_TRUE(QFileInfo(folder() + QStringLiteral("/index2.html")).isDir());
    pagekit::Expect last;
    last.label = QStringLiteral("(3/3)");
    last.photos = photos(41, 41);
    EXPECT_EQ(page(QStringLiteral("index3.html")), pagekit::bytes(last));
    EXPECT_FALSE(page(QStringLiteral("index1.html")).isEmpty());

    modals.shown.clear();
    QTest::mouseClick(w->Check4, Qt::LeftButton);
    w->Text4->setText(QStringLiteral("../index.html"));
    generate();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.contains(QStringLiteral("../index.html\n\n「../index.html」はフォルダを含む名前")));
    EXPECT_FALSE(QFile::exists(box.path() + QStringLiteral("/index.html")));
}

TEST_F(Generation, APageNeverReplacesOneOfTheAlbumsPhotos)
{
    testkit::writeFile(folder() + QStringLiteral("/p2.jpg"), "photo bytes");
    album(names(1, 3));
    w->Text4->setText(QStringLiteral(" p2.jpg "));
    generate();
    EXPECT_EQ(page(QStringLiteral("p2.jpg")), QByteArray("photo bytes"));
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.contains(QStringLiteral("「p2.jpg」は写真リストにある写真と同じ名前です。")));
}

TEST_F(Generation, AReadOnlyFolderKeepsTheOldPage)
{
    const QString ro = box.folder(QStringLiteral("ro"));
    testkit::Tmpfs mount(ro, "size=1m");
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    testkit::writeFile(ro + QStringLiteral("/index.html"), "old page");
    box.touch(ro, names(1, 3));
    ASSERT_TRUE(mount.makeReadOnly());
    moveTo(ro);
    album(names(1, 3));
    generate();
    EXPECT_EQ(testkit::bytes(ro + QStringLiteral("/index.html")), QByteArray("old page"));
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.startsWith(
        QStringLiteral("次のページは書き込めませんでした（前からあるファイルはそのままです）。\nindex.html\n\n")))
        << modals.shown[0].text.toStdString();
    EXPECT_TRUE(modals.shown[0].text.endsWith(ro + QStringLiteral("/index.html\n読み取り専用のﾄﾞﾗｲﾌﾞです")))
        << modals.shown[0].text.toStdString();
}

TEST_F(Generation, AFullDiskKeepsTheOldPage)
{
    const QString full = box.folder(QStringLiteral("full"));
    testkit::Tmpfs mount(full, "size=16k");
    if (!mount.mounted())
        GTEST_SKIP() << mount.why();
    testkit::writeFile(full + QStringLiteral("/index.html"), "old page");
    box.touch(full, names(1, 3));
    ASSERT_NO_FATAL_FAILURE(mount.fill());
    moveTo(full);
    album(names(1, 3));
    generate();
    EXPECT_EQ(testkit::bytes(full + QStringLiteral("/index.html")), QByteArray("old page"));
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_TRUE(modals.shown[0].text.endsWith(
        QStringLiteral("\nindex.html\n\nファイルを書き込めませんでした。\n%1/index.html\nﾃﾞｨｽｸがいっぱいです").arg(full)))
        << modals.shown[0].text.toStdString();
    EXPECT_EQ(QDir(full).entryList(QDir::Files), (QStringList{"filler", "index.html", "p1.jpg", "p2.jpg", "p3.jpg"}));
}
