// The kept albums as the tests look at them, and the restore window driven
// from the keyboard as a user drives it.
#pragma once

#include "testkit.h"

#include "album/recovery.h"
#include "app/main1.h"

#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

// The file of the kept album id.
inline QString keptPath(const QString &id)
{
    return recovery::folder() + u'/' + id + QStringLiteral(".txt");
}

// The entries of every kept album, newest first.
inline QList<QStringList> keptEntries()
{
    QList<QStringList> out;
    for (const recovery::Listed &l : recovery::list())
        out.append(recovery::load(l.id).value_or(keptalbum::Kept()).album.entries);
    return out;
}

// Every entry of every kept album, one a line.
inline QString keptText()
{
    QStringList lines;
    for (const QStringList &entries : keptEntries())
        lines += entries;
    return lines.join(u'\n');
}

// 前回の作業を復元, then the album in that row of its window chosen with the
// arrow keys and Enter.
inline void restoreRow(testkit::Modals &modals, main1 &w, int row)
{
    modals.onWindow(QStringLiteral("frestorewin"), [row](QWidget *win) {
        auto *list = win->findChild<QTreeWidget *>(QStringLiteral("albumlist"));
        list->setFocus();
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    w.frestore->trigger();
}

// Registers caption for the entry in row as a user does: the entry chosen,
// Enter, the caption typed over what the box holds, Enter, Enter.
inline void registerCaption(main1 &w, int row, const QString &caption)
{
    w.List1->setCurrentRow(row);
    w.List1->setFocus();
    QTest::keyClick(w.List1, Qt::Key_Return);
    QTest::keyClick(w.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.Text1, caption);
    QTest::keyClick(w.Text1, Qt::Key_Return);
    QTest::keyClick(w.Command7, Qt::Key_Return);
}
