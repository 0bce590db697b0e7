// The project-file commands in the real window: dialogs, messages, the
// controls they read and set, and the bytes on disk.
#include "testkit.h"

#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace {

const QString written = QStringLiteral("書込み完了");
const QString loaded = QStringLiteral("読込み完了");
const QString otherFolder = QStringLiteral("作成時のディレクトリと違います。\n作業は、続行します。");
const QString notProject = QStringLiteral("kamerio のファイルではありません。");

// The message naming photos a loaded album lacks in the current folder.
QString missing(const QStringList &names)
{
    return QStringLiteral("写真リストの次の写真が、フォルダにありません。\n") + names.join(u'\n');
}

QStringList entries(const main1 &w)
{
    return itemTexts(w.List1);
}

void setEntries(main1 &w, const QStringList &items)
{
    const QSignalBlocker quiet(w.List1);
    w.List1->clear();
    w.List1->addItems(items);
}

// An album with every saved control away from its default.
void fillAlbum(main1 &w)
{
    setCheckValue(w.Check1, 1);
    w.Text9->setText(QStringLiteral("  http://example.jp/  "));
    w.Text6->setText(QStringLiteral(" 夏の旅行 "));
    setCheckValue(w.Check2, 1);
    w.Option7->setChecked(true);
    w.Text5->setText(QStringLiteral("http://example.jp/bg.jpg"));
    w.Text4->setText(QStringLiteral("album.html"));
    setEntries(w, {QStringLiteral("p001.jpg,海辺にて"), QStringLiteral("   "), QStringLiteral("p002.jpg  "),
                   QStringLiteral("p003.jpg,a,b<br>c")});
}

// Different values in every control a load sets.
void scramble(main1 &w)
{
    setCheckValue(w.Check1, 0);
    w.Text9->setText(QStringLiteral("x"));
    w.Text6->setText(QStringLiteral("y"));
    setCheckValue(w.Check2, 0);
    w.Option2->setChecked(true);
    w.Text5->setText(QStringLiteral("z"));
    w.Text4->setText(QStringLiteral("w.html"));
    setEntries(w, {QStringLiteral("other.jpg")});
}

struct Controls
{
    int check1, check2;
    QString text9, text6, text5, text4;
    bool option2;
    bool operator==(const Controls &) const = default;
};

Controls controls(const main1 &w)
{
    return {checkValue(w.Check1), checkValue(w.Check2), w.Text9->text(), w.Text6->text(),
            w.Text5->text(), w.Text4->text(), w.Option2->isChecked()};
}

void save(main1 &w, testkit::Modals &m, const QString &path)
{
    m.onFileDialog(testkit::pick(path));
    w.fsave->trigger();
}

void load(main1 &w, testkit::Modals &m, const QString &path)
{
    m.onFileDialog(testkit::pick(path));
    w.fload->trigger();
}

// The window in a fresh sandbox, its folder, and an answerer for its boxes.
class ProjectLoad : public ::testing::Test
{
protected:
    testkit::Sandbox box;
    testkit::Modals m;
    std::unique_ptr<main1> w = testkit::window();
    const QString folder = w->Dir1->path();
};

} // namespace

TEST(ProjectSave, RoundTripInTheSameFolderRestoresTheAlbum)
{
    testkit::Sandbox box;
    testkit::Modals m;
    auto w = testkit::window();
    const QString folder = w->Dir1->path();
    fillAlbum(*w);
    const QString path = folder + QStringLiteral("/album.txt");

    QString proposed, startFolder;
    QStringList filters;
    m.onFileDialog([&](QFileDialog *d) {
        proposed = d->selectedFiles().value(0);
        startFolder = d->directory().absolutePath();
        filters = d->nameFilters();
        testkit::pick(path)(d);
    });
    w->fsave->trigger();
    EXPECT_EQ(m.texts(), QStringList{written});
    EXPECT_EQ(proposed, folder + QStringLiteral("/album.txt"));
    EXPECT_EQ(startFolder, folder);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("All Files (*)")}));
    EXPECT_TRUE(w->File1->names().contains(QStringLiteral("album.txt")));
    const QByteArray expected = "kamerio," + QFile::encodeName(folder) +
                                ",1,  http://example.jp/  , "
                                "\x89\xC4\x82\xCC\x97\xB7\x8D\x73"
                                " ,1\r\n"
                                "opt7\r\n"
                                "http://example.jp/bg.jpg\r\n"
                                "album.html\r\n"
                                "p001.jpg,"
                                "\x8A\x43\x95\xD3\x82\xC9\x82\xC4"
                                "\r\n"
                                "p002.jpg  \r\n"
                                "p003.jpg,a,b<br>c\r\n";
    EXPECT_EQ(testkit::bytes(path), expected);

    scramble(*w);
    box.touch(folder, {QStringLiteral("p001.jpg"), QStringLiteral("p002.jpg  "), QStringLiteral("p003.jpg")});
    QString openFolder;
    m.onFileDialog([&](QFileDialog *d) {
        openFolder = d->directory().absolutePath();
        testkit::pick(path)(d);
    });
    w->fload->trigger();
    EXPECT_EQ(m.texts(), (QStringList{written, loaded}));
    EXPECT_EQ(openFolder, folder);
    EXPECT_EQ(checkValue(w->Check1), 1);
    EXPECT_EQ(w->Text9->text(), QStringLiteral("http://example.jp/"));
    EXPECT_EQ(w->Text6->text(), QStringLiteral(" 夏の旅行 "));
    EXPECT_EQ(checkValue(w->Check2), 1);
    EXPECT_TRUE(w->Option7->isChecked());
    EXPECT_FALSE(w->Option2->isChecked());
    EXPECT_EQ(w->Text5->text(), QStringLiteral("http://example.jp/bg.jpg"));
    EXPECT_EQ(w->Text4->text(), QStringLiteral("album.html"));
    EXPECT_EQ(entries(*w), (QStringList{QStringLiteral("p001.jpg,海辺にて"), QStringLiteral("p002.jpg  "),
                                        QStringLiteral("p003.jpg,a,b<br>c")}));
    EXPECT_EQ(w->Label11->text(), QStringLiteral("3"));
}

TEST(ProjectSave, LoadingInAnotherFolderSaysSoAndGoesOn)
{
    testkit::Sandbox box;
    testkit::Modals m;
    auto w = testkit::window();
    fillAlbum(*w);
    const QString path = w->Dir1->path() + QStringLiteral("/album.txt");
    save(*w, m, path);
    const QString other = box.folder(QStringLiteral("other"));
    ASSERT_TRUE(w->Dir1->changeTo(other));
    load(*w, m, path);
    EXPECT_EQ(m.texts(), (QStringList{written, otherFolder, missing({"p001.jpg", "p002.jpg  ", "p003.jpg"}), loaded}));
    EXPECT_EQ(w->List1->count(), 3);
    EXPECT_EQ(w->Dir1->path(), other);
    EXPECT_EQ(w->Label1->text(), other);
    EXPECT_EQ(fsname::currentDir(), other);
}

TEST(ProjectSave, PageNameDecidesWhetherAndWhatIsProposed)
{
    testkit::Sandbox box;
    testkit::Modals m;
    auto w = testkit::window();
    fillAlbum(*w);
    const QString folder = w->Dir1->path();
    const std::pair<QString, QString> cases[] = {{QStringLiteral("a.htm"), QStringLiteral("a.txt")},
                                                 {QStringLiteral("index"), QStringLiteral("index")},
                                                 {QStringLiteral("my.page.html"), QStringLiteral("my.txt")},
                                                 {QStringLiteral("abcd"), QString()}};
    for (const auto &[page, name] : cases) {
        m.shown.clear();
        w->Text4->setText(page);
        QString proposed;
        m.onFileDialog([&proposed](QFileDialog *d) {
            proposed = d->selectedFiles().value(0);
            d->reject();
        });
        w->fsave->trigger();
        if (name.isEmpty()) {
            EXPECT_EQ(m.texts(), QStringList{QStringLiteral("右下のファイル名を入れてください。")});
            EXPECT_TRUE(proposed.isEmpty());
        } else {
            EXPECT_TRUE(m.texts().isEmpty()) << page.toStdString();
            EXPECT_EQ(proposed, folder + u'/' + name);
        }
    }
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
}

TEST(ProjectSave, EmptyListAndCancelWriteNothing)
{
    testkit::Sandbox box;
    testkit::Modals m;
    auto w = testkit::window();
    const QString folder = w->Dir1->path();
    bool dialogShown = false;
    m.onFileDialog([&dialogShown](QFileDialog *d) {
        dialogShown = true;
        d->reject();
    });
    w->fsave->trigger();
    EXPECT_EQ(m.texts(), QStringList{QStringLiteral("リストに項目を追加してください。")});
    EXPECT_FALSE(dialogShown);

    m.shown.clear();
    fillAlbum(*w);
    w->fsave->trigger();
    EXPECT_TRUE(dialogShown);
    EXPECT_TRUE(m.texts().isEmpty());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());

    // A cancelled load changes nothing, the photo list included.
    testkit::writeFile(folder + QStringLiteral("/album.txt"), "kamerio,x,0,a,b,0\r\nopt1\r\nc\r\nd\r\n");
    const Controls before = controls(*w);
    const QStringList list = entries(*w);
    w->fload->trigger();
    EXPECT_TRUE(m.texts().isEmpty());
    EXPECT_TRUE(controls(*w) == before);
    EXPECT_EQ(entries(*w), list);
}

TEST(ProjectSave, DialogSpeaksJapaneseAndShowsItsColumnsWhole)
{
    testkit::Sandbox box;
    testkit::Modals m;
    auto w = testkit::window();
    box.touch(w->Dir1->path(), {QStringLiteral("album.txt")});
    fillAlbum(*w);
    QStringList texts;
    bool whole = false;
    m.onFileDialog([&](QFileDialog *d) {
        for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            texts.append(d->findChild<QLabel *>(QLatin1String(name))->text());
        for (const QPushButton *b : d->findChildren<QPushButton *>())
            texts.append(b->text());
        auto *view = d->findChild<QTreeView *>(QStringLiteral("treeView"));
        const QAbstractItemView *items = view;
        whole = QTest::qWaitFor([&] {
            int used = 0;
            for (int column = 0; column < view->header()->count(); ++column) {
                if (view->header()->sectionSize(column) < items->sizeHintForColumn(column))
                    return false;
                used += view->header()->sectionSize(column);
            }
            return view->model()->rowCount(view->rootIndex()) > 0 && used <= view->viewport()->width();
        });
        d->reject();
    });
    w->fsave->trigger();
    EXPECT_EQ(texts, (QStringList{"アドレス:", "ファイル名(&N):", "ファイルの種類:", "保存", "キャンセル"}));
    EXPECT_TRUE(whole);
}

TEST(ProjectSave, CharactersWithoutCp932Form)
{
    testkit::Sandbox box;
    testkit::Modals m;
    auto w = testkit::window();
    const QString folder = w->Dir1->path();
    fillAlbum(*w);
    w->Text6->setText(QStringLiteral("旅\U0001F600"));
    setEntries(*w, {QStringLiteral("a.jpg,波\U0001F30A")});
    const QString path = folder + QStringLiteral("/album.txt");
    save(*w, m, path);
    EXPECT_EQ(m.texts(), QStringList{written});
    const QByteArray saved = testkit::bytes(path);
    EXPECT_TRUE(saved.contains(",\x97\xB7&#128512;,1\r\n"));
    EXPECT_TRUE(saved.endsWith("\r\na.jpg,\x94\x67&#127754;\r\n"));

    // In a file name the character would be lost: the user decides.
    setEntries(*w, {QStringLiteral("b\U0001F600.jpg")});
    m.shown.clear();
    m.answer(QMessageBox::No);
    save(*w, m, path);
    const QString willNotBeFound = QStringLiteral("次の写真はファイル名をそのまま書き込めないため、読み込んだ後に見つかりません。"
                                                  "名前を変えてから保存すれば見つかります。\n");
    ASSERT_EQ(m.shown.size(), 1);
    EXPECT_EQ(m.shown[0].text, QStringLiteral("次の文字はファイルに書き込めないため、省かれます。\n「\U0001F600」(U+1F600)\n")
                                   + willNotBeFound + QStringLiteral("b\U0001F600.jpg\n保存しますか？"));
    EXPECT_EQ(m.shown[0].buttons.size(), 2);
    EXPECT_EQ(testkit::bytes(path), saved);

    // A wave dash is written, but comes back as its full-width twin.
    setEntries(*w, {QStringLiteral("c\u301C.jpg,cap")});
    m.shown.clear();
    m.answer(QMessageBox::No);
    save(*w, m, path);
    EXPECT_EQ(m.texts(), QStringList{willNotBeFound + QStringLiteral("c\u301C.jpg\n保存しますか？")});
    setEntries(*w, {QStringLiteral("b\U0001F600.jpg")});

    m.shown.clear();
    m.answer(QMessageBox::Yes);
    save(*w, m, path);
    ASSERT_EQ(m.shown.size(), 2);
    EXPECT_EQ(m.shown[1].text, written);
    EXPECT_TRUE(testkit::bytes(path).endsWith("\r\nb.jpg\r\n"));
}

TEST_F(ProjectLoad, NotAProjectFileKeepsTheAlbum)
{
    scramble(*w);
    w->Label11_Click();
    const Controls before = controls(*w);
    for (const QByteArray &bytes : {QByteArray("Kamerio,f,1,u,t,1\r\nopt7\r\nbg\r\npage\r\na.jpg\r\n"),
                                    QByteArray("kamerio\r\nopt7\r\n"), QByteArray("\x89PNG\r\n\x1A\n\0\0", 10)}) {
        m.shown.clear();
        testkit::writeFile(folder + QStringLiteral("/x.txt"), bytes);
        load(*w, m, folder + QStringLiteral("/x.txt"));
        EXPECT_EQ(m.texts(), QStringList{notProject});
        EXPECT_EQ(entries(*w), QStringList{QStringLiteral("other.jpg")});
        EXPECT_EQ(w->Label11->text(), QStringLiteral("1"));
        EXPECT_TRUE(controls(*w) == before);
    }
    // Nor does a file that cannot be read.
    m.shown.clear();
    EXPECT_FALSE(w->loadProject(folder + QStringLiteral("/none.txt")));
    EXPECT_EQ(m.texts(), QStringList{notProject});
    EXPECT_EQ(entries(*w), QStringList{QStringLiteral("other.jpg")});
}

TEST_F(ProjectLoad, FilesFromEditorsAndMissingPhotos)
{
    box.touch(folder, {QStringLiteral("a.jpg")});
    const QString text =
        QStringLiteral("kamerio,%1,1,http://x/,夏の旅,1\nopt3\nbg\npage.html\na.jpg,海\n\nb.jpg\n").arg(folder);
    const QByteArray utf8 = text.toUtf8();
    const QByteArray bom = "\xEF\xBB\xBF";
    const QByteArray files[] = {
        utf8, bom + utf8, bom + QByteArray(utf8).replace("\n", "\r\n"), cp932::encode(text, cp932::Unmappable::Report)};
    for (const QByteArray &bytes : files) {
        m.shown.clear();
        scramble(*w);
        testkit::writeFile(folder + QStringLiteral("/x.txt"), bytes);
        load(*w, m, folder + QStringLiteral("/x.txt"));
        EXPECT_EQ(m.texts(), (QStringList{missing({"b.jpg"}), loaded})) << bytes.toStdString();
        EXPECT_EQ(w->Text6->text(), QStringLiteral("夏の旅"));
        EXPECT_TRUE(w->Option3->isChecked());
        EXPECT_EQ(w->Text4->text(), QStringLiteral("page.html"));
        EXPECT_EQ(entries(*w), (QStringList{QStringLiteral("a.jpg,海"), QStringLiteral("b.jpg")}));
    }
}

TEST_F(ProjectLoad, FlagsAndShortFilesLeaveRefusedAndMissingValuesAlone)
{
    const QString path = folder + QStringLiteral("/x.txt");
    scramble(*w);
    Controls expected = controls(*w);

    // A grey border flag; the file ends after its second line.
    testkit::writeFile(path, "kamerio," + QFile::encodeName(folder) + ",2\r\nopt10\r\n");
    load(*w, m, path);
    EXPECT_EQ(m.texts(), QStringList{loaded});
    expected.check1 = 2;
    EXPECT_TRUE(controls(*w) == expected);
    EXPECT_EQ(w->Check1->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(w->List1->count(), 0);

    // Digits the check boxes refuse.
    m.shown.clear();
    box.touch(folder, {QStringLiteral("a.jpg")});
    testkit::writeFile(path, "kamerio," + QFile::encodeName(folder) + ",7,u,t,5\r\nopt9\r\nbg\r\n\r\n\r\na.jpg\r\n");
    load(*w, m, path);
    EXPECT_EQ(m.texts(), QStringList{loaded});
    EXPECT_EQ(checkValue(w->Check1), 2);
    EXPECT_EQ(checkValue(w->Check2), 0);
    EXPECT_EQ(w->Text9->text(), QStringLiteral("u"));
    EXPECT_EQ(w->Text6->text(), QStringLiteral("t"));
    EXPECT_TRUE(w->Option9->isChecked());
    EXPECT_EQ(w->Text4->text(), QString());
    EXPECT_EQ(entries(*w), QStringList{QStringLiteral("a.jpg")});
}

TEST_F(ProjectLoad, FullPhotoListIsReported)
{
    QByteArray bytes = "kamerio," + QFile::encodeName(folder) + ",0,u,t,0\r\nopt1\r\nbg\r\npage\r\n";
    bytes += QByteArray("p.jpg\r\n").repeated(32768);
    box.touch(folder, {QStringLiteral("p.jpg")});
    testkit::writeFile(folder + QStringLiteral("/big.txt"), bytes);
    load(*w, m, folder + QStringLiteral("/big.txt"));
    EXPECT_EQ(m.texts(), (QStringList{QStringLiteral("写真リストに登録できるのは32767枚までです。\n"
                                                     "それより後の写真は読み込みませんでした。"),
                                      loaded}));
    EXPECT_EQ(w->List1->count(), 32767);
    EXPECT_EQ(w->Label11->text(), QStringLiteral("32767"));
}

TEST(ProjectFaults, ReadOnlyFolderKeepsTheOldFile)
{
    testkit::Sandbox box;
    const QString ro = box.folder(QStringLiteral("ro"));
    testkit::Tmpfs fs(ro, "size=1m");
    if (!fs.mounted())
        GTEST_SKIP() << fs.why();
    const QString path = ro + QStringLiteral("/album.txt");
    testkit::writeFile(path, "old contents\r\n");
    // Root writes through file permissions: only a read-only mount refuses it.
    ASSERT_TRUE(fs.makeReadOnly());
    testkit::Modals m;
    auto w = testkit::window();
    fillAlbum(*w);
    save(*w, m, path);
    ASSERT_EQ(m.shown.size(), 1);
    EXPECT_EQ(m.shown[0].text, QStringLiteral("ファイルを書き込めませんでした。\n%1\n読み取り専用のﾄﾞﾗｲﾌﾞです").arg(path));
    EXPECT_EQ(testkit::bytes(path), QByteArray("old contents\r\n"));
}

TEST(ProjectFaults, FullDiskKeepsTheOldFile)
{
    testkit::Sandbox box;
    const QString small = box.folder(QStringLiteral("small"));
    testkit::Tmpfs fs(small, "size=64k");
    if (!fs.mounted())
        GTEST_SKIP() << fs.why();
    const QString path = small + QStringLiteral("/album.txt");
    testkit::writeFile(path, "old contents\r\n");
    ASSERT_NO_FATAL_FAILURE(fs.fill());
    EXPECT_EQ(testkit::bytes(path), QByteArray("old contents\r\n"));
    testkit::Modals m;
    auto w = testkit::window();
    fillAlbum(*w);
    save(*w, m, path);
    ASSERT_EQ(m.shown.size(), 1);
    EXPECT_EQ(m.shown[0].text, QStringLiteral("ファイルを書き込めませんでした。\n%1\nﾃﾞｨｽｸがいっぱいです").arg(path));
    EXPECT_EQ(testkit::bytes(path), QByteArray("old contents\r\n"));
    EXPECT_EQ(QDir(small).entryList(QDir::Files), (QStringList{QStringLiteral("album.txt"), QStringLiteral("filler")}));
}
