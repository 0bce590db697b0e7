// Works in the window as a user does, waits two seconds and dies by SIGKILL:
// nothing of the program's own gets to run at the end. The arguments are the
// photo folder, whose photos are registered first ("-" restores the newest
// kept album instead and prints "restored"), then the steps taken
// (albumwindow.h's act, and "?text": wait until a kept album holds text,
// another window's work); without steps the first photo is captioned and the
// second one's caption typed.
#include "albumwindow.h"
#include "keptalbums.h"

#include "fileops/fsname.h"

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto w = testkit::window();
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get()))
        return 1;
    testkit::Modals modals;
    if (app.arguments().value(1) == QLatin1String("-")) {
        restoreRow(modals, *w, 0);
        // The restore window and the messages took the focus away with them.
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return 1;
        std::puts("restored");
        std::fflush(stdout);
    } else {
        w->Dir1->changeTo(fsname::decode(QByteArrayView(argv[1])));
        w->allselec();
    }
    QStringList steps = app.arguments().mid(2);
    if (steps.isEmpty())
        steps = {"@List1", "Down", "Return", "=umi", "Return", "Return", "=yama"};
    for (const QString &step : steps) {
        if (!step.startsWith(u'?'))
            act(*w, modals, step);
        else if (!QTest::qWaitFor([&] { return keptText().contains(step.mid(1)); }, 60000))
            return 1;
    }
    QTest::qWait(2000);
    std::raise(SIGKILL);
    return 0;
}
