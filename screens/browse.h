// Showing pages, photos and web addresses in the system's web browser.
#pragma once

#include <QUrl>

class QWidget;

namespace browse {

// Opens url in a browser window; when no browser can be started, or the one
// started gives up, says so in a message box over parent (while it is open).
// Returns whether a browser was started.
bool open(QWidget *parent, const QUrl &url);

} // namespace browse
