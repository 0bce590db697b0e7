// One photo turned into its web-size copy, in memory.
#pragma once

#include "web/webcopy.h"

#include <QByteArray>

class QIODevice;

namespace webcopy {

// JPEG quality of the copies: no visible loss at web sizes, a fraction of the bytes.
inline constexpr int quality = 85;

struct Shrunk
{
    Outcome outcome; // Made with jpeg set, or NotJpeg or Undecodable
    QByteArray jpeg;
};

// The copy of the picture read from photo, as the bytes of a JPEG file.
Shrunk shrink(QIODevice *photo, int edge);

} // namespace webcopy
