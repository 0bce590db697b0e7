// Whether the window has a screen to open on, asked before Qt is: the
// platform Qt picks ends the program with an abort when it finds none.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace display {

// The platform the window opens on: empty for Qt's own choice, "wayland"
// when only a Wayland session answers (Qt would look for an X server
// first), nothing when no display answers at all.
std::optional<QByteArray> platform();

// What the program says when there is none.
QString missing();

} // namespace display
