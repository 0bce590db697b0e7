#include "web/shrink.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

namespace webcopy {

namespace {

// Upright, at the largest picture's size. The JPEG decoder scales by M/8
// while it decodes and smooths the rest, far cheaper than decoding all of a
// large photo.
QImage decode(QImageReader &reader, int edge)
{
    const QSize upright = uprightSize(reader);
    if (!upright.isValid())
        return {};
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize target = fit(upright, edge);
    if (target != upright)
        reader.setScaledSize(turned ? target.transposed() : target);
    return reader.read();
}

QByteArray encode(const QImage &image, int quality)
{
    // Only the pixels: the reader keeps the photo's comments as image text,
    // which the writer would put back into the copy.
    QImage bare(image.constBits(), image.width(), image.height(), image.bytesPerLine(), image.format());
    if (image.colorSpace().isValid())
        bare.setColorSpace(QColorSpace::SRgb);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    // A tenth fewer bytes for a few milliseconds: the copies exist to be downloaded.
    writer.setOptimizedWrite(true);
    return writer.write(bare) ? out : QByteArray();
}

} // namespace

QSize fit(QSize size, int edge)
{
    const qint64 w = size.width(), h = size.height();
    if (w <= edge && h <= edge)
        return size;
    if (w >= h)
        return QSize(edge, int(std::max<qint64>(1, (h * edge + w / 2) / w)));
    return QSize(int(std::max<qint64>(1, (w * edge + h / 2) / h)), edge);
}

QSize uprightSize(QImageReader &reader)
{
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid())
        return {};
    return reader.transformation() & QImageIOHandler::TransformationRotate90 ? stored.transposed() : stored;
}

Shrunk shrink(QImageReader &reader, const std::vector<Target> &targets)
{
    if (targets.empty())
        return {Outcome::Made, {}};
    QImage image = decode(reader, targets.front().edge);
    if (image.isNull())
        return {Outcome::Undecodable, {}};
    // A grey picture has no colour to correct.
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace::SRgb
        && image.format() != QImage::Format_Grayscale8)
        image.convertToColorSpace(QColorSpace::SRgb);
    Shrunk out{Outcome::Made, {}};
    for (const Target &t : targets) {
        // Each smaller picture from the one before it: fewer pixels to smooth.
        const QSize size = fit(image.size(), t.edge);
        if (size != image.size())
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        out.jpegs.push_back(encode(image, t.quality));
        if (out.jpegs.back().isEmpty())
            return {Outcome::Undecodable, {}};
    }
    return out;
}

} // namespace webcopy
