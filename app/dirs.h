// Procedures shared by the windows: the stored settings and the folder
// browser's Desktop, clipboard and parent-path helpers.
#pragma once

#include <QSettings>
#include <QString>

class main1;

namespace dirs {

// Folder to rename, chosen in the directory pane's pop-up menu.
extern QString motodir;
// Full path of the photo shown in the preview.
extern QString imgpath;

// The program's settings store.
QSettings settings();

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

} // namespace dirs
