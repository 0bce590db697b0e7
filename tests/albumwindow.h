// The main window on a folder of photos, all of them registered, as the
// photo list's tests drive it, and what a user does there written as steps.
#pragma once

#include "testkit.h"

#include "album/previewer.h"
#include "album/recovery.h"
#include "app/main1.h"
#include "app/panes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

// The entries of the newest kept album.
inline QStringList kept()
{
    const QList<recovery::Listed> albums = recovery::list();
    return albums.isEmpty() ? QStringList() : recovery::load(albums[0].id).value_or(keptalbum::Kept()).album.entries;
}

// What a drag over the photo list and a drop at pos deliver; the action the
// drop was taken as.
inline Qt::DropAction dropOnList(const main1 &w, const QMimeData &data, QPoint pos, Qt::KeyboardModifiers held = {})
{
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, held);
    QApplication::sendEvent(w.List1->viewport(), &enter);
    QDropEvent dropped(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, held);
    QApplication::sendEvent(w.List1->viewport(), &dropped);
    // Files are registered once the drop has been taken.
    QCoreApplication::processEvents();
    return dropped.dropAction();
}

// The entry at row taken with the mouse, dragged over the list and dropped
// at pos.
inline void dragEntry(const main1 &w, int row, QPoint pos)
{
    QListWidget *list = w.List1;
    const QPoint start = list->visualItemRect(list->item(row)).center();
    const QPoint end = list->visualItemRect(list->item(list->count() - 1)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(list->viewport(), end);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, end);
    QMimeData data;
    data.setData(QStringLiteral("application/x-kamerio-entry"),
                 QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(row));
    dropOnList(w, data, pos);
}

// One thing a user does in the window, written as
//   "Alt+Down", "Return", "Ctrl+Shift+Z"  a key pressed where the focus is
//   "=text"                                text typed where the focus is
//   "@List1"                               the focus put on that control
//   "click:2"                              a click on the entry at row 2
//   "drag:2>5"                             the entry at row 2 dragged to land
//                                          before the one at row 5 (or after
//                                          the last, row 5 of 5)
//   "menu:sortname"                        the list's pop-up opened with a
//                                          right click, that item chosen;
//                                          "menu:" closes it with Escape
// The pop-up is answered by modals.
inline void act(main1 &w, testkit::Modals &modals, const QString &step)
{
    QListWidget *list = w.List1;
    const auto rowRect = [list](int row) { return list->visualItemRect(list->item(row)); };
    const QString arg = step.section(u':', 1);
    if (step.startsWith(u'=')) {
        QTest::keyClicks(QApplication::focusWidget(), step.mid(1));
    } else if (step.startsWith(u'@')) {
        w.findChild<QWidget *>(step.mid(1))->setFocus();
    } else if (step.startsWith(QStringLiteral("click:"))) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowRect(arg.toInt()).center());
    } else if (step.startsWith(QStringLiteral("drag:"))) {
        const int before = arg.section(u'>', 1).toInt();
        const QPoint at = before < list->count() ? rowRect(before).topLeft() + QPoint(5, 1)
                                                 : rowRect(list->count() - 1).bottomLeft() + QPoint(5, 4);
        dragEntry(w, arg.section(u'>', 0, 0).toInt(), at);
    } else if (step.startsWith(QStringLiteral("menu:"))) {
        if (!arg.isEmpty())
            modals.choose(arg);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rowRect(0).center());
    } else {
        const QKeyCombination k = QKeySequence::fromString(step, QKeySequence::PortableText)[0];
        EXPECT_NE(k.toCombined(), 0) << step.toStdString();
        QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
    }
}

// The window moved to a folder of the sandbox ("photos" unless another is
// named) holding the given files, all of them registered, shown and active
// so that keys go where the focus is.
struct AlbumWindow
{
    explicit AlbumWindow(const QStringList &names, const QString &folder = QStringLiteral("photos"))
    {
        dir = box.folder(folder);
        box.touch(dir, names);
        w = testkit::window();
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        w->Dir1->changeTo(dir);
        w->allselec();
    }

    QStringList entries() const { return itemTexts(w->List1); }

    int selected() const { return selectedRow(w->List1); }

    QString caption() const { return w->Text1->toPlainText(); }

    // Keys go to the focus, as a user's do.
    void key(Qt::Key k, Qt::KeyboardModifiers held = {}) const { QTest::keyClick(QApplication::focusWidget(), k, held); }
    void type(const QString &text) const { QTest::keyClicks(QApplication::focusWidget(), text); }

    void clickEntry(int row, Qt::MouseButton button = Qt::LeftButton) const
    {
        const QRect r = w->List1->visualItemRect(w->List1->item(row));
        QTest::mouseClick(w->List1->viewport(), button, {}, r.center());
    }

    void clickEntry(const QString &entry) const { clickEntry(entries().indexOf(entry)); }

    void rightClickList() const { clickEntry(0, Qt::RightButton); }

    // Waits until every picture asked for, shown or ahead, is decoded.
    bool settled() const
    {
        return QTest::qWaitFor([this] { return !w->findChild<Previewer *>()->busy(); });
    }

    // The preview once the decoding is over; null when there is no picture.
    QImage preview() const
    {
        EXPECT_TRUE(settled());
        return w->Image1->pixmap().toImage();
    }

    testkit::Sandbox box;
    QString dir;
    std::unique_ptr<main1> w;
};
