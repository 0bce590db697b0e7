// Runs that meet on one album's web folder, and the way back for copies a
// lost or damaged list of copies disowned: two processes taking turns, the
// list merged rather than overwritten, a damaged list told and its copies
// taken back with the user's consent only, and an album in a folder whose
// name is not UTF-8.
#include "jpegs.h"
#include "testkit.h"

#include "app/main1.h"
#include "app/panes.h"
#include "cli/make.h"
#include "fileops/fsname.h"
#include "fileops/safefile.h"
#include "html/engine.h"
#include "project/projectfile.h"
#include "textio/cp932.h"
#include "web/ledger.h"
#include "web/runlock.h"
#include "web/webcopy.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QFileInfo>
#include <QMenu>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using webcopy::Outcome;

const QByteArray jpeg = jpegs::encode(jpegs::photoLike(320, 240));

QStringList photoNames(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("p%1.jpg").arg(i);
    return out;
}

// Raw file access, so that names that are not UTF-8 work too.
void put(const QString &path, const QByteArray &bytes)
{
    const int fd = open(fsname::encode(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    close(fd);
}

bool exists(const QString &path)
{
    struct stat st;
    return lstat(fsname::encode(path).constData(), &st) == 0;
}

struct WebRuns : ::testing::Test
{
    testkit::Sandbox box;
    QString album = box.folder(QStringLiteral("album"));
    QString web = fsname::join(album, webcopy::folderName);
    QString ledger = fsname::join(web, QLatin1String(webcopy::ledgerFile));

    ~WebRuns() override
    {
        // The temporary folder's own clean-up cannot reach names that are not UTF-8.
        const auto removeOne = [](const char *path, const struct stat *, int, FTW *) { return remove(path), 0; };
        nftw(fsname::encode(box.path()).constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    }
    void photos(const QString &folder, const QStringList &names) const
    {
        for (const QString &name : names)
            put(fsname::join(folder, name), jpeg);
    }
    // The photos the list of copies knows.
    QStringList listed() const
    {
        webcopy::Records records;
        EXPECT_TRUE(webcopy::readLedger(testkit::bytes(ledger), records));
        QStringList names;
        for (const QByteArray &name : records.uniqueKeys())
            names << QString::fromUtf8(name);
        names.sort();
        return names;
    }
    static std::vector<Outcome> outcomes(const webcopy::Result &r)
    {
        std::vector<Outcome> out;
        for (const webcopy::Photo &p : r.photos)
            out.push_back(p.outcome);
        return out;
    }
    static album::Album albumOf(const QStringList &names)
    {
        album::Album a;
        a.entries = names;
        a.pageName = QStringLiteral("index.html");
        return a;
    }
};

} // namespace

TEST_F(WebRuns, TheWindowAndMakeWebOnOneFolderTakeTurns)
{
    QStringList names = photoNames(60);
    photos(album, names);
    names.sort();
    testkit::writeFile(album + QStringLiteral("/album.txt"),
                       cp932::encodeLines(projectfile::write(album, albumOf(names)), cp932::Unmappable::Report));
    // The command line finds the folder busy and says so while it waits.
    QString why;
    auto held = webcopy::RunLock::acquire(fsname::encode(album), {}, nullptr, &why);
    ASSERT_TRUE(held) << why.toStdString();
    QProcess make;
    make.start(QStringLiteral(KAMERIO_PROGRAM),
               {QStringLiteral("make"), album + QStringLiteral("/album.txt"), QStringLiteral("--web=1024")});
    QByteArray said;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        make.waitForReadyRead(50);
        said += make.readAllStandardError();
        return said.contains('\n');
    }, 20000));
    EXPECT_EQ(QString::fromUtf8(said), webcopy::waitingLine + u'\n');
    EXPECT_FALSE(exists(album + QStringLiteral("/index.html")));

    held.reset();
    const engine::Report byWindow = engine::generate(albumOf(names), album, {1024});
    ASSERT_TRUE(make.waitForFinished(60000));
    EXPECT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    ASSERT_TRUE(byWindow.web);
    EXPECT_EQ(byWindow.web->copied().size(), 60);
    EXPECT_EQ(engine::webReport(byWindow), QString());
    EXPECT_EQ(listed(), names);
    EXPECT_EQ(outcomes(webcopy::update(album, names, 1024)), std::vector(60, Outcome::UpToDate));
}

TEST_F(WebRuns, AListIsMergedNeverOverwrittenFromAStaleView)
{
    photos(album, {"a.jpg", "b.jpg"});
    ASSERT_EQ(mkdir(fsname::encode(web).constData(), 0777), 0);
    // Two runs read the list before either wrote to it.
    webcopy::Ledger first(fsname::encode(web));
    webcopy::Ledger second(fsname::encode(web));
    int error = 0;
    for (const auto &[run, name] : {std::pair{&second, "b.jpg"}, std::pair{&first, "a.jpg"}}) {
        put(fsname::join(web, QLatin1String(name)), name);
        struct stat st;
        ASSERT_EQ(stat(fsname::encode(fsname::join(web, QLatin1String(name))).constData(), &st), 0);
        ASSERT_TRUE(run->add(name, {webcopy::stampOf(st), {1, 2}, 1024, webcopy::contentHash(name)}, &error));
        run->tidy();
    }
    EXPECT_EQ(listed(), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(WebRuns, ADamagedListIsToldAndItsCopiesAreTakenBackOnlyAsTheyWere)
{
    const QString garbled =
        QStringLiteral("web の縮小写真の記録（.kamerio-copies）が壊れていたため、読めませんでした。\n");
    const struct
    {
        const char *name;
        std::function<void(const QString &)> damage;
        QString note;
    } cases[] = {
        {"garbage", [](const QString &p) { put(p, "\x00\xff garbage"); }, garbled},
        {"emptied", [](const QString &p) { put(p, ""); }, garbled},
        {"lost", [](const QString &p) { unlink(fsname::encode(p).constData()); }, {}},
        {"past 64 MiB",
         [](const QString &p) {
             put(p, "kamerio web copies 1\n");
             ASSERT_EQ(truncate(fsname::encode(p).constData(), (qint64(64) << 20) + 1), 0);
         },
         QStringLiteral("web の縮小写真の記録（.kamerio-copies）が 64 MiB を超えていたため、"
                        "壊れているものとして扱いました。\n")},
    };
    const QStringList names = {"a.jpg", "b.jpg", "c.jpg"};
    photos(album, names);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(webcopy::update(album, names, 1024).copied().size(), 3);
        c.damage(ledger);
        const webcopy::Result r = webcopy::update(album, names, 1024);
        EXPECT_EQ(outcomes(r), std::vector(3, Outcome::Foreign));
        EXPECT_EQ(webcopy::report(r),
                  c.note + "次の写真は Web 用の縮小写真を作れませんでした（ページには元の写真をそのまま載せます）。\n"
                           "a.jpg（web に同じ名前の別のﾌｧｲﾙがあります）\n"
                           "b.jpg（web に同じ名前の別のﾌｧｲﾙがあります）\n"
                           "c.jpg（web に同じ名前の別のﾌｧｲﾙがあります）\n"
                      + webcopy::remakeHint);

        // The user changes one file after it was listed: that one stays.
        const std::vector<webcopy::Disowned> found = webcopy::disowned(album, names + QStringList{"gone.jpg"});
        ASSERT_EQ(found.size(), 3u);
        put(fsname::join(web, "b.jpg"), "the user's own file");
        const webcopy::Result remade = webcopy::remake(album, found, 1024);
        EXPECT_EQ(outcomes(remade), (std::vector{Outcome::Made, Outcome::Foreign, Outcome::Made}));
        EXPECT_EQ(testkit::bytes(fsname::join(web, "b.jpg")), "the user's own file");
        EXPECT_EQ(outcomes(webcopy::update(album, names, 1024)),
                  (std::vector{Outcome::UpToDate, Outcome::Foreign, Outcome::UpToDate}));
        EXPECT_LT(QFileInfo(ledger).size(), 4096);
        unlink(fsname::encode(fsname::join(web, "b.jpg")).constData());
    }
}

TEST_F(WebRuns, TheSettingsMenuRemakesDisownedCopiesWhenTheUserSaysYes)
{
    const QStringList names = {"a.jpg", "b.jpg", "c.jpg"};
    photos(album, names);
    auto w = testkit::window();
    testkit::Modals modals;
    w->Dir1->changeTo(album);
    w->allselec();
    w->webphoto->trigger();
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    ASSERT_EQ(modals.texts(), QStringList{"作成しました。"});
    EXPECT_EQ(w->settei->actions().last(), w->webremake);

    put(ledger, "garbage");
    put(fsname::join(web, "c.jpg"), "the user's own file");
    const QByteArray copyOfA = testkit::bytes(fsname::join(web, "a.jpg"));
    const QString question =
        QStringLiteral("web の縮小写真の記録（.kamerio-copies）が壊れていたため、読めませんでした。\n"
                       "次のﾌｧｲﾙは web にありますが、Kamerio が作った縮小写真の記録にありません。\n"
                       "a.jpg\nb.jpg\nc.jpg\n\n"
                       "これらを Web 用の縮小写真として作り直しますか？\n（今あるﾌｧｲﾙは新しい縮小写真で置き換えます）");
    modals.answer(QMessageBox::No);
    w->webremake->trigger();
    EXPECT_EQ(modals.texts().mid(1), QStringList{question});
    EXPECT_EQ(testkit::bytes(ledger), "garbage");
    EXPECT_EQ(testkit::bytes(fsname::join(web, "c.jpg")), "the user's own file");

    modals.answer(QMessageBox::Yes);
    w->webremake->trigger();
    EXPECT_EQ(modals.texts().mid(2), (QStringList{question, "3 枚の縮小写真を作り直しました。\n"
                                                            "ページに載せるには、もう一度 html を作成してください。"}));
    EXPECT_EQ(testkit::bytes(fsname::join(web, "a.jpg")), copyOfA);
    EXPECT_EQ(testkit::bytes(fsname::join(web, "c.jpg")), copyOfA);
    w->webremake->trigger();
    EXPECT_EQ(modals.texts().last(), QStringLiteral("作り直す縮小写真はありません。"));
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    EXPECT_EQ(modals.texts().last(), QStringLiteral("作成しました。"));
}

TEST_F(WebRuns, AFolderWhoseNameIsNotUtf8GetsItsPagesAndCopiesFromTheWindowAndTheCommandLine)
{
    // "写真" in Shift_JIS, as an old archive names its folders.
    const QString odd = fsname::join(box.path(), fsname::decode("\x8e\xca\x90\x5e"));
    ASSERT_EQ(mkdir(fsname::encode(odd).constData(), 0777), 0);
    const QStringList names = {"a.jpg", fsname::decode("\x82\xa0.jpg")};
    photos(odd, names);
    auto w = testkit::window();
    testkit::Modals modals;
    w->Dir1->changeTo(odd);
    EXPECT_EQ(w->Label1->text(), odd);
    w->allselec();
    w->webphoto->trigger();
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    EXPECT_EQ(modals.texts(), QStringList{"作成しました。"});
    EXPECT_TRUE(exists(fsname::join(odd, "index.html")));
    for (const QString &name : names)
        EXPECT_TRUE(exists(fsname::join(odd, "web/" + name))) << name.toStdString();
    // The save dialog opens on the folder; the user types a name.
    modals.onFileDialog([](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("album.txt"));
        QMetaObject::invokeMethod(d, "accept");
    });
    w->fsave->trigger();
    EXPECT_EQ(modals.texts().last(), QStringLiteral("書込み完了"));
    const QString project = fsname::join(odd, "album.txt");
    EXPECT_TRUE(exists(project));

    // And the command line reaches it as the window does, with the names
    // as the program takes them from its arguments.
    unlink(fsname::encode(fsname::join(odd, "index.html")).constData());
    const auto parsed = cli::parseMake({project, QStringLiteral("--out"), odd});
    ASSERT_TRUE(std::holds_alternative<cli::MakeArgs>(parsed)) << std::get<cli::Reply>(parsed).err.toStdString();
    const cli::Reply reply = cli::make(std::get<cli::MakeArgs>(parsed));
    EXPECT_EQ(reply.status, 0) << reply.err.toStdString();
    EXPECT_EQ(reply.out, fsname::join(odd, "index.html") + u'\n');
    EXPECT_TRUE(exists(fsname::join(odd, "index.html")));
}

TEST_F(WebRuns, NoCopyIsMadeForPagesThatCannotBeWritten)
{
    photos(album, {"a.jpg"});
    for (const QString &pageName : {QString(), QStringLiteral("a.jpg"), QStringLiteral("sub/index.html")}) {
        album::Album a = albumOf({"a.jpg"});
        a.pageName = pageName;
        const engine::Report report = engine::generate(a, album, {1024});
        EXPECT_TRUE(report.written.isEmpty()) << pageName.toStdString();
        EXPECT_FALSE(report.web) << pageName.toStdString();
        EXPECT_FALSE(exists(web)) << pageName.toStdString();
    }
}

TEST_F(WebRuns, TheWindowSaysItWaitsForAnotherRunAndItsCancelStopsTheWait)
{
    photos(album, {"a.jpg"});
    QString why;
    const auto held = webcopy::RunLock::acquire(fsname::encode(album), {}, nullptr, &why);
    ASSERT_TRUE(held) << why.toStdString();
    auto w = testkit::window();
    testkit::Modals modals;
    w->Dir1->changeTo(album);
    w->allselec();
    w->webphoto->trigger();
    QString shown;
    testkit::CancelLongWork cancel(w.get(), [&] {
        const auto *label = w->findChild<QDialog *>(QStringLiteral("longwork"))->findChild<QLabel *>();
        EXPECT_TRUE(QTest::qWaitFor([&] { return label->text() == webcopy::waitingLabel; }, 10000));
        shown = label->text();
    });
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    EXPECT_EQ(shown, webcopy::waitingLabel);
    EXPECT_EQ(modals.texts(),
              QStringList{"html 作成を中止しました。\n0 ページを作成し、残りの 1 ページは作成していません。"});
    EXPECT_FALSE(exists(fsname::join(album, "index.html")));
    EXPECT_FALSE(exists(fsname::join(web, "a.jpg")));
}
