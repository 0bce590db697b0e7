// The folder browser's text rules, without any window.
#pragma once

#include <QString>

namespace dirslogic {

// The text before the last "/"; the root keeps its "/"; no "/" gives "".
QString parentdir(const QString &path);

// A network location given directly rather than through a mounted folder:
// a path pasted from Windows ("\\server"), "//server", or an address such
// as "smb://server".
bool isNetworkPath(const QString &text);

// The clipboard text without the white space and line breaks around it, as a
// copy from a terminal brings them along.
QString clipboardText(const QString &raw);

// The folder a clipboard text names: an absolute path as it stands, or the
// local path of a "file://" address; "" for anything else.
QString clipboardFolder(const QString &text);

// A stored setting read as a number: its leading numeric text (0 when there
// is none), rounded half to even. A value outside 16 bits gives -1, which no
// check box accepts.
int storedNumber(const QString &text);

} // namespace dirslogic
