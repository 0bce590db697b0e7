// JPEG files made on the fly for the preview's tests and benchmark.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

namespace jpegs {

inline QByteArray encode(const QImage &image, int quality = 90)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return out;
}

// The JPEG with an EXIF block right after its start marker that holds only
// the orientation tag (6: stored turned left, shown turned right).
inline QByteArray withOrientation(const QByteArray &jpeg, quint8 orientation)
{
    const char app1[] = {
        '\xFF', '\xE1', 0, 34,                      // APP1, length
        'E', 'x', 'i', 'f', 0, 0,                   // EXIF header
        'M', 'M', 0, 42, 0, 0, 0, 8,                // big-endian TIFF, first directory at 8
        0, 1,                                       // one entry
        1, 0x12, 0, 3, 0, 0, 0, 1, 0, char(orientation), 0, 0, // Orientation, SHORT, 1 value
        0, 0, 0, 0,                                 // no next directory
    };
    QByteArray out = jpeg;
    out.insert(2, app1, sizeof app1);
    return out;
}

} // namespace jpegs
