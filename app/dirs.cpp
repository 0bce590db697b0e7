#include "app/dirs.h"

#include "app/dirslogic.h"
#include "app/main1.h"
#include "app/panes.h"
#include "fileops/fsname.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>

#include <unistd.h>

#include <climits>
#include <vector>

namespace dirs {

QString motodir;
QString imgpath;

namespace {

QSettings store()
{
    return QSettings(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
}

Opener &opener()
{
    static Opener o = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    return o;
}

} // namespace

QString firstdirio(int mode, const QString &app)
{
    QSettings s(app, app);
    s.beginGroup(QStringLiteral("startup"));
    if (mode == 1)
        return s.value(QStringLiteral("firstdir"), QString()).toString();
    s.setValue(QStringLiteral("firstdir"), currentDir());
    return QString();
}

int banio(int mode, int value)
{
    QSettings s = store();
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
    const QString text = QGuiApplication::clipboard()->text();
    if (dirslogic::isNetworkPath(text)) {
        message(&w, QStringLiteral("直のネットワークドライブには、対応しておりません。ドライブ名を割り当て、ドライブ名にて指定して下さい。"));
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
    if (ok) {
        w.Dir1->refresh();
        ok = setCurrentDir(w.Dir1->path());
    }
    if (!ok) {
        w.Label1->setText(old);
        message(&w, text + QStringLiteral(" のﾃﾞｨﾚｸﾄﾘはありません"));
        return;
    }
    w.Label1->setText(shown);
}

QString parentdir(const QString &path)
{
    return dirslogic::parentdir(path);
}

QMessageBox::StandardButton message(QWidget *parent, const QString &text, Buttons buttons, const QString &title,
                                    QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text,
                    buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("message"));
    // Paths and names in a message are shown as spelt, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    return QMessageBox::StandardButton(box.exec());
}

void setOpener(Opener o)
{
    opener() = std::move(o);
}

bool openExternal(const QUrl &url)
{
    return opener() && opener()(url);
}

int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

bool setCheckValue(QCheckBox *box, int value)
{
    if (value < 0 || value > 2)
        return false;
    // Only a stored value can make a box grey; the user's clicks toggle it.
    box->setTristate(value == 2);
    box->setCheckState(value == 2 ? Qt::PartiallyChecked : value == 1 ? Qt::Checked : Qt::Unchecked);
    return true;
}

QString currentDir()
{
    std::vector<char> buf(PATH_MAX + 1);
    if (!getcwd(buf.data(), buf.size()))
        return QString();
    return fsname::decode(QByteArrayView(buf.data()));
}

bool setCurrentDir(const QString &path)
{
    return !path.isEmpty() && chdir(fsname::encode(path).constData()) == 0;
}

} // namespace dirs
