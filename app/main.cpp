#include "app/main1.h"
#include "cli/cli.h"
#include "screens/appicon.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The command line is settled before Qt looks for a display, so that it
    // works where there is none.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const cli::Request request = cli::parse(arguments);
    if (const auto *reply = std::get_if<cli::Reply>(&request)) {
        std::fputs(reply->out.toLocal8Bit().constData(), stdout);
        std::fputs(reply->err.toLocal8Bit().constData(), stderr);
        return reply->status;
    }

    QApplication app(argc, argv);
    // Lets the desktop match the running windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("kamerio"));
    QApplication::setWindowIcon(appicon::icon());
    main1 w;
    w.show();
    return app.exec();
}
