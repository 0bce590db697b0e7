// Whole-file reads and atomic writes.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace textfile {

// Paths are names as fsname gives them, so that folders and files whose
// names are not UTF-8 are reached as they are.

// Writes bytes to path so that the old file is replaced only by a complete
// new one. On failure returns false, leaves the old file as it was and puts
// the message for the user, naming the file and why, in *error.
bool save(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Reads a whole file, or its first maxBytes; nothing when it cannot be
// opened or is not a regular file, and then *error says why (EISDIR for a
// folder, EINVAL for anything else that is no regular file).
std::optional<QByteArray> load(const QString &path, qint64 maxBytes = qint64(1) << 30, int *error = nullptr);

// The text of a file that the program wrote in CP932 or an editor saved as
// UTF-8. It is UTF-8 when it starts with a byte-order mark (which is not
// part of the text), or when it is valid UTF-8 and holds a byte above 0x7F;
// anything else is CP932, and pure ASCII reads the same either way.
// CP932 text is valid UTF-8 only by rare chance: every kana, full-width
// letter and first-level kanji begins with a byte 0x81..0x9F, which cannot
// begin a UTF-8 character, so only a text whose every non-ASCII character
// is a second-level kanji or a half-width katakana, paired up just so,
// could be taken for UTF-8.
QString decode(QByteArrayView bytes);

} // namespace textfile
