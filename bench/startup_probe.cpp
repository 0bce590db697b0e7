// One start of a program, for startup_bench: "bare" shows a plain Qt window
// holding one Japanese label, "kamerio" starts the program as app/main.cpp
// does. Either way, once the window's first frame has been painted, "shown"
// is printed with the processor time the process has used so far (in
// milliseconds), and the process ends there.
#include "app/main1.h"
#include "screens/appicon.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The first paint of the top-level widget starts the frame; its children are
// painted and the frame is flushed before a zero timer posted then can fire.
class FirstFrame : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                rusage used{};
                getrusage(RUSAGE_SELF, &used);
                const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
                std::printf("shown %.1f\n", ms(used.ru_utime) + ms(used.ru_stime));
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
        window = std::make_unique<QLabel>(QStringLiteral("簡単・写真ＨＰ作成"));
    } else {
        QGuiApplication::setDesktopFileName(QStringLiteral("kamerio"));
        QApplication::setWindowIcon(appicon::icon());
        window = std::make_unique<main1>();
    }
    FirstFrame frame;
    window->installEventFilter(&frame);
    window->show();
    return app.exec();
}
