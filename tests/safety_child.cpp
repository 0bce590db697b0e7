// A window of the program in a process of its own, which types captions as
// a user does, waits past the safety copy's delay and dies by SIGKILL:
// nothing of the program's own gets to run at the end.
//
//   safety_child new FOLDER
//     registers FOLDER's photos, registers "umi" for the first and types
//     "yama" for the second without registering it;
//   safety_child restore STEP...
//     restores the newest kept album and prints "restored", then takes each
//     step: ROW=CAPTION registers a caption, ?TEXT waits until a kept album
//     holds TEXT (another window's work).
#include "albumwindow.h"
#include "keptalbums.h"

#include "fileops/fsname.h"

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    auto w = testkit::window();
    if (args.value(0) == QLatin1String("new")) {
        w->Dir1->changeTo(fsname::decode(QByteArrayView(argv[2])));
        w->allselec();
        registerCaption(*w, 0, QStringLiteral("umi"));
        QTest::keyClicks(w->Text1, QStringLiteral("yama"));
    } else {
        testkit::Modals modals;
        restoreRow(modals, *w, 0);
        std::puts("restored");
        std::fflush(stdout);
        for (const QString &step : args.mid(1)) {
            if (!step.startsWith(u'?'))
                registerCaption(*w, step.section(u'=', 0, 0).toInt(), step.section(u'=', 1));
            else if (!QTest::qWaitFor([&] { return keptText().contains(step.mid(1)); }, 60000))
                return 1;
        }
    }
    QTest::qWait(2500);
    std::raise(SIGKILL);
    return 0;
}
