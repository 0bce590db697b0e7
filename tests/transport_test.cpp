// The transports against real servers on 127.0.0.1: files go up, replace and
// go away; the server must prove itself; a reader on the server never sees
// half a file.
#include "servers.h"

#include "publish/trust.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <thread>

using publish::Outcome;
using publish::Protocol;

namespace {

struct Scenario
{
    const char *name;
    Protocol protocol;
    bool leftoversPossible; // whether the protocol sends under temporary names
    bool atomic = true; // whether the server replaces a file in one step
};

const Scenario scenarios[] = {
    {"Sftp", Protocol::Sftp, true},
    {"Ftps", Protocol::Ftps, true},
    {"WebDav", Protocol::WebDav, false},
    {"Ftp", Protocol::Ftp, true},
    {"SftpWithoutPosixRename", Protocol::Sftp, true, false},
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// Distinct contents of a given size, one per seed.
QByteArray content(int size, char seed)
{
    QByteArray data(size, seed);
    for (int i = 0; i < size; i += 997)
        data[i] = char(seed + i % 7);
    return data;
}

class Transport : public ::testing::TestWithParam<Scenario>
{
protected:
    void SetUp() override
    {
        server = servers::start(GetParam().protocol, GetParam().atomic);
        ASSERT_TRUE(server->running()) << server->error.toStdString();
        trust = std::make_unique<publish::FileTrust>(sshFile(), ownFolder());
        credentials.password = server->password;
    }

    bool encrypted() const { return GetParam().protocol != Protocol::Ftp; }
    QString sshFile() const { return home.path() + QStringLiteral("/ssh_known_hosts"); }
    QString ownFolder() const { return home.path() + QStringLiteral("/kamerio"); }
    QString local(const QString &name, const QByteArray &data)
    {
        const QString path = home.path() + QLatin1Char('/') + name;
        writeFile(path, data);
        return path;
    }

    // A transport to a server the user trusts already.
    std::unique_ptr<publish::Transport> opened()
    {
        if (encrypted()) {
            QString reason;
            EXPECT_TRUE(trust->accept(server->identity, &reason)) << reason.toStdString();
        }
        auto t = publish::makeTransport(server->site, credentials, *trust);
        const publish::Status s = t->open();
        EXPECT_EQ(s.outcome, Outcome::Ok) << s.reason.toStdString();
        return t;
    }

    // Nothing Kamerio wrote holds the password.
    void expectNoPassword()
    {
        QDirIterator it(home.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            EXPECT_FALSE(readAll(path).contains(server->password.toUtf8())) << path.toStdString();
        }
    }

    QTemporaryDir home;
    std::unique_ptr<servers::Server> server;
    std::unique_ptr<publish::FileTrust> trust;
    publish::Credentials credentials;
};

TEST_P(Transport, SendsReplacesAndRemovesOnlyItsOwn)
{
    auto t = opened();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->atomicReplace(), GetParam().atomic);
    ASSERT_TRUE(t->makeFolder("albums/旅行 2026").ok());
    ASSERT_TRUE(t->makeFolder("albums/旅行 2026").ok()) << "an existing folder is fine";
    const QString there = server->root + QStringLiteral("/albums/旅行 2026/");
    EXPECT_TRUE(QFileInfo(there).isDir());

    qint64 told = 0;
    const QByteArray first = content(300000, 'a'), second = content(1000, 'b');
    const publish::Sent sent = [&](qint64 bytes) { told = bytes; };
    EXPECT_TRUE(t->put(local(QStringLiteral("one"), first).toUtf8(), "albums/旅行 2026/写真 1.html", sent, nullptr).ok());
    EXPECT_EQ(told, first.size());
    EXPECT_EQ(readAll(there + QStringLiteral("写真 1.html")), first);
    EXPECT_TRUE(t->put(local(QStringLiteral("two"), second).toUtf8(), "albums/旅行 2026/写真 1.html", sent, nullptr).ok());
    EXPECT_EQ(readAll(there + QStringLiteral("写真 1.html")), second);
    EXPECT_EQ(QDir(there).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("写真 1.html")})
        << "no temporary file stays behind";

    // A send cancelled on its way leaves the old file as it was, and no
    // temporary one.
    std::atomic_bool cancel = false;
    const publish::Sent stop = [&](qint64 bytes) { cancel = bytes > 0; };
    EXPECT_EQ(t->put(local(QStringLiteral("three"), content(8000000, 'c')).toUtf8(), "albums/旅行 2026/写真 1.html", stop,
                  &cancel)
                  .outcome,
        Outcome::Cancelled);
    EXPECT_EQ(readAll(there + QStringLiteral("写真 1.html")), second);
    // A WebDAV server tidies its own aside-file once it sees the abort.
    QElapsedTimer clock;
    clock.start();
    while (QDir(there).entryList(QDir::Files | QDir::Hidden).size() > 1 && clock.elapsed() < 5000)
        QThread::msleep(20);
    EXPECT_EQ(QDir(there).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("写真 1.html")});
    ASSERT_TRUE(t->put(local(QStringLiteral("two"), second).toUtf8(), "albums/旅行 2026/写真 2.html", {}, nullptr).ok())
        << "the connection serves on after a cancel";
    EXPECT_TRUE(t->remove("albums/旅行 2026/写真 2.html").ok());

    // What an interrupted run left goes; the user's own files stay.
    const QString ours = QStringLiteral("kamerio-sending-0123456789abcdef.tmp");
    const QStringList theirs{QStringLiteral("kamerio-sending-mine.tmp"), QStringLiteral("notes.tmp")};
    const QStringList all = QStringList(theirs) << ours;
    for (const QString &name : all)
        writeFile(there + name, "x");
    EXPECT_TRUE(t->removeLeftovers("albums/旅行 2026").ok());
    EXPECT_EQ(QFile::exists(there + ours), !GetParam().leftoversPossible);
    for (const QString &name : theirs)
        EXPECT_TRUE(QFile::exists(there + name)) << name.toStdString();

    EXPECT_TRUE(t->remove("albums/旅行 2026/写真 1.html").ok());
    EXPECT_FALSE(QFile::exists(there + QStringLiteral("写真 1.html")));
    EXPECT_TRUE(t->remove("albums/旅行 2026/写真 1.html").ok()) << "a file that is gone already";
    EXPECT_EQ(t->put("/nonexistent/file", "albums/x.html", {}, nullptr).outcome, Outcome::Failed);
    expectNoPassword();
}

// Visitors polling a page while it is replaced see the old page or the new
// one, whole, and never no page at all where the server replaces in one step.
TEST_P(Transport, ReaderNeverSeesAPartOrNothing)
{
    auto t = opened();
    ASSERT_TRUE(t);
    const QByteArray a = content(2000000, 'a'), b = content(1500000, 'b');
    const QByteArray localA = local(QStringLiteral("a"), a).toUtf8(), localB = local(QStringLiteral("b"), b).toUtf8();
    ASSERT_TRUE(t->put(localA, "index.html", {}, nullptr).ok());
    std::atomic_bool done = false;
    std::atomic_int reads = 0, bad = 0;
    std::thread reader([&] {
        while (!done) {
            QFile page(server->root + QStringLiteral("/index.html"));
            const bool there = page.open(QIODevice::ReadOnly);
            const QByteArray seen = page.readAll();
            if (there ? seen != a && seen != b : GetParam().atomic)
                ++bad;
            ++reads;
        }
    });
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(t->put(i % 2 ? localA : localB, "index.html", {}, nullptr).ok());
    done = true;
    reader.join();
    EXPECT_GT(reads.load(), 8);
    EXPECT_EQ(bad.load(), 0) << "of " << reads.load() << " reads";
}

TEST_P(Transport, RefusesAWrongPasswordAndAMissingServer)
{
    server->site.auth = publish::Site::Auth::Password;
    credentials.password = QStringLiteral("not-the-password");
    if (encrypted()) {
        ASSERT_TRUE(trust->accept(server->identity, nullptr));
    }
    EXPECT_EQ(publish::makeTransport(server->site, credentials, *trust)->open().outcome, Outcome::LoginRefused);
    server->stop();
    credentials.password = server->password;
    EXPECT_EQ(publish::makeTransport(server->site, credentials, *trust)->open().outcome, Outcome::NoConnection);
    expectNoPassword();
}

INSTANTIATE_TEST_SUITE_P(Servers, Transport, ::testing::ValuesIn(scenarios),
    [](const auto &test) { return std::string(test.param.name); });

// The server must prove who it is; only the user's acceptance makes a new
// identity known, and a changed one is refused whatever was accepted.
class Identity : public Transport
{
protected:
    publish::Status open() { return publish::makeTransport(server->site, credentials, *trust)->open(); }
    // The same kind of record for the same host and port, for another key.
    QByteArray otherRecord() const
    {
        const QByteArray name = publish::hostName(server->site.host, server->site.port);
        if (GetParam().protocol == Protocol::Sftp) {
            const QString key = home.path() + QStringLiteral("/other");
            servers::run(QStringLiteral("ssh-keygen"),
                {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"), QString(),
                    QStringLiteral("-f"), key});
            return name + ' ' + readAll(key + QStringLiteral(".pub")).split(' ').mid(0, 2).join(' ');
        }
        return name + " SHA256:47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=";
    }
};

TEST_P(Identity, UnknownUntilAcceptedThenKnown)
{
    const publish::Status first = open();
    ASSERT_EQ(first.outcome, Outcome::UnknownIdentity) << first.reason.toStdString();
    ASSERT_TRUE(first.identity);
    EXPECT_EQ(first.identity->fingerprint, server->identity.fingerprint);
    EXPECT_EQ(first.identity->record, server->identity.record);
    EXPECT_TRUE(first.reason.contains(server->identity.fingerprint));
    EXPECT_TRUE(QDir(server->root).isEmpty());
    QString reason;
    ASSERT_TRUE(trust->accept(*first.identity, &reason)) << reason.toStdString();
    EXPECT_EQ(open().outcome, Outcome::Ok);
    // Another FileTrust over the same files knows it as well.
    trust = std::make_unique<publish::FileTrust>(sshFile(), ownFolder());
    EXPECT_EQ(open().outcome, Outcome::Ok);
    expectNoPassword();
}

TEST_P(Identity, ChangedIsRefusedEvenBesideTheRightOne)
{
    const QString own = ownFolder()
        + (GetParam().protocol == Protocol::Sftp ? QStringLiteral("/known_hosts") : QStringLiteral("/pinned_certificates"));
    QDir().mkpath(ownFolder());
    writeFile(own, otherRecord() + '\n');
    const publish::Status s = open();
    EXPECT_EQ(s.outcome, Outcome::ChangedIdentity) << s.reason.toStdString();
    ASSERT_TRUE(s.identity);
    EXPECT_EQ(s.identity->fingerprint, server->identity.fingerprint);
    EXPECT_TRUE(QDir(server->root).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Servers, Identity, ::testing::Values(scenarios[0], scenarios[1], scenarios[2]),
    [](const auto &test) { return std::string(test.param.name); });

// The user's own ~/.ssh/known_hosts counts, its hashed names included, and
// so does a running ssh-agent.
TEST(SshKnownHosts, HashedNamesAndTheAgent)
{
    auto server = servers::start(Protocol::Sftp);
    ASSERT_TRUE(server->running()) << server->error.toStdString();
    const QTemporaryDir home;
    const QString ssh = home.path() + QStringLiteral("/known_hosts");
    publish::FileTrust trust(ssh, home.path() + QStringLiteral("/kamerio"));
    const QByteArray other = "[127.0.0.1]:" + QByteArray::number(server->site.port)
        + " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIBBhqhA7d38yD6DVffcn2vXoWMN3wm9YjbDwUbTtmkfS\n";
    const struct {
        QByteArray lines;
        Outcome expected;
    } cases[] = {
        {"", Outcome::UnknownIdentity},
        {"*.example.org,!127.0.0.1 " + server->identity.record.mid(server->identity.record.indexOf(' ') + 1) + '\n',
            Outcome::UnknownIdentity},
        {"# comment\n[127.0.0.?]:* " + server->identity.record.mid(server->identity.record.indexOf(' ') + 1) + '\n',
            Outcome::Ok},
        {server->identity.record + '\n', Outcome::Ok},
        {other, Outcome::ChangedIdentity},
        {"@revoked " + server->identity.record + '\n', Outcome::ChangedIdentity},
    };
    publish::Credentials none;
    for (const auto &c : cases) {
        {
            QFile f(ssh);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.lines);
        }
        // ssh-keygen -H hashes every name as OpenSSH's HashKnownHosts does.
        for (bool hashed : {false, true}) {
            if (hashed && (c.lines.isEmpty() || c.lines.startsWith('#') || c.lines.startsWith('*')
                           || c.lines.startsWith('@'))) {
                continue;
            }
            if (hashed) {
                servers::run(QStringLiteral("ssh-keygen"), {QStringLiteral("-H"), QStringLiteral("-f"), ssh});
                ASSERT_TRUE(readAll(ssh).contains("|1|")) << c.lines.toStdString();
            }
            EXPECT_EQ(publish::makeTransport(server->site, none, trust)->open().outcome, c.expected)
                << c.lines.toStdString() << (hashed ? " hashed" : "");
        }
    }

    QFile::remove(ssh);
    ASSERT_TRUE(trust.accept(server->identity, nullptr));
    const servers::Agent agent(server->site.keyfile);
    ASSERT_TRUE(agent.running());
    server->site.auth = publish::Site::Auth::Agent;
    server->site.keyfile.clear();
    EXPECT_EQ(publish::makeTransport(server->site, none, trust)->open().outcome, Outcome::Ok);
}

// Unencrypted WebDAV goes to this machine alone, refused before any traffic.
TEST(PlainWebDav, OnlyOnThisMachine)
{
    publish::FileTrust trust(QStringLiteral("/nonexistent/known_hosts"), QStringLiteral("/nonexistent/kamerio"));
    publish::Site site;
    site.protocol = Protocol::WebDav;
    site.tls = false;
    site.host = QStringLiteral("192.0.2.1");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(publish::makeTransport(site, {}, trust)->open().outcome, Outcome::Failed);
    EXPECT_LT(clock.elapsed(), 1000);
}

} // namespace
