// JPEG files made on the fly for the tests and benchmarks.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <algorithm>

namespace jpegs {

// A photo-like picture: smooth gradients with fine grain, so it compresses
// to a realistic size.
inline QImage photoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 27) - 16;
            line[x] = qRgb(std::clamp(x * 255 / width + grain, 0, 255), std::clamp(y * 255 / height + grain, 0, 255),
                           std::clamp(128 + (x ^ y) % 64 + grain, 0, 255));
        }
    }
    return image;
}

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
