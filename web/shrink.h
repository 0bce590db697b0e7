// One photo turned into its web-size pictures, in memory.
#pragma once

#include "web/webcopy.h"

#include <QByteArray>

#include <vector>

class QImageReader;

namespace webcopy {

struct Shrunk
{
    Outcome outcome; // Made with jpegs set, or Undecodable
    std::vector<QByteArray> jpegs; // one for each picture asked for, in the same order
};

// The size of the reader's picture as it is shown, turned upright; invalid
// when its header cannot be read.
QSize uprightSize(QImageReader &reader);

// The reader's picture in the size and quality of each target, largest
// first, as the bytes of JPEG files. Decoded once, at the largest.
Shrunk shrink(QImageReader &reader, const std::vector<Target> &targets);

} // namespace webcopy
