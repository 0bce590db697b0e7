// What a message quotes of a text that came from elsewhere (the clipboard,
// a file): enough to recognise it, never enough to outgrow the screen.
#pragma once

#include <QString>

namespace excerpt {

inline constexpr int defaultLength = 100;

// The text's first line, cut after length characters; "…" stands for
// whatever is left out, later lines included. A character is never cut in
// half.
QString first(const QString &text, int length = defaultLength);

} // namespace excerpt
