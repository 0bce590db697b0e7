// The window while the listed photos are copied to "tmp": 2 GB of 8 MB
// photos, a timer ticking every 5 ms on the window's thread, and the longest
// gap between two ticks from the press of the button until the copy has
// ended. With --shot FILE (run under xvfb-run -a) the screen is saved once
// the progress window is up.
//
// Usage: copy_bench [megabytes] [--shot FILE]   (default 2048; target: longest stall <= 100 ms)
#include "app/main1.h"
#include "app/panes.h"
#include "bench/benchkit.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_STATE_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    int megabytes = 2048;
    QString shot;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--shot" && i + 1 < argc)
            shot = QFile::decodeName(argv[++i]);
        else
            megabytes = std::max(8, std::atoi(argv[i]));
    }

    QTemporaryDir dir(QStringLiteral("/var/tmp/kamerio-copy-XXXXXX"));
    QByteArray body(8 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(body.data()), body.size() / 4);
    album::Album a;
    for (int i = 0; i < megabytes / 8; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0'));
        QFile f(dir.path() + u'/' + name);
        body[0] = char(i);
        if (!f.open(QIODevice::WriteOnly) || f.write(body) != body.size())
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName())), 1;
        a.entries.append(name);
    }

    main1 w;
    w.Dir1->setPath(dir.path());
    a.title = w.album().title;
    w.setAlbum(a);
    w.Label11_Click();
    w.show();
    QCoreApplication::processEvents();

    QElapsedTimer sinceTick;
    double longest = 0;
    bool copying = false;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (copying)
            longest = std::max(longest, benchkit::msSince(sinceTick));
        sinceTick.restart();
    });
    ticker.start(5);
    QTimer camera;
    QObject::connect(&camera, &QTimer::timeout, [&] {
        auto *progress = w.findChild<QDialog *>(QStringLiteral("longwork"));
        if (shot.isEmpty() || !progress || !progress->isVisible())
            return;
        QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
        std::printf("screenshot: %s\n", qPrintable(shot));
        shot.clear();
        // Taking the shot is the benchmark's own stall, not the window's.
        sinceTick.restart();
    });
    camera.setSingleShot(false);
    QTimer::singleShot(0, [&] {
        sinceTick.restart();
        copying = true;
        QElapsedTimer t;
        t.start();
        // The progress window is given a second to be seen before the shot.
        camera.start(1000);
        w.Command5->click();
        copying = false;
        const double ms = benchkit::msSince(t);
        std::printf("copied %d MB in %d photos to tmp: %.0f ms (%.0f MB/s)\n", megabytes / 8 * 8,
            int(a.entries.size()), ms, megabytes / ms * 1000);
        std::printf("longest stall of the window's event loop during the copy: %.1f ms (target <= 100)\n",
            longest);
        const double cp = benchkit::timeProgram({"sh", "-c",
            "mkdir -p " + QFile::encodeName(dir.path()) + "/cp && cp " + QFile::encodeName(dir.path())
                + "/*.JPG " + QFile::encodeName(dir.path()) + "/cp/ && sync"});
        std::printf("cp of the same photos, then sync: %.0f ms\n", cp);
        QCoreApplication::quit();
    });
    return app.exec();
}
