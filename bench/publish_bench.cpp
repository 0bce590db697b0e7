// Publishing on loopback against real servers: SFTP and WebDAV throughput
// beside the sftp and curl command-line tools sending the same 50 MB of
// photos, the time FTPS spends on each small file (beside the curl tool's),
// and how long a page is missing where a server cannot replace atomically.
//
// Usage: publish_bench [megabytes] [files]
//   (default 50 MB in 2 MB photos and 200 small files; targets: throughput
//    within 20 % of the tools', FTPS at most 10 ms a file)
#include "bench/benchkit.h"
#include "publish/trust.h"
#include "tests/servers.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

using publish::Protocol;

struct Photos
{
    QStringList paths;
    qint64 bytes = 0;
};

Photos photos(const QString &dir, int count, int size)
{
    Photos p;
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
        const QString path = dir + QStringLiteral("/p%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(data);
        p.paths << path;
        p.bytes += size;
    }
    return p;
}

// Kamerio's own sending of every file into the folder "k", in milliseconds;
// *opening gets the time of the connection and login alone.
double kamerio(servers::Server &server, const Photos &photos, publish::Trust &trust, double *opening = nullptr)
{
    publish::Credentials credentials{server.password};
    auto t = publish::makeTransport(server.site, credentials, trust);
    QElapsedTimer clock;
    clock.start();
    if (!t->open().ok() || !t->makeFolder("k").ok())
        return -1;
    if (opening)
        *opening = benchkit::msSince(clock);
    for (const QString &path : photos.paths)
        if (!t->put(QFile::encodeName(path), "k/" + QFile::encodeName(QFileInfo(path).fileName()), {}, nullptr).ok())
            return -1;
    return benchkit::msSince(clock);
}

double sftpTool(servers::Server &server, const Photos &photos, const QString &work)
{
    QByteArray batch = "-mkdir t\n";
    for (const QString &path : photos.paths)
        batch += "put " + QFile::encodeName(path) + " t/\n";
    QFile f(work + QStringLiteral("/batch"));
    f.open(QIODevice::WriteOnly);
    f.write(batch);
    f.close();
    return benchkit::timeProgram({"sh", "-c", "exec \"$0\" \"$@\" >/dev/null 2>&1", "sftp", "-q", "-b", QFile::encodeName(f.fileName()), "-i",
        QFile::encodeName(server.site.keyfile), "-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
        "-P", QByteArray::number(server.site.port), server.site.user.toUtf8() + "@127.0.0.1"});
}

double curlTool(servers::Server &server, const Photos &photos, const QString &work)
{
    QFile netrc(work + QStringLiteral("/netrc"));
    netrc.open(QIODevice::WriteOnly);
    netrc.write("machine 127.0.0.1 login " + server.site.user.toUtf8() + " password " + server.password.toUtf8() + '\n');
    netrc.close();
    std::vector<QByteArray> args{"curl", "-s", "-k", "--netrc-file", QFile::encodeName(netrc.fileName())};
    const QByteArray base = "https://127.0.0.1:" + QByteArray::number(server.site.port) + "/";
    for (const QString &path : photos.paths)
        args.insert(args.end(),
            {"-T", QFile::encodeName(path), base + QFile::encodeName(QFileInfo(path).fileName()), "-o", "/dev/null"});
    return benchkit::timeProgram(args);
}

// The curl tool sending the same small files over one FTPS connection: it
// runs curl_easy_perform's own loop, which waits out a one-second poll
// whenever the answer to EPSV came in with the one before.
double curlFtps(servers::Server &server, const Photos &photos, const QString &work)
{
    QFile netrc(work + QStringLiteral("/netrc"));
    netrc.open(QIODevice::WriteOnly);
    netrc.write("machine 127.0.0.1 login " + server.site.user.toUtf8() + " password " + server.password.toUtf8() + '\n');
    netrc.close();
    std::vector<QByteArray> args{"curl", "-s", "-k", "--ssl-reqd", "--netrc-file", QFile::encodeName(netrc.fileName())};
    const QByteArray base = "ftp://127.0.0.1:" + QByteArray::number(server.site.port) + "/";
    for (const QString &path : photos.paths)
        args.insert(args.end(), {"-T", QFile::encodeName(path), base + QFile::encodeName(QFileInfo(path).fileName())});
    return benchkit::timeProgram(args);
}

void throughput(Protocol protocol, const char *tool, const Photos &photos, const QString &work)
{
    auto server = servers::start(protocol);
    if (!server->running()) {
        std::printf("%s: no server: %s\n", tool, qPrintable(server->error));
        return;
    }
    const QTemporaryDir home;
    publish::FileTrust trust(home.path() + QStringLiteral("/ssh"), home.path());
    trust.accept(server->identity, nullptr);
    std::vector<double> ours, theirs;
    for (int run = 0; run < 3; ++run) {
        ours.push_back(kamerio(*server, photos, trust));
        theirs.push_back(protocol == Protocol::Sftp ? sftpTool(*server, photos, work) : curlTool(*server, photos, work));
    }
    const double mb = double(photos.bytes) / 1e6, a = benchkit::median(ours), b = benchkit::median(theirs);
    std::printf("%-7s %6.1f MB: Kamerio %7.0f ms (%6.1f MB/s), %s %7.0f ms (%6.1f MB/s): %+.0f %%\n",
        protocol == Protocol::Sftp ? "SFTP" : "WebDAV", mb, a, mb / a * 1e3, tool, b, mb / b * 1e3, (a / b - 1) * 100);
}

// Where a server cannot replace a file in one step (an SFTP server without
// posix-rename), how long a visitor finds no page while it is replaced.
void gap(const QString &work)
{
    auto server = servers::start(Protocol::Sftp, false);
    const QTemporaryDir home;
    publish::FileTrust trust(home.path() + QStringLiteral("/ssh"), home.path());
    trust.accept(server->identity, nullptr);
    auto t = publish::makeTransport(server->site, {}, trust);
    const QByteArray page = QFile::encodeName(photos(work, 1, 200000).paths.value(0));
    if (!server->running() || !t->open().ok() || !t->put(page, "index.html", {}, nullptr).ok()) {
        std::printf("no SFTP server without posix-rename\n");
        return;
    }
    std::atomic_bool done = false;
    std::vector<double> gaps;
    std::thread reader([&] {
        QElapsedTimer clock;
        bool missing = false;
        while (!done) {
            const bool there = QFile::exists(server->root + QStringLiteral("/index.html"));
            if (!there && !missing)
                clock.start();
            if (there && missing)
                gaps.push_back(benchkit::msSince(clock));
            missing = !there;
        }
    });
    const int replaces = 100;
    for (int i = 0; i < replaces; ++i)
        t->put(page, "index.html", {}, nullptr);
    done = true;
    reader.join();
    std::printf("SFTP without posix-rename (atomic replace: %s): %d replaces of a 200 KB page, the page missing %zu "
                "times, longest %.2f ms, median %.2f ms\n",
        t->atomicReplace() ? "yes" : "no", replaces, gaps.size(), gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()),
        gaps.empty() ? 0.0 : benchkit::median(gaps));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 50;
    const int small = argc > 2 ? std::atoi(argv[2]) : 200;
    const QTemporaryDir work;
    const Photos big = photos(work.path(), megabytes / 2, 2 * 1000 * 1000);
    throughput(Protocol::Sftp, "sftp", big, work.path());
    throughput(Protocol::WebDav, "curl", big, work.path());

    const QString smallDir = work.path() + QStringLiteral("/small");
    QDir().mkpath(smallDir);
    const Photos tiny = photos(smallDir, small, 4096);
    for (Protocol protocol : {Protocol::Ftps, Protocol::Ftp, Protocol::Sftp, Protocol::WebDav}) {
        auto server = servers::start(protocol);
        const QTemporaryDir home;
        publish::FileTrust trust(home.path() + QStringLiteral("/ssh"), home.path());
        trust.accept(server->identity, nullptr);
        double opening = 0;
        const double ms = kamerio(*server, tiny, trust, &opening);
        const char *names[] = {"SFTP", "FTPS", "WebDAV", "FTP"};
        std::printf("%-7s %d files of 4 KB: %7.0f ms, %.2f ms a file after %.0f ms to connect and log in\n",
            names[int(protocol)], small, ms, (ms - opening) / small, opening);
        if (protocol == Protocol::Ftps) {
            const int few = std::min(small, 10);
            const Photos some{tiny.paths.mid(0, few), 0};
            std::printf("        curl tool, %d of them: %.0f ms a file\n", few, curlFtps(*server, some, work.path()) / few);
        }
    }
    gap(work.path());
    return 0;
}
