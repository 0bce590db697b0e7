#include "albumwindow.h"
#include "jpegs.h"
#include "testkit.h"

#include "album/preview.h"
#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "fileops/fsname.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QColor red(255, 0, 0), blue(0, 0, 255);

void writeJpeg(const QString &path, const QImage &image)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(jpegs::encode(image));
}

QImage filled(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

TEST(CaptionKeyboard, EnterAloneCaptionsTheWholeList)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg")});
    testkit::Modals modals;
    // Tabbing in marks the first entry without selecting it; the first arrow
    // selects it rather than moving past it.
    a.w->Command5->setFocus();
    a.key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), a.w->List1);
    a.key(Qt::Key_Down);
    ASSERT_EQ(a.selected(), 0);
    a.key(Qt::Key_Return);
    EXPECT_EQ(a.selected(), 0);
    const QStringList typed = {QStringLiteral("first"), QStringLiteral("two, with comma"), QStringLiteral("a<br>b")};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(QApplication::focusWidget(), a.w->Text1) << i;
        a.type(typed[i]);
        // The keypad's Enter counts as Enter too.
        a.key(i == 1 ? Qt::Key_Enter : Qt::Key_Return);
        EXPECT_EQ(a.caption(), typed[i]) << "Enter must not type a line break";
        ASSERT_EQ(QApplication::focusWidget(), a.w->Command7);
        a.key(Qt::Key_Return);
        EXPECT_EQ(a.selected(), i < 2 ? i + 1 : -1);
        EXPECT_EQ(a.caption(), QString());
    }
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,first", "p2.jpg,two, with comma", "p3.jpg,a<br>b"}));
    EXPECT_EQ(QApplication::focusWidget(), a.w->Text1);
    EXPECT_EQ(a.w->Label11->text(), QStringLiteral("3"));
    // Back in the list with nothing selected, the first arrow starts at the top again.
    QTest::keyClick(a.w->Text1, Qt::Key_Tab, Qt::ShiftModifier);
    a.key(Qt::Key_Up);
    EXPECT_EQ(a.selected(), 0);
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST(CaptionKeyboard, MovingOnShowsTheNextCaptionAndSpaceRegistersToo)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
    a.w->List1->item(1)->setText(QStringLiteral("p2.jpg,kept"));
    a.w->List1->setCurrentRow(0);
    a.w->Text1->setFocus();
    a.type(QStringLiteral("new"));
    a.key(Qt::Key_Return);
    a.key(Qt::Key_Space);
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,new", "p2.jpg,kept"}));
    EXPECT_EQ(a.selected(), 1);
    EXPECT_EQ(a.caption(), QStringLiteral("kept"));
    EXPECT_EQ(QApplication::focusWidget(), a.w->Text1);
}

TEST(CaptionRegistration, StoresTheTextExactlyAsTyped)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
    const QString flower = QStringLiteral("はな<br>さく");
    a.w->List1->setCurrentRow(0);
    a.w->Text1->setPlainText(flower);
    QTest::mouseClick(a.w->Command7, Qt::LeftButton);
    EXPECT_EQ(a.entries().first(), QStringLiteral("p1.jpg,") + flower);

    a.clickEntry(0);
    EXPECT_EQ(a.caption(), flower);
    a.w->Text1->setPlainText(QStringLiteral("a,b"));
    a.w->Command7->click();
    EXPECT_EQ(a.entries().first(), QStringLiteral("p1.jpg,a,b"));
    a.clickEntry(0);
    EXPECT_EQ(a.caption(), QStringLiteral("a,b"));

    a.w->Text1->clear();
    a.w->Command7->click();
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,", "p2.jpg"}));

    // A pasted line break is kept as it is.
    a.clickEntry(1);
    a.w->Text1->setPlainText(QStringLiteral("one\ntwo"));
    a.w->Command7->click();
    EXPECT_EQ(a.entries().last(), QStringLiteral("p2.jpg,one\ntwo"));
}

TEST(CaptionRegistration, WithoutSelectionStoresNothingAndSelectsTheFirst)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
    testkit::Modals modals;
    a.w->List1->item(0)->setText(QStringLiteral("p1.jpg,old"));
    a.w->Text1->setPlainText(QStringLiteral("lost"));
    a.w->Command7->click();
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,old", "p2.jpg"}));
    EXPECT_EQ(a.selected(), 0);
    EXPECT_EQ(a.caption(), QStringLiteral("old"));
    EXPECT_EQ(a.w->focusWidget(), a.w->Text1);

    a.w->zenclr_Click();
    a.w->Text1->setPlainText(QStringLiteral("lost"));
    a.w->Command7->click();
    EXPECT_TRUE(a.entries().isEmpty());
    EXPECT_EQ(a.caption(), QString());
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST(CaptionRegistration, ANameWithACommaLosesItsTail)
{
    AlbumWindow a({QStringLiteral("a,b.jpg")});
    a.w->List1->setCurrentRow(0);
    EXPECT_EQ(a.caption(), QStringLiteral("b.jpg"));
    EXPECT_EQ(dirs::imgpath, a.dir + QStringLiteral("/a"));
    a.w->Text1->setPlainText(QStringLiteral("x"));
    a.w->Command7->click();
    EXPECT_EQ(a.entries(), QStringList({"a,x"}));
}

TEST(CaptionScratch, LeavingAnEntryStoresItsTypingAndThePopUpKeepsIt)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
    testkit::Modals modals;
    a.w->List1->item(0)->setText(QStringLiteral("p1.jpg,one"));
    a.clickEntry(1);
    a.w->Text1->setPlainText(QStringLiteral("typed"));
    // The entry already selected: no change, the typing stays in the box.
    a.clickEntry(1);
    EXPECT_EQ(a.caption(), QStringLiteral("typed"));
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,one", "p2.jpg"}));
    a.clickEntry(0);
    EXPECT_EQ(a.caption(), QStringLiteral("one"));
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,one", "p2.jpg,typed"}));

    // Right-clicking another entry does not select it; neither that pop-up
    // nor the one opened from the keyboard touches the typing.
    a.w->Text1->setPlainText(QStringLiteral("retyped"));
    a.clickEntry(1, Qt::RightButton);
    EXPECT_EQ(a.selected(), 0);
    modals.choose(QStringLiteral("list1can"));
    a.rightClickList();
    for (const auto &[key, held] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
        a.w->List1->setFocus();
        QTest::keyClick(a.w->List1, key, held);
    }
    EXPECT_EQ(a.caption(), QStringLiteral("retyped"));
    EXPECT_EQ(modals.menusOpened, QStringList({"listrclk", "listrclk", "listrclk", "listrclk"}));
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg,one", "p2.jpg,typed"}));
    EXPECT_TRUE(modals.shown.isEmpty());
}

// Entries of the photos p1.jpg .. p5.jpg written short: "2 1,alpha" for
// {"p2.jpg", "p1.jpg,alpha"}.
QStringList photos(const char *shorthand)
{
    QStringList out;
    for (const QString &e : QString::fromUtf8(shorthand).split(u' ', Qt::SkipEmptyParts))
        out.append(QStringLiteral("p%1.jpg").arg(e.section(u',', 0, 0))
                   + (e.contains(u',') ? u',' + e.section(u',', 1) : QString()));
    return out;
}

TEST(CaptionKeeping, WhatIsTypedStaysWithItsOwnPhoto)
{
    const struct
    {
        const char *what;
        QStringList steps;
        const char *list; // on screen
        const char *box;
        const char *kept; // the safety copy once the window is closed
    } cases[] = {
        {"a caption registered, its entry moved twice",
         {"@List1", "Down", "Return", "=alpha", "Return", "Return", "click:0", "Alt+Down", "Alt+Down"},
         "2 3 1,alpha 4 5", "alpha", "2 3 1,alpha 4 5"},
        {"typing through a move, its undo and redo",
         {"click:1", "Return", "=beta", "@List1", "Alt+Up", "Ctrl+Z", "Ctrl+Shift+Z"},
         "2 1 3 4 5", "beta", "2,beta 1 3 4 5"},
        {"a sort from the pop-up stores the typing, then sorts: two steps",
         {"click:0", "Alt+Down", "click:0", "Return", "=gamma", "menu:sortname", "@List1", "Ctrl+Z", "Ctrl+Z",
          "Ctrl+Shift+Z", "Ctrl+Shift+Z"},
         "1 2,gamma 3 4 5", "gamma", "1 2,gamma 3 4 5"},
        {"the pop-up closed with Escape, also opened from the keyboard",
         {"click:2", "Return", "=delta", "menu:", "@List1", "Menu", "Shift+F10"},
         "1 2 3 4 5", "delta", "1 2 3,delta 4 5"},
        {"a click after the first Enter", {"click:0", "Return", "=one", "Return", "click:3"},
         "1,one 2 3 4 5", "", "1,one 2 3 4 5"},
        {"an arrow key, undone and redone", {"click:0", "Return", "=one", "@List1", "Down", "Ctrl+Z", "Ctrl+Shift+Z"},
         "1,one 2 3 4 5", "", "1,one 2 3 4 5"},
        {"a drag of another entry", {"click:0", "Return", "=one", "drag:2>5"},
         "1,one 2 4 5 3", "", "1,one 2 4 5 3"},
        {"Delete with nothing selected", {"@List1", "Delete"}, "1 2 3 4 5", "", "1 2 3 4 5"},
        {"Enter with nothing selected", {"@List1", "Return", "=first", "Return", "Return"},
         "1,first 2 3 4 5", "", "1,first 2 3 4 5"},
        {"registering undone from the caption box after the box's own typing",
         {"click:0", "Return", "=one", "Return", "Return", "=two", "Return", "Return", "=x", "Ctrl+Z", "Ctrl+Z"},
         "1,one 2 3 4 5", "", "1,one 2 3 4 5"},
        {"registering undone and redone from the caption box",
         {"click:0", "Return", "=one", "Return", "Return", "Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+Z"},
         "1 2 3 4 5", "", "1 2 3 4 5"},
        {"全リスト削除 keeps the typing in what it takes, and Ctrl+Z brings both",
         {"click:0", "Return", "=one", "menu:zenclr", "@List1", "Ctrl+Z"}, "1,one 2 3 4 5", "", "1,one 2 3 4 5"},
        {"リストから削除 with nothing selected takes the first, and Ctrl+Z brings it",
         {"menu:list1del", "@List1", "Ctrl+Z"}, "1 2 3 4 5", "", "1 2 3 4 5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        AlbumWindow a(photos("1 2 3 4 5"));
        testkit::Modals modals;
        for (const QString &step : c.steps)
            act(*a.w, modals, step);
        EXPECT_EQ(a.entries(), photos(c.list));
        EXPECT_EQ(a.caption(), QString::fromUtf8(c.box));
        a.w->close();
        EXPECT_EQ(kept(), photos(c.kept));
        EXPECT_TRUE(modals.shown.isEmpty());
    }
}

TEST(CaptionKeeping, NothingSelectedShowsNoCaptionAndNoPhoto)
{
    const struct
    {
        const char *what;
        std::function<void(AlbumWindow &)> act;
    } cases[] = {
        {"全ﾌｧｲﾙ選択", [](AlbumWindow &a) { QTest::mouseClick(a.w->Command2, Qt::LeftButton); }},
        {"ファイル読込",
         [](AlbumWindow &a) {
             const QString project = a.dir + QStringLiteral("/album.txt");
             testkit::writeFile(project, "kamerio,,0,,,0\r\nopt1\r\n\r\nindex.html\r\np2.jpg\r\n");
             testkit::Modals answered;
             ASSERT_TRUE(a.w->loadProject(project));
         }},
        {"a folder change", [](AlbumWindow &a) { a.w->Dir1->changeTo(a.box.folder(QStringLiteral("other"))); }},
        {"the last caption registered", [](AlbumWindow &a) { a.w->Command7->click(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
        for (const QString &name : {QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")})
            writeJpeg(a.dir + u'/' + name, filled(40, 30, red));
        a.w->List1->item(1)->setText(QStringLiteral("p2.jpg,two"));
        a.clickEntry(1);
        ASSERT_EQ(a.caption(), QStringLiteral("two"));
        ASSERT_FALSE(a.preview().isNull());
        c.act(a);
        EXPECT_EQ(a.selected(), -1);
        EXPECT_EQ(a.caption(), QString());
        EXPECT_TRUE(a.preview().isNull());
    }
}

TEST(CaptionKeyboard, TabLeavesTheCaptionBoxAndNeverEntersACaption)
{
    AlbumWindow a({QStringLiteral("p1.jpg")});
    a.w->Text1->setFocus();
    a.type(QStringLiteral("ab"));
    a.key(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), a.w->Text1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), a.w->Text1);
    QApplication::clipboard()->setText(QStringLiteral("x\ty\t"));
    QTest::keyClick(a.w->Text1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(a.caption(), QStringLiteral("abx y "));
}

TEST(ListEditing, DeleteRemovesTheSelectedEntryAndShowsTheNext)
{
    // The pop-up's item and the Delete key do the same.
    for (const bool byKey : {false, true}) {
        AlbumWindow a({"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"});
        testkit::Modals modals;
        const auto remove = [&] {
            if (byKey) {
                a.w->List1->setFocus();
                a.key(Qt::Key_Delete);
            } else {
                modals.choose(QStringLiteral("list1del"));
                a.rightClickList();
            }
        };
        a.w->List1->item(3)->setText(QStringLiteral("p4.jpg,four"));
        a.w->List1->setCurrentRow(2);
        remove();
        EXPECT_EQ(a.entries(), QStringList({"p1.jpg", "p2.jpg", "p4.jpg,four", "p5.jpg"}));
        EXPECT_EQ(a.selected(), 2);
        EXPECT_EQ(a.caption(), QStringLiteral("four"));
        EXPECT_EQ(dirs::imgpath, a.dir + QStringLiteral("/p4.jpg"));
        EXPECT_EQ(a.w->Label11->text(), QStringLiteral("4"));

        a.w->List1->setCurrentRow(3);
        remove();
        EXPECT_EQ(a.entries(), QStringList({"p1.jpg", "p2.jpg", "p4.jpg,four"}));
        EXPECT_EQ(a.selected(), -1);
        EXPECT_EQ(a.caption(), QString());
        EXPECT_EQ(a.w->Label11->text(), QStringLiteral("3"));

        // With nothing selected the pop-up's item takes the first entry; the
        // key, pressed perhaps with the first one out of sight, takes none.
        remove();
        EXPECT_EQ(a.entries(), byKey ? QStringList({"p1.jpg", "p2.jpg", "p4.jpg,four"})
                                     : QStringList({"p2.jpg", "p4.jpg,four"}));
        EXPECT_EQ(a.selected(), byKey ? -1 : 0);
        EXPECT_EQ(a.w->Label11->text(), byKey ? QStringLiteral("3") : QStringLiteral("2"));

        a.w->zenclr_Click();
        a.w->list1del_Click();
        EXPECT_TRUE(a.entries().isEmpty());
        EXPECT_TRUE(modals.shown.isEmpty());
    }
}

TEST(ListEditing, ClearAllEmptiesListCaptionAndPreview)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
    testkit::Modals modals;
    writeJpeg(a.dir + QStringLiteral("/p1.jpg"), filled(40, 30, red));
    a.w->List1->item(0)->setText(QStringLiteral("p1.jpg,one"));
    a.w->List1->setCurrentRow(0);
    ASSERT_FALSE(a.preview().isNull());
    modals.choose(QStringLiteral("zenclr"));
    a.rightClickList();
    EXPECT_EQ(a.w->List1->count(), 0);
    EXPECT_EQ(a.caption(), QString());
    EXPECT_TRUE(a.w->Image1->pixmap().isNull());
    EXPECT_EQ(dirs::imgpath, a.dir + QStringLiteral("/"));
    EXPECT_EQ(a.w->Label11->text(), QStringLiteral("0"));
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST(ListEditing, SelectionHandlingOnAnEmptyListAsksForPhotos)
{
    AlbumWindow a({QStringLiteral("p1.jpg")});
    testkit::Modals modals;
    a.w->List1->setCurrentRow(0);
    // Refilling and emptying the list are no selection changes.
    a.w->allselec();
    a.w->zenclr_Click();
    EXPECT_TRUE(modals.shown.isEmpty());
    a.w->List1_Click();
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, QStringLiteral("ファイルを登録してください。"));
    EXPECT_EQ(modals.shown[0].title, QStringLiteral("KAMERIO"));
    EXPECT_EQ(modals.shown[0].buttons.size(), 1);
}

TEST(Preview, ShowsTheSelectedPhotoUprightAtTheBoxSize)
{
    AlbumWindow a({QStringLiteral("red.jpg"), QStringLiteral("big.jpg"), QStringLiteral("turned.jpg")});
    writeJpeg(a.dir + QStringLiteral("/red.jpg"), filled(40, 30, red));
    writeJpeg(a.dir + QStringLiteral("/big.jpg"), filled(2400, 1600, blue));
    // Stored on its side, left half red: shown upright the red half is on top.
    QImage side = filled(600, 400, blue);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 300; ++x)
            side.setPixelColor(x, y, red);
    QFile turned(a.dir + QStringLiteral("/turned.jpg"));
    ASSERT_TRUE(turned.open(QIODevice::WriteOnly));
    turned.write(jpegs::withOrientation(jpegs::encode(side), 6));
    turned.close();
    const QSize box = a.w->Image1->contentsRect().size();

    a.clickEntry(QStringLiteral("red.jpg"));
    EXPECT_EQ(dirs::imgpath, a.dir + QStringLiteral("/red.jpg"));
    QImage shown = a.preview();
    EXPECT_EQ(shown.size(), QSize(40, 30));
    EXPECT_TRUE(near(shown.pixelColor(20, 15), red));

    a.clickEntry(QStringLiteral("big.jpg"));
    shown = a.preview();
    EXPECT_EQ(shown.height(), box.height());
    EXPECT_EQ(shown.width(), (box.height() * 3 + 1) / 2);
    EXPECT_TRUE(near(shown.pixelColor(10, 10), blue));

    a.clickEntry(QStringLiteral("turned.jpg"));
    shown = a.preview();
    EXPECT_EQ(shown.size(), QSize(box.width(), (600 * box.width() + 399) / 400));
    EXPECT_TRUE(near(shown.pixelColor(100, 20), red));
    EXPECT_TRUE(near(shown.pixelColor(100, shown.height() - 20), blue));
    EXPECT_TRUE(a.w->Image1->hasScaledContents());
}

TEST(Preview, StaysEmptyForWhatIsNoPicture)
{
    AlbumWindow a({QStringLiteral("ok.jpg"), QStringLiteral("text.jpg")});
    writeJpeg(a.dir + QStringLiteral("/ok.jpg"), filled(40, 30, red));
    QDir(a.dir).mkdir(QStringLiteral("folder.jpg"));
    const QString odd = fsname::decode("odd\xff.jpg");
    ASSERT_FALSE(fsname::isPlain(odd));
    const int fd = ::open(fsname::encode(a.dir + u'/' + odd).constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray data = jpegs::encode(filled(40, 30, red));
    ASSERT_EQ(::write(fd, data.constData(), size_t(data.size())), data.size());
    ::close(fd);
    // A pipe must not keep the preview waiting for a writer that never comes.
    ASSERT_EQ(::mkfifo(QFile::encodeName(a.dir + QStringLiteral("/pipe.jpg")).constData(), 0644), 0);
    a.w->List1->addItems({QStringLiteral("missing.jpg"), QStringLiteral("folder.jpg"), odd, QStringLiteral("pipe.jpg")});
    testkit::Modals modals;
    for (int row = 1; row < a.w->List1->count(); ++row) {
        a.w->List1->setCurrentRow(0);
        ASSERT_FALSE(a.preview().isNull());
        a.w->List1->setCurrentRow(row);
        EXPECT_TRUE(a.preview().isNull()) << a.entries()[row].toStdString();
        EXPECT_EQ(dirs::imgpath, a.dir + u'/' + a.entries()[row]);
    }
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST(Preview, LooksInTheNewFolderWhenTheListIsKept)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
    writeJpeg(a.dir + QStringLiteral("/p1.jpg"), filled(40, 30, red));
    writeJpeg(a.dir + QStringLiteral("/p2.jpg"), filled(40, 30, red));
    const QString other = a.box.folder(QStringLiteral("other"));
    writeJpeg(other + QStringLiteral("/p1.jpg"), filled(40, 30, blue));
    a.w->Check3->setChecked(false);
    a.w->Dir1->changeTo(other);
    ASSERT_EQ(a.w->List1->count(), 2);
    a.w->List1->setCurrentRow(0);
    EXPECT_EQ(dirs::imgpath, other + QStringLiteral("/p1.jpg"));
    EXPECT_TRUE(near(a.preview().pixelColor(20, 15), blue));
    a.w->List1->setCurrentRow(1);
    EXPECT_TRUE(a.preview().isNull());
}

TEST(PreviewInBackground, EnterShowsTheNextPhotoDecodedWhileTheCaptionWasTyped)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg")});
    const QList<QColor> colours = {red, blue, red};
    for (int i = 0; i < 3; ++i)
        writeJpeg(a.dir + QStringLiteral("/p%1.jpg").arg(i + 1), filled(40, 30, colours[i]));
    a.w->List1->setFocus();
    a.key(Qt::Key_Down);
    a.key(Qt::Key_Return);
    for (int i = 1; i < 3; ++i) {
        // The next photo, decoded meanwhile, does not show before its turn.
        ASSERT_TRUE(near(a.preview().pixelColor(20, 15), colours[i - 1])) << i;
        a.type(QStringLiteral("caption"));
        a.key(Qt::Key_Return);
        a.key(Qt::Key_Return);
        // Without waiting: the picture is there when Enter returns.
        EXPECT_EQ(dirs::imgpath, a.dir + QStringLiteral("/p%1.jpg").arg(i + 1));
        const QImage shown = a.w->Image1->pixmap().toImage();
        ASSERT_FALSE(shown.isNull()) << i;
        EXPECT_TRUE(near(shown.pixelColor(20, 15), colours[i])) << i;
    }
}

TEST(PreviewInBackground, APhotoWrittenOverShowsItsNewPicture)
{
    // A new picture of another size; one of the same size saved later.
    for (const auto &[size, laterBy] : {std::pair{QSize(60, 40), 0}, {QSize(40, 30), 2}}) {
        AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
        const QString p1 = a.dir + QStringLiteral("/p1.jpg");
        writeJpeg(p1, filled(40, 30, red));
        a.w->List1->setCurrentRow(0);
        ASSERT_TRUE(near(a.preview().pixelColor(20, 15), red));
        a.w->List1->setCurrentRow(1);
        const QDateTime saved = QFileInfo(p1).lastModified();
        writeJpeg(p1, filled(size.width(), size.height(), blue));
        if (laterBy) {
            QFile f(p1);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(saved.addSecs(laterBy), QFileDevice::FileModificationTime));
        }
        a.w->List1->setCurrentRow(0);
        const QImage shown = a.preview();
        EXPECT_EQ(shown.size(), size);
        EXPECT_TRUE(near(shown.pixelColor(20, 15), blue)) << laterBy;
    }
}

TEST(PreviewInBackground, OnlyTheEntrySelectedLastShows)
{
    AlbumWindow a({QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg"), QStringLiteral("p3.jpg"),
                   QStringLiteral("p4.jpg")});
    for (const int i : {1, 3, 4})
        writeJpeg(a.dir + QStringLiteral("/p%1.jpg").arg(i), filled(40, 30, red));
    QFile text(a.dir + QStringLiteral("/p2.jpg"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no picture");
    text.close();
    // p1.jpg is still on its way when p2.jpg, no picture, is selected: it never shows.
    a.w->List1->setCurrentRow(0);
    a.w->List1->setCurrentRow(1);
    EXPECT_TRUE(a.preview().isNull());
    // Nor does a picture asked for before the folder changed and the list emptied.
    a.w->List1->setCurrentRow(3);
    a.w->Dir1->changeTo(a.box.folder(QStringLiteral("other")));
    EXPECT_EQ(a.w->List1->count(), 0);
    EXPECT_TRUE(a.preview().isNull());
}

TEST(PreviewSize, CoversTheBoxWithTheAspectKeptAndNeverEnlarges)
{
    const QSize box(291, 218);
    EXPECT_EQ(preview::decodeSize({6000, 4000}, box, false), QSize(327, 218));
    EXPECT_EQ(preview::decodeSize({4000, 6000}, box, false), QSize(291, 437));
    // Stored on its side: shown 4000 x 6000, asked for in stored order.
    EXPECT_EQ(preview::decodeSize({6000, 4000}, box, true), QSize(437, 291));
    EXPECT_EQ(preview::decodeSize({582, 436}, box, false), box);
    EXPECT_EQ(preview::decodeSize({200, 1000}, box, false), QSize(200, 1000));
    EXPECT_EQ(preview::decodeSize({291, 218}, box, true), QSize(291, 218));
}

} // namespace
