// Showing pages, photos and web addresses in the system's web browser.
#pragma once

#include <QUrl>

class QWidget;

namespace browse {

// Opens url in a browser window; when no browser can be started, says so in a
// message box over parent. Returns whether a browser took it.
bool open(QWidget *parent, const QUrl &url);

} // namespace browse
