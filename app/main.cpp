#include "app/display.h"
#include "app/main1.h"
#include "cli/cli.h"
#include "cli/make.h"
#include "cli/publish.h"
#include "fileops/fsname.h"
#include "screens/appicon.h"

#include <QApplication>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

// Paths keep the bytes of names that are not UTF-8.
int print(const cli::Reply &reply)
{
    std::fputs(fsname::encode(reply.out).constData(), stdout);
    std::fputs(fsname::encode(reply.err).constData(), stderr);
    return reply.status;
}

// SIGINT and SIGTERM ask a publishing run to stop at its next safe point.
std::atomic_bool stopRequested = false;

void requestStop(int)
{
    stopRequested = true;
}

void printLine(FILE *stream, const QString &line)
{
    std::fputs(fsname::encode(line + u'\n').constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line is settled before Qt looks for a display, so that it
    // works where there is none.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << fsname::decode(QByteArrayView(argv[i]));
    const cli::Request request = cli::parse(arguments);
    if (const auto *reply = std::get_if<cli::Reply>(&request))
        return print(*reply);
    if (const auto *args = std::get_if<cli::MakeArgs>(&request)) {
        // Qt Core only: no display is looked for.
        QCoreApplication app(argc, argv);
        return print(cli::make(*args));
    }

    if (const auto *args = std::get_if<cli::PublishArgs>(&request)) {
        QCoreApplication app(argc, argv);
        struct sigaction stop = {};
        stop.sa_handler = requestStop;
        sigemptyset(&stop.sa_mask);
        sigaction(SIGINT, &stop, nullptr);
        sigaction(SIGTERM, &stop, nullptr);
        return cli::publish(
            *args, [](const QString &line) { printLine(stdout, line); },
            [](const QString &message) { printLine(stderr, message); }, &stopRequested);
    }

    const std::optional<QByteArray> platform = display::platform();
    if (!platform)
        return print(cli::Reply{QString(), display::missing(), 1});
    // The window is started with no arguments; Qt is told the platform only
    // where it would not find it by itself.
    QByteArray option("-platform");
    QByteArray name = *platform;
    char *qtArguments[] = {argv[0], option.data(), name.data(), nullptr};
    int qtCount = name.isEmpty() ? 1 : 3;
    QApplication app(qtCount, qtArguments);
    // Lets the desktop match the running windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("kamerio"));
    QApplication::setWindowIcon(appicon::icon());
    main1 w;
    w.show();
    return app.exec();
}
