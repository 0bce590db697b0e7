// Captioning a folder of 24-megapixel photos with the keyboard as a user
// does: type the caption, pause, Enter, Enter. Measured is how long after the
// second Enter the next photo shows in the preview, against decoding one
// preview alone.
//
// Usage: caption_bench [photos]   (default 20; target: median <= 10 ms)
#include "album/preview.h"
#include "app/dirs.h"
#include "app/main1.h"
#include "app/panes.h"
#include "bench/benchkit.h"
#include "fileops/fsname.h"
#include "tests/jpegs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const int typistPauseMs = 300;

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;

    const QString folder = home.filePath(QStringLiteral("photos"));
    QDir().mkpath(folder);
    const QByteArray jpeg = jpegs::encode(jpegs::photoLike(6000, 4000), 90);
    QStringList photos;
    for (int i = 0; i < count; ++i) {
        photos.append(fsname::join(folder, QStringLiteral("IMG_%1.jpg").arg(i + 1, 4, 10, QChar(u'0'))));
        if (!benchkit::write(photos.last(), jpeg)) {
            std::fprintf(stderr, "cannot write the test photos\n");
            return 1;
        }
    }

    main1 w;
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w)) {
        std::fprintf(stderr, "the window never became active\n");
        return 1;
    }
    w.Dir1->changeTo(folder);
    w.allselec();
    const QSize box = w.Image1->contentsRect().size();
    std::printf("%d photos of 6000x4000, JPEG quality 90, %.1f MB each; preview box %dx%d; pause %d ms\n", count,
                double(jpeg.size()) / 1e6, box.width(), box.height(), typistPauseMs);

    // Keeps the event loop waking while the preview is waited for.
    QTimer tick;
    tick.start(5);
    const auto waitShown = [&](const QString &path, qint64 before) {
        QElapsedTimer limit;
        limit.start();
        while (dirs::imgpath != path || w.Image1->pixmap().isNull() || w.Image1->pixmap().cacheKey() == before) {
            if (limit.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    };

    w.List1->setFocus();
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    if (!waitShown(photos[0], 0)) {
        std::fprintf(stderr, "the first preview never showed\n");
        return 1;
    }
    std::vector<double> shown;
    int atOnce = 0;
    for (int i = 0; i + 1 < count; ++i) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("photo %1 by the lake").arg(i + 1));
        QTest::qWait(typistPauseMs);
        press(Qt::Key_Return);
        const qint64 before = w.Image1->pixmap().cacheKey();
        QElapsedTimer t;
        t.start();
        press(Qt::Key_Return);
        atOnce += !w.Image1->pixmap().isNull() && w.Image1->pixmap().cacheKey() != before;
        if (!waitShown(photos[i + 1], before)) {
            std::fprintf(stderr, "the preview of %s never showed\n", qPrintable(photos[i + 1]));
            return 1;
        }
        shown.push_back(benchkit::msSince(t));
    }

    std::vector<double> decode;
    for (const QString &p : photos) {
        QElapsedTimer t;
        t.start();
        preview::load(p, box);
        decode.push_back(benchkit::msSince(t));
    }
    std::printf("Enter to next preview    median %8.2f ms  max %8.2f ms  (target: median <= 10 ms)\n",
                benchkit::median(shown), *std::max_element(shown.begin(), shown.end()));
    std::printf("shown within the Enter   %d of %zu\n", atOnce, shown.size());
    std::printf("decode alone             median %8.2f ms  max %8.2f ms\n", benchkit::median(decode),
                *std::max_element(decode.begin(), decode.end()));
    return 0;
}
