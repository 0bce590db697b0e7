// Re-publishing an unchanged album of 500 photos to a real SFTP server on
// 127.0.0.1: the pages are written again, nothing is sent. The whole run of
// kamerio publish is timed, process start to exit, beside the first publish
// of the same album.
//
// Usage: republish_bench [photos] [kilobytes a photo]
//   (default 500 photos of 300 KB; target: the unchanged run under 2 s)
#include "album/album.h"
#include "bench/benchkit.h"
#include "project/projectfile.h"
#include "tests/servers.h"
#include "textio/cp932.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int rounds = 5;

struct Run
{
    double ms = -1;
    int sent = 0;
};

Run kamerioPublish(const QStringList &args, const QString &home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(KAMERIO_PROGRAM), args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s", p.readAllStandardError().constData());
        return {};
    }
    return {benchkit::msSince(t), int(p.readAllStandardOutput().count('\n'))};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int photos = argc > 1 ? QByteArray(argv[1]).toInt() : 500;
    const int size = (argc > 2 ? QByteArray(argv[2]).toInt() : 300) * 1024;
    auto server = servers::start(publish::Protocol::Sftp);
    if (!server->running()) {
        std::fprintf(stderr, "no sshd: %s\n", qPrintable(server->error));
        return 1;
    }
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/album");
    QDir().mkpath(folder);
    album::Album a;
    a.pageName = QStringLiteral("index.html");
    a.split = 1;
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < photos; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
        const QString name = QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (!benchkit::write(folder + u'/' + name, data))
            return 1;
        a.entries << name + QStringLiteral(",写真 %1").arg(i);
    }
    if (!benchkit::write(folder + QStringLiteral("/album.txt"),
            cp932::encodeLines(projectfile::write(folder, a), cp932::Unmappable::Report)))
        return 1;
    const QStringList args{QStringLiteral("publish"), folder + QStringLiteral("/album.txt"), QStringLiteral("--split"),
        QStringLiteral("--site"),
        QStringLiteral("sftp://%1@127.0.0.1:%2/").arg(server->site.user).arg(server->site.port),
        QStringLiteral("--identity"), server->site.keyfile, QStringLiteral("--accept-host-key"),
        server->identity.fingerprint};
    const Run first = kamerioPublish(args, home.path());
    std::vector<double> again;
    int sentAgain = 0;
    for (int i = 0; i < rounds; ++i) {
        const Run r = kamerioPublish(args, home.path());
        again.push_back(r.ms);
        sentAgain += r.sent;
    }
    std::printf("album of %d photos of %d KB in pages of 20, kamerio publish over SFTP on 127.0.0.1\n"
                "  first publish                       %8.1f ms   %d files sent\n"
                "  unchanged, median of %d runs         %8.1f ms   %d files sent   (target under 2000 ms)\n",
        photos, size / 1024, first.ms, first.sent, rounds, benchkit::median(again), sentAgain);
    return 0;
}
