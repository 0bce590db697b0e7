// The photo preview: a picture decoded only as large as the box that shows it,
// turned upright as a browser shows it.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace preview {

// The size to decode a picture stored at raw to so that it covers box with
// its own aspect, never enlarged. transposed: the picture is stored on its
// side (EXIF orientations 5 to 8), so raw is measured before turning it.
// The result is in the stored orientation, as the decoder wants it.
QSize decodeSize(QSize raw, QSize box, bool transposed);

// Whether path names a regular file that Qt's file classes reach: nothing
// else is ever read as a picture.
bool reachable(const QString &path);

// The picture at path, upright, about the size of box; a null image when it
// cannot be read for any reason.
QImage load(const QString &path, QSize box);

} // namespace preview
