// Procedures shared by the windows.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>

#include <functional>

class main1;
class QCheckBox;
class QWidget;

namespace dirs {

// Folder to rename, chosen in the directory pane's pop-up menu.
extern QString motodir;
// Full path of the photo shown in the preview.
extern QString imgpath;

// mode 1 reads "firstdir"; any other mode stores the current directory.
QString firstdirio(int mode, const QString &app);
// mode 1 reads "ban" as a 16-bit number; any other mode stores value.
int banio(int mode, int value);

// The Desktop folder, or the empty string.
QString desktopdir();
// Moves the folder browser to the folder named on the clipboard, or says why not.
void clipchdir(main1 &w);
// The text before the last separator; a root keeps its separator.
QString parentdir(const QString &path);

enum class Buttons { Ok, YesNo };
// A modal message box with no icon unless one is asked for; returns the button pressed.
QMessageBox::StandardButton message(QWidget *parent, const QString &text, Buttons buttons = Buttons::Ok,
                                    const QString &title = QStringLiteral("KAMERIO"),
                                    QMessageBox::Icon icon = QMessageBox::NoIcon);

// Every page, photo, web address or folder the program shows in another
// program goes through here; tests replace it so no real browser starts.
using Opener = std::function<bool(const QUrl &)>;
void setOpener(Opener opener);
bool openExternal(const QUrl &url);

// A check box as a number: 0 unchecked, 1 checked, 2 grey. Setting any other
// value is refused and changes nothing.
int checkValue(const QCheckBox *box);
bool setCheckValue(QCheckBox *box, int value);

// The current directory as the process sees it, and a change of it that
// reaches folders whose names are not valid UTF-8.
QString currentDir();
bool setCurrentDir(const QString &path);

} // namespace dirs
