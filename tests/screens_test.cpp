#include "testkit.h"

#include "app/dirs.h"
#include "app/main1.h"
#include "app/opener.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "html/about.h"
#include "screens/appicon.h"
#include "screens/browselogic.h"
#include "screens/frmabt.h"
#include "screens/help1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Stands in for the browser: records every address and answers as told.
struct Browser
{
    Browser()
    {
        opener::set([this](const QUrl &url, const opener::Failed &) {
            opened.append(url);
            return works;
        });
    }
    ~Browser() { opener::set(nullptr); }
    QList<QUrl> opened;
    bool works = true;
};

std::unique_ptr<main1> shownWindow()
{
    auto w = testkit::window();
    w->show();
    return w;
}

void doubleClickFile(main1 &w, const QString &name)
{
    const QList<QListWidgetItem *> found = w.File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    w.File1->scrollToItem(found.front());
    const QPoint at = w.File1->visualItemRect(found.front()).center();
    // The press of a real double-click's first click comes before it.
    QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.File1->viewport(), Qt::LeftButton, {}, at);
}

// Lets windows closed with WA_DeleteOnClose go away.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

frmabt *openAbout(main1 &w)
{
    w.jyouhou->trigger();
    return w.findChild<frmabt *>();
}

} // namespace

TEST(PageAddress, PagesAreNamesEndingInHtmlOrHtm)
{
    for (const char *page : {"a.html", "b.HTM", "c.shtml", "D.HtMl", "/x/y.htm"})
        EXPECT_TRUE(browselogic::isPage(QString::fromLatin1(page))) << page;
    for (const char *other : {"a.jpg", "b.txt", "c.html.bak", "html/", "", "ht"})
        EXPECT_FALSE(browselogic::isPage(QString::fromLatin1(other))) << other;
}

TEST(PageAddress, FileAddressesKeepTheExactName)
{
    for (const QString &p : {QStringLiteral("/tmp/写真 #1?.html"), QStringLiteral("/index.html")})
        EXPECT_EQ(browselogic::fileUrl(p), QUrl::fromLocalFile(p));
    // A name that is not UTF-8 reaches the browser as its own bytes.
    const QString odd = QStringLiteral("/tmp/a") + QChar(0xDCFF) + QStringLiteral(".html");
    EXPECT_EQ(browselogic::fileUrl(odd).toEncoded(), QByteArray("file:///tmp/a%FF.html"));
}

TEST(BrowserPreview, FilePaneOpensOnlyPagesWithOneSeparator)
{
    testkit::Sandbox box;
    Browser browser;
    const QString dir = box.folder(QStringLiteral("site"));
    const QStringList pages{QStringLiteral("a.html"), QStringLiteral("b.HTM"), QStringLiteral("c.shtml")};
    const QStringList others{QStringLiteral("d.jpg"), QStringLiteral("e.txt"), QStringLiteral("f.html.bak")};
    box.touch(dir, pages + others);
    auto w = shownWindow();
    ASSERT_TRUE(w->Dir1->changeTo(dir));

    for (const QString &name : others + pages)
        doubleClickFile(*w, name);
    QList<QUrl> expected;
    for (const QString &name : pages)
        expected.append(QUrl::fromLocalFile(dir + u'/' + name));
    EXPECT_EQ(browser.opened, expected);

    // Every double-click is a window of its own.
    doubleClickFile(*w, QStringLiteral("a.html"));
    doubleClickFile(*w, QStringLiteral("a.html"));
    EXPECT_EQ(browser.opened.size(), 5);
    EXPECT_EQ(browser.opened.back(), expected.front());
}

TEST(BrowserPreview, FilePaneAtTheRootKeepsASingleSeparator)
{
    testkit::Sandbox box;
    Browser browser;
    auto w = shownWindow();
    ASSERT_TRUE(w->Dir1->changeTo(QStringLiteral("/")));
    w->File1->addItem(QStringLiteral("index.html"));
    doubleClickFile(*w, QStringLiteral("index.html"));
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened.front().toString(), QStringLiteral("file:///index.html"));
}

TEST(BrowserPreview, FilePaneOpensANameThatIsNotUtf8)
{
    testkit::Sandbox box;
    Browser browser;
    const QString dir = box.folder(QStringLiteral("odd"));
    const QByteArray raw = fsname::encode(dir) + "/\xff.html";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    auto w = shownWindow();
    ASSERT_TRUE(w->Dir1->changeTo(dir));
    ASSERT_EQ(w->File1->count(), 1);
    doubleClickFile(*w, w->File1->item(0)->text());
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened.front().toEncoded(), "file://" + fsname::encode(dir).toPercentEncoding("/") + "/%FF.html");
}

TEST(BrowserPreview, ABrowserThatWillNotStartIsReported)
{
    testkit::Sandbox box;
    Browser browser;
    browser.works = false;
    const QString dir = box.folder(QStringLiteral("site"));
    box.touch(dir, {QStringLiteral("index.html")});
    auto w = shownWindow();
    ASSERT_TRUE(w->Dir1->changeTo(dir));
    testkit::Modals modals;
    doubleClickFile(*w, QStringLiteral("index.html"));
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, QStringLiteral("ブラウザを起動できませんでした。\n") + dir + QStringLiteral("/index.html"));
    EXPECT_EQ(modals.shown[0].title, QStringLiteral("KAMERIO"));
}

TEST(BrowserPreview, PreviewImageOpensThePhotoOnceOneIsShown)
{
    testkit::Sandbox box;
    Browser browser;
    const QString dir = box.folder(QStringLiteral("写真"));
    box.touch(dir, {QStringLiteral("p 1.jpg"), QStringLiteral("p2.jpg")});
    auto w = shownWindow();
    ASSERT_TRUE(w->Dir1->changeTo(dir));
    QTest::mouseDClick(w->Image1, Qt::LeftButton);
    EXPECT_TRUE(browser.opened.isEmpty());

    QTest::mouseClick(w->Command2, Qt::LeftButton);
    ASSERT_EQ(w->List1->count(), 2);
    w->List1->setCurrentRow(0);
    QTest::mouseDClick(w->Image1, Qt::LeftButton);
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened.front(), QUrl::fromLocalFile(dir + QStringLiteral("/p 1.jpg")));
}

TEST(BrowserPreview, ExampleLabelsFillTheirAddresses)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    w->Option4->setChecked(true);
    w->Text5->setText(QStringLiteral("http://old/"));
    QTest::mouseDClick(w->Label16, Qt::LeftButton);
    EXPECT_EQ(w->Text5->text(), about::exampleBackground);
    EXPECT_TRUE(w->Text5->text().endsWith(QStringLiteral(".gif")));
    EXPECT_TRUE(w->Option9->isChecked());
    EXPECT_FALSE(w->Option4->isChecked());

    w->Option4->setChecked(true);
    w->Text9->setText(QStringLiteral("http://old/"));
    QTest::mouseDClick(w->Label25, Qt::LeftButton);
    EXPECT_EQ(w->Text9->text(), about::homePage);
    EXPECT_TRUE(w->Option4->isChecked());
    EXPECT_EQ(w->Text5->text(), about::exampleBackground);
}

TEST(AboutBox, HomePageButtonAsksFirst)
{
    testkit::Sandbox box;
    Browser browser;
    auto w = shownWindow();
    frmabt *dlg = openAbout(*w);
    ASSERT_NE(dlg, nullptr);
    testkit::Modals modals;

    modals.answer(QMessageBox::No);
    dlg->Command1->click();
    EXPECT_TRUE(browser.opened.isEmpty());
    ASSERT_EQ(modals.shown.size(), 1);
    EXPECT_EQ(modals.shown[0].text, QStringLiteral("\nインターネットに接続していますか？\n"));
    EXPECT_EQ(modals.shown[0].title, QStringLiteral("インターネット接続"));
    EXPECT_EQ(modals.shown[0].icon, QMessageBox::Warning);
    EXPECT_EQ(modals.shown[0].buttons.size(), 2);

    modals.answer(QMessageBox::Yes);
    dlg->Command1->click();
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(about::homePage)});
    EXPECT_EQ(modals.shown.size(), 2);

    browser.works = false;
    modals.answer(QMessageBox::Yes);
    dlg->sakusya();
    ASSERT_EQ(modals.shown.size(), 4);
    EXPECT_EQ(modals.shown[3].text, QStringLiteral("ブラウザを起動できませんでした。\n") + about::homePage);
}

TEST(Help, QuickTipIsAPlainNotice)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    testkit::Modals modals;
    w->easykotu->trigger();
    ASSERT_EQ(modals.shown.size(), 1);
    const testkit::Shown &s = modals.shown[0];
    EXPECT_EQ(s.text, QStringLiteral("写真リストにて、一番上を選択し改行します。それから説明文を入れて改行。登録ボタンに移ります。また改行で次の写真リストに移り、説明文を入力。と改行を繰り返してください。ＨＰに画像を載せる場合は、あらかじめ480×360にしておくと良いでしょう。"));
    EXPECT_EQ(s.title, QStringLiteral("KAMERIO"));
    EXPECT_EQ(s.icon, QMessageBox::NoIcon);
    EXPECT_EQ(s.buttons.size(), 1);
}

TEST(Help, ManualShowsItsFifteenLinesInOneWindow)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    w->syoukotu->trigger();
    auto *manual = w->findChild<helper1 *>();
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isVisible());
    EXPECT_TRUE(manual->isWindow());
    EXPECT_EQ(manual->objectName(), QStringLiteral("helper1"));
    EXPECT_EQ(manual->windowTitle(), QStringLiteral("簡単操作マニュアル"));
    EXPECT_EQ(manual->Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(manual->Text1->toPlainText(),
              QStringLiteral("①画像の入っているフォルダーまで移動します。\n"
                             "②リスト登録の全ファイル選択ボタンを押します。\n"
                             "③写真リストの中のファイルを選択後､画面説明文を入力しEnterキーを押します。\n"
                             "④説明文登録ﾎﾞﾀﾝに飛ぶのでEnterキーを押します。\n"
                             "⑤リストが１つ進むのでまた、説明文を入力します。\n"
                             "⑥説明文を入力後Enterキーを押すと、④からの作業の繰り返しになります。\n"
                             "⑦全ての説明文が入力し終わったら、右下の「html作成」ボタンを押して､htmlファイルを作成します。\n"
                             "⑧後で修正したいときのために、左上のファイルを選択し、ファイル保存しておくと、また後で修正も楽になります。\n"
                             "注：htmlファイルの直接編集は、不可です。Ｋａｍｅｒｉｏにてファイル保存したファイルのみ編集可能です。\n"
                             "●１度に作るファイル数は、20個位までが良いです\n"
                             "●写真リストを右クリックすると、選択削除できます\n"
                             "●写真リストにて沢山ファイル選択削除した場合、FTP転送時にまたファイルの選択は面倒です。\n"
                             "　そういう場合は、「写真ﾘｽﾄﾌｧｲﾙｺﾋﾟｰ」ボタンを押すとtmpﾌｫﾙﾀﾞを作成しﾌｧｲﾙｺﾋﾟｰしてくれます。\n"
                             "●画像ファイルは、あらかじめツール等で小さくしておくと良いです。\n"
                             "●薄黄色の所では右クリックするといろいろな事ができます。\n"));
    // The main window stays usable while the manual is open.
    EXPECT_FALSE(manual->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    w->syoukotu->trigger();
    EXPECT_EQ(w->findChild<helper1 *>(), manual);
    EXPECT_EQ(w->findChildren<helper1 *>().size(), 1);

    // Once closed, the next request builds it afresh.
    manual->close();
    settle();
    EXPECT_EQ(w->findChild<helper1 *>(), nullptr);
    w->syoukotu->trigger();
    ASSERT_NE(w->findChild<helper1 *>(), nullptr);
    EXPECT_TRUE(w->findChild<helper1 *>()->isVisible());

    // It opens over the main window, wherever that stands.
    for (const QPoint at : {QPoint(27, 27), QPoint(300, 120), QPoint(0, 0)}) {
        w->findChild<helper1 *>()->close();
        settle();
        w->move(at);
        w->syoukotu->trigger();
        manual = w->findChild<helper1 *>();
        ASSERT_NE(manual, nullptr);
        const QPoint off = manual->geometry().center() - w->geometry().center();
        EXPECT_LE(off.manhattanLength(), 8) << at.x() << "," << at.y();
    }
}

TEST(AboutBox, ShowsTheProgramAndItsMaker)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    frmabt *dlg = openAbout(*w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(dlg->objectName(), QStringLiteral("frmabt"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(dlg->lblTitle->text(), QStringLiteral("Ｋａｍｅｒｉｏ"));
    EXPECT_EQ(dlg->exename->text(), QStringLiteral("(kamerio)"));
    EXPECT_EQ(dlg->lblVersion->text(), QStringLiteral("Ver 1.34  (2004/12/28)"));
    const QStringList description = dlg->lblDescription->text().split(u'\n');
    ASSERT_EQ(description.size(), 7);
    EXPECT_EQ(description.mid(0, 5), (QStringList{QStringLiteral("簡単・写真ＨＰ作成ツール"),
                                                  QStringLiteral("自分の写真ＨＰを頻繁にアップデートする方へ。"),
                                                  QStringLiteral("その写真ＨＰ（ｈｔｍｌファイル）を簡単に"),
                                                  QStringLiteral("作成するのに､大変便利なソフトです"), QString()}));
    EXPECT_FALSE(description[5].isEmpty());
    EXPECT_FALSE(description[6].isEmpty());
    EXPECT_EQ(dlg->Text1->toPlainText(), QStringLiteral("ホームページ：\n") + about::homePage
                                             + QStringLiteral("\nEメール：\n") + about::mail);
    EXPECT_EQ(dlg->findChildren<QFrame *>(QStringLiteral("Line1")).size(), 2);
    EXPECT_EQ(dlg->Command1->text(), QStringLiteral("作者HP"));
    EXPECT_EQ(dlg->cmdOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dlg->cmdOK->isDefault());
    EXPECT_FALSE(dlg->picIcon->pixmap().isNull());

    w->jyouhou->trigger();
    EXPECT_EQ(w->findChild<frmabt *>(), dlg);
    EXPECT_EQ(w->findChildren<frmabt *>().size(), 1);

    dlg->cmdOK->click();
    settle();
    EXPECT_EQ(w->findChild<frmabt *>(), nullptr);
}

TEST(AboutBox, EnterAndEscapeCloseIt)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        frmabt *dlg = openAbout(*w);
        ASSERT_NE(dlg, nullptr);
        // From the contact box as well as from the buttons.
        QTest::keyClick(dlg->Text1, key);
        settle();
        EXPECT_EQ(w->findChild<frmabt *>(), nullptr) << key;
    }
}

TEST(Help, ClosingTheMainWindowClosesManualAndAboutBox)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    w->syoukotu->trigger();
    w->jyouhou->trigger();
    ASSERT_NE(w->findChild<helper1 *>(), nullptr);
    ASSERT_NE(w->findChild<frmabt *>(), nullptr);
    EXPECT_TRUE(w->close());
    settle();
    EXPECT_EQ(w->findChild<helper1 *>(), nullptr);
    EXPECT_EQ(w->findChild<frmabt *>(), nullptr);
}

TEST(DesktopProgram, WindowsCarryTheProgramIcon)
{
    testkit::Sandbox box;
    auto w = shownWindow();
    EXPECT_FALSE(w->windowIcon().pixmap(32, 32).isNull());
    w->syoukotu->trigger();
    EXPECT_FALSE(w->findChild<helper1 *>()->windowIcon().pixmap(32, 32).isNull());
}

// Every image plug-in installed is loaded when a reader is left to guess a
// format; the icon is read before the window shows, where that cost is felt.
TEST(DesktopProgram, ProgramIconIsReadWithoutTheImagePlugins)
{
    const auto pluginsMapped = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
    };
    ASSERT_FALSE(pluginsMapped());
    const QIcon icon = appicon::icon();
    EXPECT_FALSE(pluginsMapped());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{32, 32}, {48, 48}, {256, 256}}));
}
