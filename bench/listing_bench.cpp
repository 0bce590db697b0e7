// Listing a folder into the file pane and registering every file with
// Command2, for folders of 1 000, 10 000 and 30 000 photos.
//
//   build/bench/listing_bench [reps]
#include "app/main1.h"
#include "app/panes.h"
#include "bench/benchkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    main1 w;
    std::printf("%8s %14s %14s %12s\n", "files", "list (ms)", "register (ms)", "ns/file");
    for (int n : {1000, 10000, 30000}) {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        for (int i = 0; i < n; ++i) {
            const QByteArray name = base + "/IMG_" + QByteArray::number(i) + ".JPG";
            ::close(::open(name.constData(), O_CREAT | O_WRONLY, 0644));
        }
        std::vector<double> list, reg;
        for (int r = 0; r < reps; ++r) {
            QElapsedTimer t;
            t.start();
            w.Dir1->changeTo(dir.path());
            list.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            QTest::mouseClick(w.Command2, Qt::LeftButton);
            reg.push_back(t.nsecsElapsed() / 1e6);
            if (w.List1->count() != n || w.File1->count() != n)
                return std::fprintf(stderr, "expected %d files\n", n), 1;
            w.Dir1->changeTo(config.path());
        }
        const double l = benchkit::median(list), g = benchkit::median(reg);
        std::printf("%8d %14.1f %14.1f %12.0f\n", n, l, g, (l + g) * 1e6 / n);
    }
    return 0;
}
