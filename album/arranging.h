// Putting the photo list in order: by the time each photo was taken, or by
// file name as the file pane lists them. A sort does not touch the list: it
// returns the new order, which the list applies as one step and can undo.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace arranging {

// order[i] is the index in the old list of the entry that goes to place i.
using Order = QList<qsizetype>;

// When the photo named name (a bare name in folder) was taken, in
// milliseconds since the epoch: its EXIF DateTimeOriginal, shifted by
// OffsetTimeOriginal when the camera wrote one and read as this machine's
// local time when not; the file's modification time when it has no such
// date. None for a file that cannot be opened or is not a regular file.
std::optional<qint64> shotTime(const QString &folder, const QString &name);

// Entries ("name" or "name,caption") ordered by shotTime of their files in
// folder; equal times keep their order, and entries without a time follow
// all the others in their own order.
Order sortByShotDate(const QStringList &entries, const QString &folder);

// Entries ordered by file name the way the file pane lists files: naturally
// (IMG_2 before IMG_10) and ignoring case; equal names keep their order.
Order sortByName(const QStringList &entries);

// The entries in the given order.
QStringList reordered(const QStringList &entries, const Order &order);

} // namespace arranging
