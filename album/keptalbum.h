// The file of one kept album: the safety copy's own format, not the project
// file. It is UTF-8 text, one "key value" line each, LF line ends:
//
//   kamerio kept album 1
//   changed 1796687001123          (when it was last written, ms since 1970)
//   folder /home/u/photos/trip
//   photos 3                       (the list's length and its captioned
//   captions 2                      entries, for a listing that stops here)
//   title ...  page ...  backlink ...  background 1  backgroundimage ...
//   border 0  widthflag 0  width 480  split 0
//   entry 1796686990000 p1.jpg,海辺にて
//
// Every name and caption is kept exactly: "%", spaces, control characters and
// the stray bytes of a file name that is not UTF-8 are written as %XX of their
// bytes, everything else as UTF-8. An entry's number is when its text last
// changed, so that two windows on one album keep the later caption of each.
#pragma once

#include "album/album.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace keptalbum {

struct Kept
{
    QString folder;
    album::Album album;
    // One per entry: when the entry's text last changed, ms since 1970.
    QList<qint64> times;
    qint64 changed = 0;

    // The same album in the same state, whenever it was written.
    bool sameContent(const Kept &other) const
    {
        return folder == other.folder && album == other.album && times == other.times;
    }
};

// What a listing of the kept albums shows, read from the top of the file.
struct Head
{
    qint64 changed = 0;
    QString folder;
    int photos = 0;
    int captions = 0;
};

QByteArray write(const Kept &kept);
// Nothing when the bytes are not a kept album. A line the reader does not
// know is passed over; a value out of range leaves the album's default.
std::optional<Kept> read(QByteArrayView bytes);
// Reads no further than the first entry.
std::optional<Head> readHead(QByteArrayView bytes);

// Entries with a caption that is more than spaces.
int captionCount(const QStringList &entries);

// The times of entries changed to these from before's: an entry whose
// photo and text before holds too keeps its time, any other one gets now.
// The n-th entry of a photo listed twice is the n-th one before.
QList<qint64> timesAfter(const QStringList &entries, const Kept &before, qint64 now);

// mine, with each entry that other holds for the same photo and changed
// later taken from other. The list, its order and the page options are mine.
Kept merged(const Kept &mine, const Kept &other);

} // namespace keptalbum
