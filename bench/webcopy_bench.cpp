// How long the web copy of a 24-megapixel photo takes, against libvips's
// vipsthumbnail making the same copy from the same file; and how much faster
// a folder of such photos goes on every core than on one.
//
// Usage: webcopy_bench [repetitions] [photos]
//   (defaults 9 and 40; targets: ours/vipsthumbnail <= 1.0, speed-up >= 1.7)
#include "bench/benchkit.h"
#include "fileops/fsname.h"
#include "fileops/safefile.h"
#include "tests/jpegs.h"
#include "web/webcopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <vector>

#include <sched.h>
#include <unistd.h>

namespace {

constexpr int edge = 1600;
const QString photoName = QStringLiteral("photo.jpg");

// Empties web, so the next run makes every copy anew.
void clearWeb(const QString &folder)
{
    const QString web = fsname::join(folder, webcopy::folderName);
    for (const QString &name : safefile::entries(web))
        unlink(fsname::encode(fsname::join(web, name)).constData());
}

// Wall time in milliseconds, -1 when a copy failed; *cpu gets the processor time.
double timeCopies(const QString &folder, const QStringList &names, int workers, double *cpu = nullptr)
{
    clearWeb(folder);
    const double cpuBefore = benchkit::cpuMs();
    QElapsedTimer t;
    t.start();
    const webcopy::Result r = webcopy::update(folder, names, edge, {}, nullptr, workers);
    const double ms = benchkit::msSince(t);
    if (cpu)
        *cpu = benchkit::cpuMs() - cpuBefore;
    return r.written == names.size() ? ms : -1;
}

double timeVips(const QString &photo, const QString &out, double *cpu = nullptr)
{
    return benchkit::timeProgram({"vipsthumbnail", QFile::encodeName(photo), "-s", QByteArray::number(edge), "-o",
                                  QFile::encodeName(out) + "[Q=85,strip]"},
                                 cpu);
}

// Keeps every thread of the process, and those it starts later, on the
// first processor only, or lets them use all again.
bool oneCore(bool on)
{
    static cpu_set_t all;
    static const bool saved = sched_getaffinity(0, sizeof all, &all) == 0;
    cpu_set_t first;
    CPU_ZERO(&first);
    CPU_SET(0, &first);
    bool ok = saved;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ok = sched_setaffinity(task.toInt(), sizeof(cpu_set_t), on ? &first : &all) == 0 && ok;
    return ok;
}

QSize sizeOf(const QString &path)
{
    return QImageReader(path).size();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const int count = argc > 2 ? std::max(2, atoi(argv[2])) : 40;
    QTemporaryDir dir;
    const QString one = dir.filePath(QStringLiteral("one"));
    const QString many = dir.filePath(QStringLiteral("many"));
    QDir().mkpath(one);
    QDir().mkpath(many);
    const QString photo = fsname::join(one, photoName);
    const QByteArray jpeg = jpegs::encode(jpegs::photoLike(6000, 4000), 92);
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
    bool ok = benchkit::write(photo, jpeg);
    for (const QString &name : names)
        ok = ok && link(QFile::encodeName(photo).constData(), QFile::encodeName(fsname::join(many, name))) == 0;
    if (!ok) {
        std::fprintf(stderr, "cannot write the test photos\n");
        return 1;
    }
    std::printf("photo: 6000x4000, JPEG quality 92, %.1f MB; edge %d; %d repetitions; %d processors\n",
                double(jpeg.size()) / 1e6, edge, reps, QThread::idealThreadCount());

    // (a) One copy, side by side with vipsthumbnail.
    const QString vipsOut = dir.filePath(QStringLiteral("vips.jpg"));
    timeCopies(one, {photoName}, 0);
    timeVips(photo, vipsOut);
    std::vector<double> ours, vips, oursCpu, vipsCpu;
    for (int i = 0; i < reps; ++i) {
        double cpu = 0;
        ours.push_back(timeCopies(one, {photoName}, 0, &cpu));
        oursCpu.push_back(cpu);
        vips.push_back(timeVips(photo, vipsOut, &cpu));
        vipsCpu.push_back(cpu);
        if (ours.back() < 0 || vips.back() < 0) {
            std::fprintf(stderr, ours.back() < 0 ? "the copy failed\n" : "vipsthumbnail failed\n");
            return 1;
        }
    }
    const QString ourCopy = fsname::join(fsname::join(one, webcopy::folderName), photoName);
    const double o = benchkit::median(ours), v = benchkit::median(vips);
    std::printf("web copy                   median %7.1f ms (processor %6.1f ms) -> %dx%d, %lld bytes\n", o,
                benchkit::median(oursCpu), sizeOf(ourCopy).width(), sizeOf(ourCopy).height(), QFileInfo(ourCopy).size());
    std::printf("vipsthumbnail [Q=85,strip] median %7.1f ms (processor %6.1f ms) -> %dx%d, %lld bytes\n", v,
                benchkit::median(vipsCpu), sizeOf(vipsOut).width(), sizeOf(vipsOut).height(),
                QFileInfo(vipsOut).size());
    std::printf("ratio ours/vipsthumbnail  %.2f (target <= 1.0)\n", o / v);

    // (b) A folder of photos on one core and on all of them.
    const int runs = std::max(1, reps / 3);
    std::vector<double> single, all;
    for (int i = 0; i < runs; ++i) {
        if (!oneCore(true)) {
            std::fprintf(stderr, "cannot keep to one processor\n");
            return 1;
        }
        single.push_back(timeCopies(many, names, 1));
        oneCore(false);
        all.push_back(timeCopies(many, names, 0));
        if (single.back() < 0 || all.back() < 0) {
            std::fprintf(stderr, "a copy failed\n");
            return 1;
        }
    }
    const double s = benchkit::median(single), a = benchkit::median(all);
    std::printf("%d photos on one core     median %8.1f ms  (%.2f photos/s)\n", count, s, count * 1000 / s);
    std::printf("%d photos on all cores    median %8.1f ms  (%.2f photos/s)\n", count, a, count * 1000 / a);
    std::printf("speed-up                  %.2f (target >= 1.7)\n", s / a);
    return 0;
}
