// The page style for phones on an album of 24 photos of 6000x4000:
// (a) making every picture the pages need, against libvips's vipsthumbnail
//     making the same sizes one by one;
// (b) the pages' weight and paint in Chromium on a phone over a slow 4G link
//     (150 ms, 1.6 Mbit/s, processor 4x slower, through the DevTools
//     protocol) and on a desktop, served from 127.0.0.1.
//
// Usage: modern_bench [photos]   (default 24; targets: ours/vipsthumbnail <= 1.0,
//   phone first screen <= 250 kB and 8 requests, <= 400 kB by load, LCP <= 2.0 s,
//   desktop first screen <= 600 kB)
#include "bench/benchkit.h"
#include "fileops/fsname.h"
#include "html/engine.h"
#include "html/modern.h"
#include "tests/jpegs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <cstdio>

namespace {

constexpr int largest = webcopy::defaultEdge;

// A photo with detail at every scale, so that its small pictures weigh what
// a camera photo's do: smooth gradients, grain, and patches of texture as
// large as leaves or bricks.
QImage photo(int width, int height, int seed)
{
    QImage image = jpegs::photoLike(width, height);
    constexpr int cell = 40;
    quint32 state = quint32(seed) * 2654435761u;
    const int cols = width / cell + 2, rows = height / cell + 2;
    std::vector<int> patches(size_t(cols * rows));
    for (int &p : patches) {
        state = state * 1664525u + 1013904223u;
        p = int(state >> 26) - 32;
    }
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int t = patches[size_t((y / cell) * cols + x / cell)] +
                          int(12 * std::sin(double(x) / (7 + seed % 5)) * std::cos(double(y) / 9));
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + t, 0, 255), std::clamp(qGreen(c) + t, 0, 255),
                           std::clamp(qBlue(c) - t, 0, 255));
        }
    }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 24;
    QTemporaryDir dir;
    const QString folder = dir.path();
    QStringList names, entries;
    qint64 bytes = 0;
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        const QByteArray jpeg = jpegs::encode(photo(6000, 4000, i), 92);
        if (!benchkit::write(fsname::join(folder, name), jpeg)) {
            std::fprintf(stderr, "cannot write the test photos\n");
            return 1;
        }
        bytes += jpeg.size();
        names << name;
        entries << name + QStringLiteral(",写真 %1 の説明<br>二行目の文").arg(i);
    }
    std::printf("%d photos of 6000x4000, %.1f MB in all; pictures of longer sides 360, 720, 1080, %d; %d processors\n",
                count, double(bytes) / 1e6, largest, QThread::idealThreadCount());

    // (a) Our pictures, every size of every photo, against vipsthumbnail one by one.
    const auto plan = [](const QString &p, QSize upright) { return modern::plan(p, upright, largest); };
    QElapsedTimer t;
    t.start();
    const webcopy::Result made = webcopy::update(folder, names, plan);
    const double ours = benchkit::msSince(t);
    if (made.written != count) {
        std::fprintf(stderr, "only %d of the photos got their pictures\n", made.written);
        return 1;
    }
    const QString vipsOut = dir.filePath(QStringLiteral("vips"));
    QDir().mkpath(vipsOut);
    double vips = 0;
    for (const QString &name : names) {
        for (const webcopy::Target &target : plan(name, {6000, 4000})) {
            const double ms = benchkit::timeProgram(
                {"vipsthumbnail", QFile::encodeName(fsname::join(folder, name)), "-s", QByteArray::number(target.edge),
                 "-o", QFile::encodeName(fsname::join(vipsOut, target.name)) + "[Q=85,strip]"});
            if (ms < 0) {
                std::fprintf(stderr, "vipsthumbnail failed\n");
                return 1;
            }
            vips += ms;
        }
    }
    std::printf("our pictures            %8.0f ms (%.0f ms a photo)\n", ours, ours / count);
    std::printf("vipsthumbnail one by one %8.0f ms (%.0f ms a photo)\n", vips, vips / count);
    std::printf("ratio ours/vipsthumbnail %.2f (target <= 1.0)\n", ours / vips);

    // (b) The pages in Chromium.
    album::Album album;
    album.entries = entries;
    album.title = QStringLiteral("京都の旅");
    engine::Options options;
    options.style = engine::Style::Modern;
    engine::generate(album, folder, options);
    album.pageName = QStringLiteral("split.html");
    album.split = 1;
    engine::generate(album, folder, options);
    QProcess node;
    node.setProcessChannelMode(QProcess::ForwardedChannels);
    node.start(QStringLiteral("node"), {QStringLiteral(KAMERIO_BROWSER_SCRIPT), QStringLiteral("report"),
                                        QStringLiteral(KAMERIO_BROWSER_MODULES), folder});
    if (!node.waitForFinished(300000) || node.exitCode() != 0) {
        std::fprintf(stderr, "the browser could not measure the pages (./build.sh test installs what it needs)\n");
        return 1;
    }
    return 0;
}
