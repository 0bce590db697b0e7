// One item of the photo list: a bare file name, optionally followed by ","
// and the caption. Only the first comma separates.
#pragma once

#include <QString>
#include <QStringList>

namespace photoentry {

// The photo list's counts and indexes are 16-bit: it never holds more.
inline constexpr int maxEntries = 32767;

QString fileName(const QString &entry);
QString caption(const QString &entry);
// The same parts of an entry without copying them, for the page writer's
// thousands of entries.
QStringView fileNameView(QStringView entry);
QStringView captionView(QStringView entry);
bool hasCaption(const QString &entry);
QString withCaption(const QString &entry, const QString &caption);

// True when the entry holds nothing but spaces (or nothing at all).
bool isBlank(QStringView entry);

// ".jpg" anywhere in the lower-cased name, not only at its end.
bool isJpeg(const QString &name);

// The names that registering would add, in order: all of them when anyFile,
// the JPEG files otherwise.
QStringList photosAmong(const QStringList &names, bool anyFile);

// Shift alone, held as photos are added, lets any file in.
bool anyFileWith(Qt::KeyboardModifiers modifiers);

} // namespace photoentry
