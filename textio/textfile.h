// Whole-file reads and atomic writes.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace textfile {

// Writes bytes to path so that the old file is replaced only by a complete
// new one. On failure returns false, leaves the old file as it was and puts
// the message for the user, naming the file and why, in *error.
bool save(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Reads a whole file; nothing when it cannot be opened or is not a regular file.
std::optional<QByteArray> load(const QString &path, qint64 maxBytes = qint64(1) << 30);

} // namespace textfile
