// Sorting 1 000 photos by the time they were taken, with a warm file cache,
// against exiftool reading DateTimeOriginal from the same files in one run.
// A third of the photos carry a time offset and one in ten has no date.
//
// Usage: sort_bench [repetitions]   (default 5; target: sort <= 500 ms)
#include "album/arranging.h"
#include "bench/benchkit.h"
#include "tests/exifdates.h"
#include "tests/jpegs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int photoCount = 1000;

// A camera-sized preview: what the file holds after its EXIF block does not
// matter to the reading, but its size matters to the file cache.
QByteArray picture()
{
    QImage image(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    return jpegs::encode(image, 85);
}

// Shot times scattered over a holiday, so the sort has work to do.
std::string taken(int i)
{
    const int minutes = (i * 7919) % (14 * 24 * 60);
    char out[20];
    std::snprintf(out, sizeof out, "2023:08:%02d %02d:%02d:%02d", 1 + minutes / (24 * 60), minutes / 60 % 24,
                  minutes % 60, i % 60);
    return out;
}

// One exiftool run over all the files; the number of dates it printed, or -1.
int exiftool(const QStringList &paths, double &ms)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("exiftool"), QStringList{QStringLiteral("-DateTimeOriginal"), QStringLiteral("-s3")} + paths);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    ms = benchkit::msSince(t);
    // Between the "======== file" headers and the summary, one line a date.
    int dates = 0;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
        dates += !line.isEmpty() && line[0] >= '0' && line[0] <= '9';
    return dates;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QByteArray jpeg = picture();
    QStringList names, entries, paths;
    for (int i = 0; i < photoCount; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0'));
        const std::string offset = i % 3 == 0 ? (i % 2 ? "+09:00" : "-05:00") : "";
        if (!exifdates::writePhoto(dir.filePath(name), jpeg, i % 10 == 9 ? std::string() : taken(i), offset)) {
            std::fprintf(stderr, "cannot write the photos\n");
            return 1;
        }
        names.append(name);
        entries.append(name + QStringLiteral(",説明"));
        paths.append(dir.filePath(name));
    }
    std::printf("%d photos of %.0f KB in %s; %d repetitions\n", photoCount, double(jpeg.size()) / 1024,
                qPrintable(dir.path()), reps);

    // Warm the file cache and both readers once before measuring.
    arranging::sortByShotDate(entries, dir.path());
    double ms = 0;
    const int dated = exiftool(paths, ms);
    if (dated < 0) {
        std::fprintf(stderr, "exiftool failed (is libimage-exiftool-perl installed?)\n");
        return 1;
    }

    std::vector<double> sorting, oneByOne, tool;
    arranging::Order order;
    for (int r = 0; r < reps; ++r) {
        QElapsedTimer t;
        t.start();
        order = arranging::sortByShotDate(entries, dir.path());
        sorting.push_back(benchkit::msSince(t));

        t.restart();
        int found = 0;
        for (const QString &name : names)
            found += arranging::shotTime(dir.path(), name).has_value();
        oneByOne.push_back(benchkit::msSince(t));
        if (found != photoCount)
            std::printf("only %d of %d photos read\n", found, photoCount);

        exiftool(paths, ms);
        tool.push_back(ms);
    }
    const double s = benchkit::median(sorting), x = benchkit::median(tool);
    std::printf("sort by shot date                median %8.1f ms  (target <= 500)\n", s);
    std::printf("the same times read one by one   median %8.1f ms\n", benchkit::median(oneByOne));
    std::printf("exiftool -DateTimeOriginal -s3   median %8.1f ms  (%d dates printed)\n", x, dated);
    std::printf("ratio sort/exiftool              %.2f\n", s / x);
    const bool sorted = order.size() == photoCount;
    if (!sorted)
        std::printf("the sort lost entries\n");
    return sorted && s <= 500 ? 0 : 1;
}
