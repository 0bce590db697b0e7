// Which files the file pane opens in the browser, and the address they open at.
#pragma once

#include <QString>
#include <QUrl>

namespace browselogic {

// A page is a name ending in "html" or "htm", in any letter case
// (".shtml" too, ".html.bak" not).
bool isPage(const QString &path);

// The address of a file on disk. A name that is not valid UTF-8 keeps its
// exact bytes, so the browser reaches that file and no other.
QUrl fileUrl(const QString &path);

} // namespace browselogic
