// The main window on a folder of photos, all of them registered, as the
// photo list's tests drive it.
#pragma once

#include "testkit.h"

#include "album/previewer.h"
#include "app/main1.h"
#include "app/panes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

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
