#include "app/main1.h"
#include "screens/appicon.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Lets the desktop match the running windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("kamerio"));
    QApplication::setWindowIcon(appicon::icon());
    main1 w;
    w.show();
    return app.exec();
}
