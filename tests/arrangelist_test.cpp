#include "albumwindow.h"
#include "exifdates.h"
#include "jpegs.h"

#include "album/history.h"
#include "album/photoentry.h"
#include "app/dirs.h"
#include "fileops/fsname.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include <fcntl.h>
#include <unistd.h>
#include <utime.h>

namespace {

const QStringList five = {"p1.jpg,one", "p2.jpg", "p3.jpg,three", "p4.jpg", "p5.jpg,five"};

QStringList inOrder(std::initializer_list<int> order)
{
    QStringList out;
    for (int i : order)
        out.append(five[i]);
    return out;
}

// What a file manager's drop carries: the list of addresses as sent, which
// QMimeData::setData would read as addresses and write anew.
class SentUris : public QMimeData
{
public:
    explicit SentUris(const QByteArray &uris) : uris_(uris) {}
    bool hasFormat(const QString &format) const override { return format == formats()[0]; }
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

protected:
    QVariant retrieveData(const QString &format, QMetaType) const override
    {
        return hasFormat(format) ? QVariant(uris_) : QVariant();
    }

private:
    QByteArray uris_;
};

struct Arranged : AlbumWindow
{
    Arranged() : AlbumWindow({"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"}) {}

    // A new history on entries, row selected, and typing that no
    // arrangement may lose.
    void reset(const QStringList &entries, int row)
    {
        {
            const QSignalBlocker quiet(w->List1);
            w->List1->clear();
        }
        album::Album al = w->album();
        al.entries = entries;
        w->setAlbum(al);
        w->List1->setCurrentRow(row);
        w->Text1->setPlainText(QStringLiteral("typing"));
        before = {entries, row};
    }

    void listKey(Qt::Key k, Qt::KeyboardModifiers held) const { QTest::keyClick(w->List1, k, held); }

    // The list shows after, Ctrl+Z brings back what was before and
    // Ctrl+Shift+Z after again, the selection staying on its entry (or on
    // none, rowUndone -1, when that entry was gone).
    void check(const QStringList &after, int rowAfter, std::optional<int> rowUndone = {}) const
    {
        const auto shows = [this](const QStringList &list, int row) {
            EXPECT_EQ(entries(), list);
            EXPECT_EQ(selected(), row);
            EXPECT_EQ(w->Label11->text(), QString::number(list.size()));
        };
        shows(after, rowAfter);
        listKey(Qt::Key_Z, Qt::ControlModifier);
        shows(before.first, rowUndone.value_or(before.second));
        listKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        shows(after, rowAfter);
    }

    // A file manager's drop of the files of dir named names; the action it
    // was taken as.
    Qt::DropAction dropFiles(const QStringList &names, Qt::KeyboardModifiers held = {}) const
    {
        QByteArray uris = "# dropped\r\nhttp://example.com/web.jpg\r\n";
        for (const QString &name : names)
            uris += (uris.size() % 2 ? "file://" : "file://localhost")
                    + fsname::encode(dir + u'/' + name).toPercentEncoding("/") + "\r\n";
        const SentUris data(uris);
        return dropOnList(*w, data, QPoint(5, 5), held);
    }

    std::pair<QStringList, int> before;
    testkit::Modals modals;
};

TEST(ArrangeMove, AltArrowsAndDragsMoveAnEntryKeepingWhatIsTyped)
{
    struct Case
    {
        int from;
        Qt::Key key; // Key_unknown: dragged and dropped
        int over;    // row dropped on, -1 below them all
        bool lowerHalf;
        QStringList moved;
    };
    const Case cases[] = {
        {0, Qt::Key_Up, 0, false, five},
        {0, Qt::Key_Down, 0, false, inOrder({1, 0, 2, 3, 4})},
        {2, Qt::Key_Up, 0, false, inOrder({0, 2, 1, 3, 4})},
        {2, Qt::Key_Down, 0, false, inOrder({0, 1, 3, 2, 4})},
        {4, Qt::Key_Up, 0, false, inOrder({0, 1, 2, 4, 3})},
        {4, Qt::Key_Down, 0, false, five},
        {-1, Qt::Key_Down, 0, false, five},
        {0, Qt::Key_unknown, 2, false, inOrder({1, 0, 2, 3, 4})},
        {0, Qt::Key_unknown, 2, true, inOrder({1, 2, 0, 3, 4})},
        {3, Qt::Key_unknown, 0, false, inOrder({3, 0, 1, 2, 4})},
        {1, Qt::Key_unknown, -1, false, inOrder({0, 2, 3, 4, 1})},
        {1, Qt::Key_unknown, 1, true, five},
    };
    Arranged a;
    QListWidget *list = a.w->List1;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << ' ' << c.key << ' ' << c.over << c.lowerHalf);
        a.reset(five, c.from);
        const QString photo = dirs::imgpath;
        if (c.key != Qt::Key_unknown) {
            a.listKey(c.key, Qt::AltModifier);
        } else {
            // Holding the button down drags the entry instead of selecting
            // the entries it passes: the selection stays on it (checked below).
            const QRect r = list->visualItemRect(list->item(c.over < 0 ? 4 : c.over));
            dragEntry(*a.w, c.from,
                      QPoint(5, c.over < 0 ? r.bottom() + 4 : c.lowerHalf ? r.bottom() - 1 : r.top() + 1));
        }
        EXPECT_EQ(a.caption(), QStringLiteral("typing"));
        EXPECT_EQ(dirs::imgpath, photo);
        a.check(c.moved, c.from < 0 ? -1 : int(c.moved.indexOf(five[c.from])));
    }
    EXPECT_TRUE(a.modals.shown.isEmpty());
}

TEST(ArrangeMove, TheCaptionWorkflowGoesOnAfterAMove)
{
    Arranged a;
    a.clickEntry(1);
    a.key(Qt::Key_Down, Qt::AltModifier);
    a.key(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), a.w->Text1);
    a.type(QStringLiteral("two"));
    a.key(Qt::Key_Return);
    a.key(Qt::Key_Return);
    EXPECT_EQ(a.entries(), QStringList({"p1.jpg", "p3.jpg", "p2.jpg,two", "p4.jpg", "p5.jpg"}));
    EXPECT_EQ(a.selected(), 3);
    EXPECT_EQ(QApplication::focusWidget(), a.w->Text1);
    a.w->List1->setFocus();
    a.key(Qt::Key_Up);
    EXPECT_EQ(a.selected(), 2);
    EXPECT_EQ(a.caption(), QStringLiteral("two"));

    // A pasted line break makes an entry two lines high, wherever it goes.
    QListWidget *list = a.w->List1;
    const int line = list->visualItemRect(list->item(0)).height();
    a.w->Text1->setPlainText(QStringLiteral("two\nlines"));
    a.w->Command7->click();
    list->setCurrentRow(2);
    a.listKey(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(list->visualItemRect(list->item(2)).height(), line);
    EXPECT_GT(list->visualItemRect(list->item(1)).height(), line);
}

TEST(ArrangeDrop, FilesOfTheFolderAreRegisteredAtTheEnd)
{
    Arranged a;
    a.box.touch(a.dir, {"b10.jpg", "b2.jpg", "c.gif", "d.png", "x.JPG.bak", ".hidden.jpg"});
    a.box.touch(a.box.folder(QStringLiteral("other")), {"o.jpg"});
    QDir(a.dir).mkdir(QStringLiteral("sub.jpg"));
    // A name that is not UTF-8 on disk comes in as the file pane spells it.
    const QString stray = fsname::decode("caf\xE9.jpg");
    const QByteArray strayPath = fsname::encode(a.dir + u'/' + stray);
    ::close(::open(strayPath.constData(), O_CREAT | O_WRONLY, 0644));
    const QString noPhoto = QStringLiteral("ファイルがないか、jpgファイルではありません。\n"
                                           "jpgファイル以外を選択するには、shiftｷｰを押しながらボタンクリック！");
    const QString elsewhere = QStringLiteral("写真リストに登録できるのは、次のディレクトリのファイルだけです。\n") + a.dir;
    const auto notJpeg = [](int n) {
        return QStringLiteral("JPEG 以外の %1 個のﾌｧｲﾙは登録しませんでした（Shift を押しながらドロップすると登録できます）。").arg(n);
    };
    // A drop that registers nothing is refused: taken as a copy (or worse,
    // a move), the file manager would think the files were taken.
    const struct
    {
        QStringList files;
        Qt::KeyboardModifiers held;
        QStringList added;
        QString message;
        Qt::DropAction taken;
    } cases[] = {
        {{"x.JPG.bak", "c.gif", "b10.jpg", "b2.jpg"}, {}, {"b2.jpg", "b10.jpg", "x.JPG.bak"}, notJpeg(1), Qt::CopyAction},
        {{"c.gif", "b10.jpg", "d.png"}, {}, {"b10.jpg"}, notJpeg(2), Qt::CopyAction},
        {{"c.gif", "b10.jpg", "b2.jpg"}, Qt::ShiftModifier, {"b2.jpg", "b10.jpg", "c.gif"}, {}, Qt::CopyAction},
        {{"c.gif"}, Qt::ShiftModifier | Qt::ControlModifier, {}, notJpeg(1), Qt::IgnoreAction},
        {{"sub.jpg", ".hidden.jpg"}, {}, {}, noPhoto, Qt::IgnoreAction},
        {{"b2.jpg", "../other/o.jpg"}, {}, {}, elsewhere, Qt::IgnoreAction},
        {{"../other"}, {}, {}, elsewhere, Qt::IgnoreAction},
        {{stray}, {}, {stray}, {}, Qt::CopyAction},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.files.join(u' ').toStdString());
        a.reset(five, 1);
        a.modals.shown.clear();
        EXPECT_EQ(a.dropFiles(c.files, c.held), c.taken);
        EXPECT_EQ(a.modals.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(a.caption(), QStringLiteral("typing"));
        a.check(five + c.added, 1);
    }

    QStringList full;
    for (int i = 0; i < photoentry::maxEntries - 1; ++i)
        full.append(QStringLiteral("f%1.jpg").arg(i));
    a.reset(full, -1);
    a.modals.shown.clear();
    EXPECT_EQ(a.dropFiles({"b2.jpg", "b10.jpg"}), Qt::CopyAction);
    EXPECT_EQ(a.entries(), full + QStringList{"b2.jpg"});
    EXPECT_EQ(a.modals.texts(), QStringList({"写真リストに登録できるのは32767枚までです。\n1個のファイルは登録しませんでした。"}));

    // The window a file manager dropped on becomes the active one, so that
    // Ctrl+S saves the album rather than the file manager's view.
    QWidget fileManager;
    fileManager.show();
    fileManager.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fileManager));
    a.reset(five, 1);
    a.dropFiles({"b2.jpg"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == a.w.get(); }));
    // The sandbox cannot remove a name that is not UTF-8.
    std::remove(strayPath.constData());
}

TEST(ArrangePopUp, SortsByShotDateOrNameDeletesAndClearsAndUndoesIt)
{
    setenv("TZ", "JST-9", 1);
    tzset();
    Arranged a;
    QImage grey(16, 16, QImage::Format_RGB32);
    grey.fill(Qt::gray);
    const QByteArray jpeg = jpegs::encode(grey);
    ASSERT_TRUE(exifdates::writePhoto(a.dir + "/IMG_9.jpg", jpeg, "2023:05:01 10:00:00", "+09:00")); // 1:00 UTC
    ASSERT_TRUE(exifdates::writePhoto(a.dir + "/img_10.JPG", jpeg, "2023:05:01 03:00:00", "+00:00")); // 3:00
    ASSERT_TRUE(exifdates::writePhoto(a.dir + "/IMG_2.jpg", jpeg, "2023:05:01 11:30:00")); // 2:30 in Tokyo
    ASSERT_TRUE(exifdates::writePhoto(a.dir + "/IMG_1.jpg", jpeg, "")); // its file time, 2:00
    const time_t two = QDateTime(QDate(2023, 5, 1), QTime(2, 0), Qt::UTC).toSecsSinceEpoch();
    const utimbuf times{two, two};
    ASSERT_EQ(utime(QFile::encodeName(a.dir + "/IMG_1.jpg").constData(), &times), 0);

    // IMG_100.jpg is missing: it cannot be read and goes last.
    const QStringList entries = {"IMG_100.jpg,消えた", "img_10.JPG,ロンドン", "IMG_9.jpg,東京", "IMG_1.jpg", "IMG_2.jpg,地元"};
    const struct
    {
        const char *item;
        int row;
        QStringList after;
        int rowAfter, rowUndone;
    } cases[] = {
        {"sortdate", 4, {"IMG_9.jpg,東京", "IMG_1.jpg", "IMG_2.jpg,地元", "img_10.JPG,ロンドン", "IMG_100.jpg,消えた"}, 2, 4},
        {"sortname", 4, {"IMG_1.jpg", "IMG_2.jpg,地元", "IMG_9.jpg,東京", "img_10.JPG,ロンドン", "IMG_100.jpg,消えた"}, 1, 4},
        {"list1del", 2, {"IMG_100.jpg,消えた", "img_10.JPG,ロンドン", "IMG_1.jpg", "IMG_2.jpg,地元"}, 2, 3},
        {"list1del", 4, entries.first(4), -1, -1},
        {"zenclr", 1, {}, -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.item);
        a.reset(entries, c.row);
        // Nothing typed: typing would be stored as a step of its own first.
        a.w->Text1->setPlainText(photoentry::caption(entries[c.row]));
        a.modals.choose(QString::fromLatin1(c.item));
        a.rightClickList();
        EXPECT_EQ(a.caption(), photoentry::caption(c.rowAfter < 0 ? QString() : c.after[c.rowAfter]));
        a.check(c.after, c.rowAfter, c.rowUndone);
    }
    EXPECT_TRUE(a.modals.shown.isEmpty());

    QStringList menu;
    for (const QAction *item : a.w->listrclk->actions())
        menu.append(item->objectName());
    EXPECT_EQ(menu, QStringList({"list1del", "zenclr", "", "sortdate", "sortname", "", "list1can"}));
}

TEST(ArrangeUndo, RegisteringPhotosOrLoadingStartsANewHistory)
{
    const std::function<void(Arranged &)> others[] = {
        [](Arranged &a) { a.w->allselec(); },
        [](Arranged &a) {
            a.w->File1->item(0)->setSelected(true);
            QTest::mouseClick(a.w->Command3, Qt::LeftButton);
        },
        [](Arranged &a) { a.w->Command8_Click(); },
        [](Arranged &a) { a.w->Dir1->changeTo(a.box.folder(QStringLiteral("other"))); },
        // A project listing the very photos shown, in the order they now have.
        [](Arranged &a) {
            testkit::writeFile(a.dir + QStringLiteral("/album.txt"),
                               "kamerio,,0,,,0\r\nopt1\r\n\r\nindex.html\r\n"
                               + a.entries().join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
            a.modals.onFileDialog(testkit::pick(a.dir + QStringLiteral("/album.txt")));
            a.w->fload_Click();
        },
    };
    for (const auto &other : others) {
        Arranged a;
        a.reset(five, 0);
        a.listKey(Qt::Key_Down, Qt::AltModifier);
        other(a);
        const QStringList now = a.entries();
        a.listKey(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(a.entries(), now);
    }
}

TEST(ArrangeUndo, KeepsTheNewestStepsWithinItsCapacity)
{
    history::History h(3);
    for (int i = 0; i < 3; ++i)
        h.record(history::Move{i, i + 1});
    h.record(history::Splice{0, {"a", "b"}, {}});
    EXPECT_TRUE(h.undo() && h.undo());
    EXPECT_FALSE(h.undo());
    h.record(history::Splice{0, {"a", "b", "c", "d"}, {}});
    EXPECT_FALSE(h.redo());
    EXPECT_TRUE(h.undo());
    EXPECT_FALSE(h.undo());
}

} // namespace
