// kamerio make against the window: the same project files give the same
// pages byte for byte, the same messages and the exit statuses of the
// command line; and the program itself runs it with no display at all.
#include "testkit.h"

#include "app/main1.h"
#include "album/photoentry.h"
#include "app/panes.h"
#include "cli/make.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

QStringList photos(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("p%1.jpg,写真 %1<br>\U0001F30A").arg(i);
    return out;
}

// A project file as the program writes one.
QByteArray project(const QString &pageName, const QStringList &entries)
{
    album::Album a;
    a.title = QStringLiteral("夏の旅行");
    a.backLink = QStringLiteral("http://example.jp/~me/");
    a.background = 3;
    a.border = 1;
    a.widthFlag = 1;
    a.pageName = pageName;
    a.entries = entries;
    return cp932::encodeLines(projectfile::write(QStringLiteral("/elsewhere"), a), cp932::Unmappable::Report);
}

struct Case
{
    const char *name;
    QByteArray file;
    bool split = false;
    std::optional<int> width;
    int status = 0;
};

const Case cases[] = {
    {"one page", project(QStringLiteral("index.html"), photos(3)), false, std::nullopt, 0},
    {"forty-one photos split", project(QStringLiteral("index.html"), photos(41)), true, 360},
    {"print width", project(QStringLiteral("indexp.html"), photos(6)), false, 360},
    {"no page name, split", project(QString(), photos(41)), true, std::nullopt, cli::pagesStatus},
    {"a page named like a photo", project(QStringLiteral("p2.jpg"), photos(2)), false, std::nullopt,
     cli::pagesStatus},
    {"empty album", project(QStringLiteral("index.html"), {}), false, std::nullopt, cli::pagesStatus},
    {"not a project", QByteArray("hello\r\n"), false, std::nullopt, cli::usageStatus},
};

// The files of a folder with their bytes, the project file left out.
std::map<QString, QByteArray> filesIn(const QString &folder)
{
    std::map<QString, QByteArray> out;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        if (name != QLatin1String("album.txt"))
            out[name] = testkit::bytes(folder + u'/' + name);
    return out;
}

} // namespace

TEST(MakeCommand, WritesWhatTheDetailButtonWritesAndSaysWhatTheWindowSays)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testkit::Sandbox box;
        const QString byWindow = box.folder(QStringLiteral("window"));
        const QString byCommand = box.folder(QStringLiteral("command"));
        for (const QString &folder : {byWindow, byCommand})
            testkit::writeFile(folder + QStringLiteral("/album.txt"), c.file);

        auto w = testkit::window();
        testkit::Modals modals;
        w->Dir1->setPath(byWindow);
        modals.onFileDialog(testkit::pick(byWindow + QStringLiteral("/album.txt")));
        w->fload->trigger();
        if (c.split)
            setCheckValue(w->Check4, 1);
        if (c.width)
            w->Text3->setText(QString::number(*c.width));
        QTest::mouseClick(w->Command4, Qt::LeftButton);

        cli::MakeArgs args;
        args.project = byCommand + QStringLiteral("/album.txt");
        args.outDir = byCommand;
        args.split = c.split;
        args.width = c.width;
        const cli::Reply reply = cli::make(args);

        EXPECT_EQ(filesIn(byCommand), filesIn(byWindow));
        QStringList pages;
        for (const auto &[name, bytes] : filesIn(byCommand))
            pages << byCommand + u'/' + name;
        EXPECT_EQ(reply.out, pages.isEmpty() ? QString() : pages.join(u'\n') + u'\n');
        QStringList said = modals.texts();
        // A file that is no project ends the command there; the window goes on.
        if (const qsizetype refused = said.indexOf(projectfile::notProject); refused >= 0)
            said = said.first(refused + 1);
        said.removeAll(projectfile::otherFolder);
        said.removeAll(QStringLiteral("作成しました。"));
        EXPECT_EQ(reply.err, said.isEmpty() ? QString() : said.join(u'\n') + u'\n');
        EXPECT_EQ(reply.status, c.status);
    }
}

TEST(MakeCommand, RunsWithNoDisplay)
{
    testkit::Sandbox box;
    const QString folder = box.folder(QStringLiteral("photos"));
    testkit::writeFile(folder + QStringLiteral("/album.txt"), project(QStringLiteral("index.html"), photos(21)));
    for (const QString &entry : photos(21))
        box.touch(folder, {photoentry::fileName(entry)});
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(KAMERIO_PROGRAM), {QStringLiteral("make"), folder + QStringLiteral("/album.txt"),
                                                QStringLiteral("--split")});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardOutput()),
              folder + QStringLiteral("/index1.html\n") + folder + QStringLiteral("/index2.html\n"));
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()), QStringLiteral("読込み完了\n"));
}

// The window with no display to open on says so, names the command that
// needs none and ends with 1, never with Qt's abort: with no display at all,
// with one named that nothing answers on, and with a platform asked for
// that cannot be reached.
TEST(WindowCommand, NoDisplayIsToldInJapanese)
{
    testkit::Sandbox box;
    const QString missing = QStringLiteral(
        "kamerio: 画面が見つかりません（X サーバーにも Wayland にも接続できませんでした）。\n"
        "ウィンドウなしでページを作るには「kamerio make」を使ってください（使い方は「kamerio --help」で表示できます）。\n");
    const struct
    {
        const char *display;
        const char *wayland;
        const char *platform;
    } cases[] = {
        {nullptr, nullptr, nullptr},
        {":99", nullptr, nullptr},
        {nullptr, "wayland-99", nullptr},
        {":99", nullptr, "xcb"},
        {nullptr, nullptr, "wayland;xcb"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.display ? c.display : "-") + " " + (c.wayland ? c.wayland : "-") + " "
                     + (c.platform ? c.platform : "-"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // An empty runtime folder: no Wayland session of the machine's is found.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), box.folder(QStringLiteral("runtime")));
        for (const auto &[name, value] : {std::pair{"DISPLAY", c.display}, {"WAYLAND_DISPLAY", c.wayland},
                 {"QT_QPA_PLATFORM", c.platform}}) {
            env.remove(QLatin1String(name));
            if (value)
                env.insert(QLatin1String(name), QLatin1String(value));
        }
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(QStringLiteral(KAMERIO_PROGRAM), QStringList());
        if (!run.waitForFinished(30000)) {
            run.kill();
            run.waitForFinished();
            ADD_FAILURE() << "the window opened";
            continue;
        }
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), 1);
        EXPECT_EQ(run.readAllStandardOutput(), QByteArray());
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()), missing);
    }
}
