#include "app/opener.h"

#include <QProcess>
#include <QStandardPaths>

namespace opener {
namespace {

// xdg-open, run by us rather than detached, so that its exit status is
// seen: it ends with an error when the browser or file manager it chose
// cannot start. Nothing waits for it.
bool xdgOpen(const QUrl &url, const Failed &failed)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    // No parent: the program it starts must outlive our window if need be.
    auto *run = new QProcess;
    run->setProgram(program);
    run->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    run->setStandardOutputFile(QProcess::nullDevice());
    run->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(run, &QProcess::finished, run, [run, failed](int code, QProcess::ExitStatus status) {
        run->deleteLater();
        if (status != QProcess::NormalExit || code != 0)
            failed();
    });
    QObject::connect(run, &QProcess::errorOccurred, run, [run, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        run->deleteLater();
        failed();
    });
    run->start();
    return true;
}

Function &current()
{
    static Function f = xdgOpen;
    return f;
}

} // namespace

void set(Function f)
{
    current() = f ? std::move(f) : Function(xdgOpen);
}

bool open(const QUrl &url, const Failed &failed)
{
    if (current()(url, failed))
        return true;
    if (failed)
        failed();
    return false;
}

} // namespace opener
