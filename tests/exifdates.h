// Photos with a shot date, made on the fly for the sorting tests and
// benchmark: a JPEG whose EXIF block holds what a camera writes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <exiv2/exiv2.hpp>

#include <string>

namespace exifdates {

// Writes the JPEG jpeg to path as a photo taken at taken ("2023:05:01 10:00:00")
// with the time offset offset ("+09:00"); an empty taken writes no EXIF
// block, an empty offset no offset.
inline bool writePhoto(const QString &path, const QByteArray &jpeg, const std::string &taken,
                       const std::string &offset = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
        return false;
    file.close();
    if (taken.empty())
        return true;
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "KAMERIO";
    exif["Exif.Image.Model"] = "K-1";
    exif["Exif.Image.Orientation"] = uint16_t(1);
    exif["Exif.Image.DateTime"] = taken;
    exif["Exif.Photo.DateTimeOriginal"] = taken;
    exif["Exif.Photo.DateTimeDigitized"] = taken;
    if (!offset.empty())
        exif["Exif.Photo.OffsetTimeOriginal"] = offset;
    const auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    image->setExifData(exif);
    image->writeMetadata();
    return true;
}

} // namespace exifdates
