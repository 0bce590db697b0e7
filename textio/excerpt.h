// What a message quotes of a text that came from elsewhere (the clipboard,
// a file): enough to recognise it, never enough to outgrow the screen.
#pragma once

#include <QString>
#include <QStringList>

namespace excerpt {

inline constexpr int defaultLength = 100;

// The text's first line, cut after length characters; "…" stands for
// whatever is left out, later lines included. A character is never cut in
// half.
QString first(const QString &text, int length = defaultLength);

// The first most items joined by separator, then more (with %1 for how many
// are left out) when there are more.
QString firstFew(const QStringList &items, int most, QChar separator, const QString &more);

} // namespace excerpt
