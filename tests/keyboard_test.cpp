// The main window from the keyboard alone: the tab order, the pop-up menus,
// the menu bar, and a whole album made without the mouse.
#include "testkit.h"

#include "app/main1.h"
#include "app/panes.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// The window in a sandbox folder holding a "photos" folder, shown and
// active so that keys go where the focus is.
class Keys : public ::testing::Test
{
protected:
    Keys()
    {
        photos = box.folder(QStringLiteral("work/photos"));
        box.touch(photos, {QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")});
        w = testkit::window();
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    // The control with the focus. On a desktop the window manager hands the
    // activation back to the window when a box or a menu closes; the
    // offscreen platform hands it to no window, so the test does.
    QWidget *focus() const
    {
        if (!QApplication::activeWindow()) {
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        }
        return QApplication::focusWidget();
    }

    // The named control that holds the focus (an editable combo box's line
    // edit counts as the combo box).
    QString focusName() const
    {
        QWidget *f = focus();
        while (f && f->objectName().isEmpty())
            f = f->parentWidget();
        return f ? f->objectName() : QString();
    }

    void key(Qt::Key k, Qt::KeyboardModifiers held = Qt::NoModifier) const { QTest::keyClick(focus(), k, held); }
    void type(const QString &ascii) const { QTest::keyClicks(focus(), ascii); }
    // Text as an input method hands it over, for what a keyboard has no key for.
    void compose(const QString &text) const
    {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(focus(), &e);
    }
    // Presses Tab until target has the focus.
    void tabTo(const QWidget *target) const
    {
        for (int i = 0; i < 60 && focus() != target; ++i)
            key(Qt::Key_Tab);
        ASSERT_EQ(focus(), target) << target->objectName().toStdString();
    }

    testkit::Sandbox box;
    QString photos;
    std::unique_ptr<main1> w;
    testkit::Modals modals;
};

} // namespace

TEST_F(Keys, TabGoesFromTheDirectoryPaneDownTheWindowRoundToItAgain)
{
    const QStringList ring = {"Dir1", "Text6", "Label1", "Option1", "Text5", "Drive1", "File1", "Command2",
        "Command3", "Command7", "Command5", "List1", "Text1", "Command6", "Command9", "Command12", "Command13", "Text2",
        "Combo1", "Check3", "Check2", "Text3", "Check1", "Command10", "Command11", "Text9", "Text4", "Check4",
        "Command8", "Command4", "Dir1"};
    QStringList visited{focusName()};
    for (qsizetype i = 1; i < ring.size(); ++i) {
        key(Qt::Key_Tab);
        visited.append(focusName());
    }
    EXPECT_EQ(visited, ring);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusName(), QStringLiteral("Command4"));
}

TEST_F(Keys, MenuKeyAndShiftF10OpenEachControlsPopUpAtIt)
{
    ASSERT_TRUE(w->Dir1->changeTo(photos));
    const struct
    {
        QWidget *control;
        Qt::Key key;
        Qt::KeyboardModifiers held;
        QMenu *menu;
    } cases[] = {
        {w->File1, Qt::Key_Menu, Qt::NoModifier, w->r1clk},
        {w->Dir1, Qt::Key_F10, Qt::ShiftModifier, w->dir1clk},
        {w->Label1, Qt::Key_Menu, Qt::NoModifier, w->rclkkijyu},
        {w->Label1, Qt::Key_F10, Qt::ShiftModifier, w->rclkkijyu},
        {w->File1, Qt::Key_F10, Qt::NoModifier, nullptr},
        {w->Dir1, Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier, nullptr},
    };
    QStringList expected;
    for (const auto &c : cases) {
        c.control->setFocus();
        key(c.key, c.held);
        if (!c.menu)
            continue;
        expected.append(c.menu->objectName());
        const QRect at(c.control->mapToGlobal(QPoint(0, 0)), c.control->size());
        EXPECT_TRUE(at.contains(c.menu->pos())) << c.control->objectName().toStdString();
    }
    EXPECT_EQ(modals.menusOpened, expected);
    EXPECT_TRUE(modals.shown.isEmpty());
}

TEST_F(Keys, AltLettersOpenTheMenusAndEscapeClosesTheManual)
{
    // A menu stays open until Escape, which leaves the menu bar highlighted;
    // a second Escape gives the focus back.
    for (const auto &[letter, menu] : {std::pair{Qt::Key_F, w->file}, {Qt::Key_H, w->about}, {Qt::Key_S, w->settei}, {Qt::Key_P, w->koukai}}) {
        key(letter, Qt::AltModifier);
        EXPECT_EQ(QApplication::activePopupWidget(), menu);
        QTest::keyClick(menu, Qt::Key_Escape);
        EXPECT_FALSE(menu->isVisible());
        key(Qt::Key_Escape);
        EXPECT_EQ(focus(), w->Dir1);
    }
    EXPECT_EQ(w->file->title(), QStringLiteral("ファイル"));
    EXPECT_EQ(w->about->title(), QStringLiteral("ソフト情報"));

    // Escape closes the usage manual as it closes the about box.
    w->syoukotu->trigger();
    auto *manual = w->findChild<QWidget *>(QStringLiteral("helper1"));
    ASSERT_TRUE(manual);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == manual; }));
    QTest::keyClick(manual->findChild<QPlainTextEdit *>(), Qt::Key_Escape);
    EXPECT_FALSE(manual->isVisible());
}

TEST_F(Keys, TheWholeJobWithTheKeyboardAlone)
{
    modals.answerWithEnter();
    // The dialogs take a name typed into them, or the one they propose.
    const auto typeName = [](const QString &name) {
        return [name](QFileDialog *d) {
            if (!name.isEmpty())
                QTest::keyClicks(d->focusWidget(), name);
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        };
    };

    // To the photo folder: down to it in the directory pane, Enter.
    ASSERT_EQ(focus(), w->Dir1);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    ASSERT_EQ(w->Label1->text(), photos);

    // Register every photo, then caption them: type, Enter, Enter.
    tabTo(w->Command2);
    key(Qt::Key_Space);
    tabTo(w->List1);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    compose(QStringLiteral("海辺にて"));
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    type(QStringLiteral("sunset"));
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    EXPECT_EQ(itemTexts(w->List1), QStringList({"p1.jpg,海辺にて", "p2.jpg,sunset"}));

    // Options: border, title, the second colour, back link, the screen preset.
    tabTo(w->Check1);
    key(Qt::Key_Space);
    tabTo(w->Text6);
    key(Qt::Key_A, Qt::ControlModifier);
    compose(QStringLiteral("夏の旅行"));
    tabTo(w->Option1);
    key(Qt::Key_Right);
    tabTo(w->Text9);
    key(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("http://example.jp/"));
    tabTo(w->Command10);
    key(Qt::Key_Space);
    ASSERT_EQ(focus(), w->Command4);

    // Generate, save under the proposed name, spoil the list, load it back.
    key(Qt::Key_Return);
    modals.onFileDialog(typeName(QString()));
    key(Qt::Key_S, Qt::ControlModifier);
    tabTo(w->List1);
    key(Qt::Key_Down);
    key(Qt::Key_Delete);
    EXPECT_EQ(w->List1->count(), 1);
    modals.onFileDialog(typeName(QStringLiteral("index.txt")));
    key(Qt::Key_O, Qt::ControlModifier);

    EXPECT_EQ(modals.texts(), QStringList({"作成しました。", "書込み完了", "読込み完了"}));
    EXPECT_EQ(itemTexts(w->List1), QStringList({"p1.jpg,海辺にて", "p2.jpg,sunset"}));
    EXPECT_EQ(w->Text6->text(), QStringLiteral("夏の旅行"));
    EXPECT_TRUE(w->Option2->isChecked());
    EXPECT_EQ(checkValue(w->Check1), 1);
    EXPECT_EQ(checkValue(w->Check2), 1);
    EXPECT_EQ(w->Text9->text(), QStringLiteral("http://example.jp/"));
    const QByteArray page = testkit::bytes(photos + QStringLiteral("/index.html"));
    for (const QString &text : {QStringLiteral("海辺にて"), QStringLiteral("sunset"), QStringLiteral("夏の旅行"),
             QStringLiteral("http://example.jp/"), QStringLiteral("#84FFFF")})
        EXPECT_TRUE(page.contains(cp932::encode(text, cp932::Unmappable::Report))) << text.toStdString();
    EXPECT_TRUE(testkit::bytes(photos + QStringLiteral("/index.txt")).startsWith("kamerio,"));
}
