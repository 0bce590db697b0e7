// kamerio make on a project of 1 000 photos, from the start of the process
// to its end, against merely reading the same project file: cat piped into
// iconv from CP932. Both run as processes of their own, taken in turns.
#include "project/projectfile.h"
#include "textio/cp932.h"
#include "benchkit.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int photos = 1000;
constexpr int rounds = 21;

QByteArray project()
{
    album::Album a;
    a.title = QStringLiteral("夏の旅行");
    a.widthFlag = 1;
    for (int i = 1; i <= photos; ++i)
        a.entries << QStringLiteral("IMG_%1.JPG,写真 %1 番 海と山<br>2004年").arg(i, 4, 10, QLatin1Char('0'));
    return cp932::encodeLines(projectfile::write(QStringLiteral("/photos"), a), cp932::Unmappable::Report);
}

double run(const QString &program, const QStringList &arguments)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        std::exit(1);
    }
    return benchkit::msSince(t);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString kamerio = QStringLiteral(KAMERIO_PROGRAM);
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/album.txt");
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(project()) < 0)
        return 1;
    f.close();
    const QString pipe = QStringLiteral("cat '%1' | iconv -f CP932 -t UTF-8 > /dev/null").arg(file);
    std::vector<double> make, read;
    for (int i = 0; i < rounds; ++i) {
        make.push_back(run(kamerio, {QStringLiteral("make"), file}));
        read.push_back(run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), pipe}));
    }
    const double m = benchkit::median(make), r = benchkit::median(read);
    std::printf("project of %d photos, median of %d runs, process start to exit\n"
                "  kamerio make                          %7.1f ms\n"
                "  cat | iconv -f CP932 -t UTF-8          %7.1f ms   ratio %.2f\n",
                photos, rounds, m, r, m / r);
    return 0;
}
