// Shift_JIS (code page 932) text as the album pages and project files carry it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cp932 {

// A character with no CP932 form (see hasForm) is either written as an HTML
// numeric character reference, or left out and reported.
enum class Unmappable { CharRef, Report };

// True when the character's CP932 bytes read back as the same character.
// The Linux forms of 〜 ‖ − ¢ £ ¬ count as having a form: they are written as
// their full-width twins, which is what the user typed them for.
bool hasForm(char32_t c);

// True for the Linux forms of 〜 ‖ − ¢ £ ¬: their bytes read back as the
// full-width twins, so where the exact character matters (a file name in an
// address) they must not go through CP932.
bool isTwin(char32_t c);

// Encodes text. With Unmappable::Report, characters without a form are left
// out and appended to *missing (each once, in order of appearance).
QByteArray encode(QStringView text, Unmappable mode, QString *missing = nullptr);
// The same, appended to out.
void append(QByteArray &out, QStringView text, Unmappable mode, QString *missing = nullptr);

// Decodes CP932 bytes; never fails: a byte that cannot be read becomes U+FFFD.
QString decode(QByteArrayView bytes);

// Joins lines, each followed by CR LF, as one CP932 text.
QByteArray encodeLines(const QStringList &lines, Unmappable mode, QString *missing = nullptr);

// Splits a text into lines: CR LF, CR alone and LF alone end a line, the
// terminator is not part of the line, and a last line without a terminator
// still counts.
QStringList splitLines(const QString &text);

} // namespace cp932
