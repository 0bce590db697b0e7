// Every page, photo, web address or folder the program shows in another
// program goes through here; tests replace it so no real browser starts.
#pragma once

#include <QUrl>

#include <functional>

namespace opener {

using Function = std::function<bool(const QUrl &)>;

void set(Function f);

// Hands url to the desktop; false when nothing could be started.
bool open(const QUrl &url);

} // namespace opener
