// kamerio publish against real servers on 127.0.0.1, one table of runs
// played in order over each protocol: the first contact, the first publish,
// nothing sent again, one caption changed, a wrong password, the opt-in
// removal, a run killed on the way and the run after it.
#include "servers.h"
#include "testkit.h"

#include "album/album.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QProcess>

#include <csignal>

using publish::Protocol;

namespace {

const QString album = QStringLiteral("trip");

QByteArray project(const QStringList &entries)
{
    album::Album a;
    a.title = QStringLiteral("旅行");
    a.pageName = QStringLiteral("index.html");
    a.entries = entries;
    return cp932::encodeLines(projectfile::write(QStringLiteral("/elsewhere"), a), cp932::Unmappable::Report);
}

QByteArray photo(int size, char seed)
{
    QByteArray data(size, seed);
    for (int i = 0; i < size; i += 991)
        data[i] = char(seed + i % 13);
    return data;
}

// Every file under folder, by its path below it, with its bytes.
std::map<QString, QByteArray> tree(const QString &folder)
{
    std::map<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out[path.mid(folder.size() + 1)] = testkit::bytes(path);
    }
    return out;
}

struct Outcome
{
    int status = -1;
    QStringList out;
    QString err;
};

class Publish : public ::testing::TestWithParam<Protocol>
{
protected:
    void SetUp() override
    {
        server = servers::start(GetParam());
        ASSERT_TRUE(server->running()) << server->error.toStdString();
        folder = box.folder(album);
        const publish::Site &s = server->site;
        const char *scheme = GetParam() == Protocol::Sftp ? "sftp" : GetParam() == Protocol::Ftps ? "ftps" : "davs";
        site = QStringLiteral("%1://%2@%3:%4/").arg(QLatin1String(scheme), s.user, s.host).arg(s.port);
    }

    // SFTP logs in by key: a wrong password is a key the server does not know.
    QStringList arguments(const QStringList &extra, bool wrongKey) const
    {
        QStringList args{QStringLiteral("publish"), folder + QStringLiteral("/album.txt"), QStringLiteral("--site"), site,
            QStringLiteral("--url"), QStringLiteral("https://example.jp/albums/")};
        if (GetParam() == Protocol::Sftp)
            args << QStringLiteral("--identity") << (wrongKey ? otherKey() : server->site.keyfile);
        else
            args << QStringLiteral("--password-stdin");
        return args + extra;
    }

    QString otherKey() const
    {
        const QString key = box.path() + QStringLiteral("/other_key");
        if (!QFile::exists(key))
            QProcess::execute(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"),
                QStringLiteral("ed25519"), QStringLiteral("-N"), QString(), QStringLiteral("-f"), key});
        return key;
    }

    void start(QProcess &p, const QStringList &extra, const QString &password) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The user's own ~/.ssh/known_hosts is not this test's.
        env.insert(QStringLiteral("HOME"), box.path());
        env.remove(QStringLiteral("SSH_AUTH_SOCK"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KAMERIO_PROGRAM), arguments(extra, password == wrong));
        p.write((password + u'\n').toUtf8());
        p.closeWriteChannel();
    }

    Outcome publish(const QStringList &extra, const QString &password) const
    {
        QProcess p;
        start(p, extra, password);
        p.waitForFinished(60000);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        return {p.exitCode(), out.split(u'\n', Qt::SkipEmptyParts), QString::fromUtf8(p.readAllStandardError())};
    }

    QString remote() const { return server->root + u'/' + album; }

    const QString wrong = QStringLiteral("not-the-password");

    std::unique_ptr<servers::Server> server;
    testkit::Sandbox box;
    QString folder;
    QString site;
};

TEST_P(Publish, SendsWhatChangedAndNothingElse)
{
    const QString password = server->password;
    const QString accept = server->identity.kind == publish::Identity::Kind::HostKey
                               ? QStringLiteral("--accept-host-key")
                               : QStringLiteral("--accept-certificate");
    const QString fingerprint = server->identity.fingerprint;
    const QStringList three{QStringLiteral("a.jpg,海"), QStringLiteral("b.jpg,山"), QStringLiteral("c.jpg,川")};
    for (const QString &name : {QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")})
        testkit::writeFile(folder + u'/' + name, photo(50000, name.at(0).toLatin1()));

    const auto captionOfB = [&] {
        testkit::writeFile(folder + QStringLiteral("/album.txt"),
            project({QStringLiteral("a.jpg,海"), QStringLiteral("b.jpg,高い山"), QStringLiteral("c.jpg,川")}));
    };
    const auto dropB = [&] {
        testkit::writeFile(folder + QStringLiteral("/album.txt"),
            project({QStringLiteral("a.jpg,海"), QStringLiteral("c.jpg,川")}));
        // A file on the server that Kamerio never sent.
        testkit::writeFile(remote() + QStringLiteral("/theirs.jpg"), "theirs");
    };
    const struct
    {
        const char *name;
        std::function<void()> before;
        QStringList extra;
        QString password;
        int status;
        QStringList out;
    } runs[] = {
        {"unknown identity refused", [&] { testkit::writeFile(folder + QStringLiteral("/album.txt"), project(three)); },
            {}, password, 3, {}},
        {"first publish, identity accepted", {}, {accept, fingerprint}, password, 0,
            {"a.jpg", "b.jpg", "c.jpg", "index.html"}},
        {"unchanged: nothing sent, identity kept", {}, {}, password, 0, {}},
        {"a dry run lists and sends nothing", captionOfB, {QStringLiteral("--dry-run")}, password, 0, {"index.html"}},
        {"one caption changed", {}, {}, password, 0, {"index.html"}},
        {"wrong password", [&] { testkit::writeFile(folder + QStringLiteral("/c.jpg"), photo(50000, 'z')); }, {},
            wrong, 4, {}},
        {"stale removed, but only what was sent", dropB, {QStringLiteral("--remove-stale")}, password, 0,
            {"c.jpg", "index.html", "削除 b.jpg"}},
    };
    for (const auto &r : runs) {
        SCOPED_TRACE(r.name);
        if (r.before)
            r.before();
        const Outcome done = publish(r.extra, r.password);
        EXPECT_EQ(done.status, r.status) << done.err.toStdString();
        EXPECT_EQ(done.out, r.out) << done.err.toStdString();
    }
    std::map<QString, QByteArray> local = tree(folder);
    local.erase(QStringLiteral("album.txt"));
    local.erase(QStringLiteral("b.jpg"));
    local[QStringLiteral("theirs.jpg")] = "theirs";
    EXPECT_EQ(tree(remote()), local);

    // Killed on the way: the album is changed all over, the run killed after
    // its first file, and the next run sends exactly what it did not.
    QStringList many;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        testkit::writeFile(folder + u'/' + name, photo(400000, char('A' + i)));
        many << name + QStringLiteral(",写真");
    }
    testkit::writeFile(folder + QStringLiteral("/album.txt"), project(many));
    // SIGTERM stops at the next safe point with status 1; SIGKILL anywhere.
    QStringList first;
    for (const int signal : {SIGTERM, SIGKILL}) {
        QProcess killed;
        start(killed, {}, password);
        ASSERT_TRUE(killed.waitForReadyRead(60000));
        ::kill(pid_t(killed.processId()), signal);
        killed.waitForFinished(10000);
        if (signal == SIGTERM) {
            EXPECT_EQ(killed.exitCode(), 1);
        }
        first += QString::fromUtf8(killed.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    ASSERT_LT(first.size(), many.size()) << "the runs ended before they were stopped";
    const Outcome next = publish({QStringLiteral("--remove-stale")}, password);
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
    for (const QString &path : first)
        EXPECT_FALSE(next.out.contains(path)) << path.toStdString();
    EXPECT_EQ(next.out.size() + first.size(), many.size() + 1 + 2 /* 削除 a.jpg, c.jpg */);
    local = tree(folder);
    local.erase(QStringLiteral("album.txt"));
    for (const char *gone : {"a.jpg", "b.jpg", "c.jpg"})
        local.erase(QString::fromLatin1(gone));
    local[QStringLiteral("theirs.jpg")] = "theirs";
    // No temporary file of the killed run is left either.
    EXPECT_EQ(tree(remote()), local);

    // Nothing Kamerio keeps holds the password.
    QDirIterator it(box.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_FALSE(testkit::bytes(path).contains(password.toUtf8())) << path.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, Publish, ::testing::Values(Protocol::Sftp, Protocol::Ftps, Protocol::WebDav),
    [](const ::testing::TestParamInfo<Protocol> &param) {
        return param.param == Protocol::Sftp ? "Sftp" : param.param == Protocol::Ftps ? "Ftps" : "WebDav";
    });

} // namespace
