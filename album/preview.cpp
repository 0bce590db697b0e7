#include "album/preview.h"

#include "fileops/fsname.h"

#include <QFileInfo>
#include <QImageReader>

namespace preview {

QSize decodeSize(QSize raw, QSize box, bool transposed)
{
    if (raw.isEmpty() || box.isEmpty())
        return raw;
    const QSize upright = transposed ? raw.transposed() : raw;
    const qint64 w = upright.width(), h = upright.height(), bw = box.width(), bh = box.height();
    if (w <= bw || h <= bh)
        return raw;
    // Whole-pixel arithmetic: the side that fits the box exactly stays exact,
    // the other is rounded up so the picture still covers the box.
    QSize out = bw * h >= bh * w ? QSize(int(bw), int((h * bw + w - 1) / w))
                                 : QSize(int((w * bh + h - 1) / h), int(bh));
    return transposed ? out.transposed() : out;
}

bool reachable(const QString &path)
{
    // Qt's file classes cannot reach a name that is not valid UTF-8. Only a
    // regular file: reading a pipe listed as a photo would wait forever.
    return !path.isEmpty() && fsname::isPlain(path) && QFileInfo(path).isFile();
}

QImage load(const QString &path, QSize box)
{
    if (!reachable(path))
        return {};
    QImageReader reader(path);
    // By content, so a photo listed under a name like "a.jpg.bak" still shows.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QSize raw = reader.size();
    if (!raw.isValid())
        return {};
    const bool transposed = reader.transformation() & QImageIOHandler::TransformationRotate90;
    reader.setScaledSize(decodeSize(raw, box, transposed));
    return reader.read();
}

} // namespace preview
