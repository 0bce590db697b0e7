// Works in the window as a user does, waits two seconds and dies by SIGKILL:
// nothing of the program's own gets to run at the end. The arguments are the
// photo folder, whose photos are registered first, then the steps taken
// (albumwindow.h's act); without steps the first photo is captioned and the
// second one's caption typed.
#include "albumwindow.h"

#include <csignal>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto w = testkit::window();
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get()))
        return 1;
    w->Dir1->changeTo(QString::fromLocal8Bit(argv[1]));
    w->allselec();
    QStringList steps = app.arguments().mid(2);
    if (steps.isEmpty())
        steps = {"@List1", "Down", "Return", "=umi", "Return", "Return", "=yama"};
    testkit::Modals modals;
    for (const QString &step : steps)
        act(*w, modals, step);
    QTest::qWait(2000);
    std::raise(SIGKILL);
    return 0;
}
