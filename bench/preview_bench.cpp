// How long the preview of a 24-megapixel photo takes, against libjpeg-turbo's
// own djpeg decoding the same file at 1/8 scale; and that a photo stored on
// its side comes out upright.
//
// Usage: preview_bench [repetitions]   (default 15; target: ratio <= 1.5)
#include "album/preview.h"
#include "bench/benchkit.h"
#include "tests/jpegs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QSize box(291, 218); // Image1 inside its border
const QColor marker(255, 0, 0);

// A photo-like picture with a red square in its top left corner.
QImage photo(int width, int height)
{
    QImage image = jpegs::photoLike(width, height);
    for (int y = 0; y < 600; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)), 600, marker.rgb());
    return image;
}

double timeDjpeg(const QString &path)
{
    return benchkit::timeProgram({"djpeg", "-scale", "1/8", "-outfile", "/dev/null", QFile::encodeName(path)});
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 60 && qAbs(a.green() - b.green()) < 60 && qAbs(a.blue() - b.blue()) < 60;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.jpg"));
    const QString turned = dir.filePath(QStringLiteral("turned.jpg"));
    const QByteArray jpeg = jpegs::encode(photo(6000, 4000), 90);
    if (!benchkit::write(plain, jpeg) || !benchkit::write(turned, jpegs::withOrientation(jpeg, 6))) {
        std::fprintf(stderr, "cannot write the test photos\n");
        return 1;
    }
    std::printf("photo: 6000x4000, JPEG quality 90, %.1f MB; preview box %dx%d; %d repetitions\n",
                double(jpeg.size()) / 1e6, box.width(), box.height(), reps);

    // Warm the page cache and both decoders once before measuring.
    preview::load(plain, box);
    timeDjpeg(plain);

    std::vector<double> ours, djpeg, upright;
    QSize shownPlain, shownTurned;
    bool markerTopRight = false;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        const QImage a = preview::load(plain, box);
        ours.push_back(benchkit::msSince(t));
        shownPlain = a.size();

        const double d = timeDjpeg(plain);
        if (d < 0) {
            std::fprintf(stderr, "djpeg failed\n");
            return 1;
        }
        djpeg.push_back(d);

        t.restart();
        const QImage b = preview::load(turned, box);
        upright.push_back(benchkit::msSince(t));
        shownTurned = b.size();
        // Turned right, the stored top left corner is shown top right.
        markerTopRight = !b.isNull() && near(b.pixelColor(b.width() - 5, 5), marker)
                         && !near(b.pixelColor(5, 5), marker);
    }
    const double o = benchkit::median(ours), d = benchkit::median(djpeg);
    std::printf("preview decode          median %8.2f ms  -> %dx%d\n", o, shownPlain.width(), shownPlain.height());
    std::printf("djpeg -scale 1/8        median %8.2f ms\n", d);
    std::printf("ratio preview/djpeg     %.2f (target <= 1.5)\n", o / d);
    std::printf("EXIF orientation 6      median %8.2f ms  -> %dx%d, %s\n", benchkit::median(upright), shownTurned.width(),
                shownTurned.height(), markerTopRight ? "upright" : "NOT UPRIGHT");
    const bool sizesRight = shownPlain == preview::decodeSize({6000, 4000}, box, false)
                            && shownTurned == preview::decodeSize({6000, 4000}, box, true).transposed();
    if (!sizesRight)
        std::printf("unexpected preview size\n");
    return markerTopRight && sizesRight ? 0 : 1;
}
