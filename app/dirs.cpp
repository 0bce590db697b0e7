#include "app/dirs.h"

#include "app/main1.h"
#include "app/messagebox.h"
#include "app/panes.h"
#include "fileops/dirslogic.h"
#include "fileops/fsname.h"
#include "textio/excerpt.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>

namespace dirs {

QString motodir;
QString imgpath;

QSettings settings()
{
    return QSettings(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
}

QString firstdirio(int mode, const QString &app)
{
    QSettings s(app, app);
    s.beginGroup(QStringLiteral("startup"));
    if (mode == 1)
        return s.value(QStringLiteral("firstdir"), QString()).toString();
    s.setValue(QStringLiteral("firstdir"), fsname::currentDir());
    return QString();
}

int banio(int mode, int value)
{
    QSettings s = settings();
    s.beginGroup(QStringLiteral("startup"));
    if (mode == 1)
        return dirslogic::storedNumber(s.value(QStringLiteral("ban"), QString()).toString());
    s.setValue(QStringLiteral("ban"), QString::number(value));
    return 0;
}

QString desktopdir()
{
    const QString d = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Qt falls back to the home folder when no Desktop folder is configured.
    if (d.isEmpty() || !QFileInfo(d).isDir() || d == QStandardPaths::writableLocation(QStandardPaths::HomeLocation))
        return QString();
    return d;
}

void clipchdir(main1 &w)
{
    const QString text = dirslogic::clipboardText(QGuiApplication::clipboard()->text());
    if (dirslogic::isNetworkPath(text)) {
        messagebox::show(&w, QStringLiteral("直のネットワークドライブには、対応しておりません。ドライブ名を割り当て、ドライブ名にて指定して下さい。"));
        return;
    }
    const QString old = w.Label1->text();
    const QString target = dirslogic::clipboardFolder(text);
    // A path is shown as copied; a file address as the folder it names, since
    // pages and project files are written where Label1 says.
    const QString shown = target.isEmpty() ? text : target;
    // Each pane move rewrites Label1; putting the copied text back before the
    // next step leaves Label1 on the text exactly as copied.
    bool ok = !target.isEmpty();
    w.Label1->setText(shown);
    if (ok)
        ok = w.setDrive(target);
    w.Label1->setText(shown);
    if (ok)
        ok = w.Dir1->changeTo(target);
    w.Label1->setText(shown);
    if (ok)
        ok = fsname::setCurrentDir(w.Dir1->path());
    if (!ok) {
        w.Label1->setText(old);
        messagebox::show(&w, excerpt::first(text) + QStringLiteral(" のﾃﾞｨﾚｸﾄﾘはありません"));
        return;
    }
    w.Label1->setText(shown);
}

QString parentdir(const QString &path)
{
    return dirslogic::parentdir(path);
}

} // namespace dirs
