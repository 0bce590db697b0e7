// Moving one entry of a full photo list (32 767 entries) in the window: with
// Alt+Down and Alt+Up, by dragging it from the top to the bottom, and taking
// a move back with Ctrl+Z. Each figure includes the list laying itself out
// and painting, as the user waits for it.
//
// Usage: move_bench [moves]   (default 200; target: a move <= 5 ms)
#include "album/photoentry.h"
#include "app/main1.h"
#include "app/panes.h"
#include "bench/benchkit.h"

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// The median time of step, run count times, with the events it causes.
double median(int count, const std::function<void(int)> &step)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        step(i);
        QCoreApplication::processEvents();
        times.push_back(benchkit::msSince(t));
    }
    return benchkit::median(times);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    const int moves = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;

    main1 w;
    album::Album a = w.album();
    for (int i = 0; i < photoentry::maxEntries; ++i)
        a.entries.append(QStringLiteral("IMG_%1.JPG,写真 %1 の説明").arg(i, 5, 10, QChar(u'0')));
    w.setAlbum(a);
    w.show();
    QListWidget *list = w.List1;
    list->setCurrentRow(photoentry::maxEntries / 2);
    QCoreApplication::processEvents();

    const auto altKey = [list](int i) { QTest::keyClick(list, i % 2 ? Qt::Key_Up : Qt::Key_Down, Qt::AltModifier); };
    const double down = median(moves, [&](int) { altKey(0); });
    const double up = median(moves, [&](int) { altKey(1); });
    const double undo = median(moves, [&](int i) {
        altKey(i);
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    });

    // The drop an entry dragged from the top to below the last one delivers.
    const double drag = median(std::max(2, moves / 20), [&](int) {
        QMimeData data;
        data.setData(QStringLiteral("application/x-kamerio-entry"),
                     QByteArray::number(QCoreApplication::applicationPid()) + " 0");
        const QPoint below(5, list->viewport()->height() - 1);
        list->scrollToBottom();
        QDragEnterEvent enter(below, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &enter);
        QDropEvent drop(below, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &drop);
    });

    const bool kept = list->count() == photoentry::maxEntries && list->item(0)->text() != a.entries[0];
    std::printf("%d entries, %d moves each\n", int(list->count()), moves);
    std::printf("Alt+Down                       median %7.2f ms  (target <= 5)\n", down);
    std::printf("Alt+Up                         median %7.2f ms  (target <= 5)\n", up);
    std::printf("Alt+Down then Ctrl+Z           median %7.2f ms\n", undo);
    std::printf("drag from the top to the end   median %7.2f ms\n", drag);
    if (!kept)
        std::printf("the list lost entries, or the drag moved none\n");
    return kept && down <= 5 && up <= 5 ? 0 : 1;
}
