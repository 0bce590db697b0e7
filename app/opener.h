// Every page, photo, web address or folder the program shows in another
// program goes through here; tests replace it so no real browser starts.
#pragma once

#include <QUrl>

#include <functional>

namespace opener {

// Called from the event loop when the program that was to show an address
// gave up after it had started.
using Failed = std::function<void()>;

// Starts what shows url and returns at once: false when nothing could be
// started; a later failure comes through failed.
using Function = std::function<bool(const QUrl &url, const Failed &failed)>;

// Replaces the opener; nullptr puts the program's own back.
void set(Function f);

// Hands url to the desktop (xdg-open). failed is called when nothing could
// be started (and false returned) as when the program gave up later.
bool open(const QUrl &url, const Failed &failed);

} // namespace opener
