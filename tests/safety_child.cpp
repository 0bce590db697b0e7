// Types captions into the window as a user does, waits two seconds and dies
// by SIGKILL: nothing of the program's own gets to run at the end.
#include "albumwindow.h"

#include <csignal>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto w = testkit::window();
    w->Dir1->changeTo(QString::fromLocal8Bit(argv[1]));
    w->allselec();
    w->List1->setFocus();
    QTest::keyClick(w->List1, Qt::Key_Down);
    QTest::keyClick(w->List1, Qt::Key_Return);
    QTest::keyClicks(w->Text1, QStringLiteral("umi"));
    QTest::keyClick(w->Text1, Qt::Key_Return);
    QTest::keyClick(w->Command7, Qt::Key_Return);
    QTest::keyClicks(w->Text1, QStringLiteral("yama"));
    QTest::qWait(2000);
    std::raise(SIGKILL);
    return 0;
}
