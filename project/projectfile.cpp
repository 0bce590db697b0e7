#include "project/projectfile.h"

#include "album/photoentry.h"
#include "textio/codepoints.h"
#include "textio/cp932.h"
#include "textio/spaces.h"
#include "textio/textfile.h"

#include <QSet>

#include <algorithm>

namespace projectfile {
namespace {

// A caption or title is raw HTML on the page, so a reference to a character
// shows the character itself; the file can hold the reference.
QString withCharRefs(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const codepoints::CodePoint c : codepoints::walk(text)) {
        if (cp932::hasForm(c.value))
            out += QStringView(text).mid(c.at, c.size);
        else
            out += QLatin1String(codepoints::charRef(c.value));
    }
    return out;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int leadingNumber(QStringView text)
{
    int value = 0;
    for (QChar c : text) {
        if (!isDigit(c))
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 32767)
            return -1;
    }
    return value;
}

std::optional<int> optionOf(const QString &line)
{
    if (line.size() != 4 || !line.startsWith(QLatin1String("opt")) || line[3] < u'1' || line[3] > u'9')
        return std::nullopt;
    return line[3].unicode() - u'0';
}

// Cuts the header after the magic's ",": the folder up to the next ","; the
// one flag character after it; then, two characters on, the back-link up to
// a ",", the title up to the next ",", and the width flag from the rest.
// A field whose "," is missing is not taken, nor is any field after it.
void cutHeader(QStringView rest, Loaded &out)
{
    const qsizetype folderEnd = rest.indexOf(u',');
    if (folderEnd < 0)
        return;
    out.folder = rest.left(folderEnd).toString();
    if (folderEnd + 1 >= rest.size())
        return;
    const QChar flag = rest[folderEnd + 1];
    out.border = isDigit(flag) ? flag.unicode() - u'0' : 0;
    const QStringView fields = rest.mid(folderEnd + 3);
    const qsizetype backLinkEnd = fields.indexOf(u',');
    if (backLinkEnd < 0)
        return;
    out.backLink = spaces::trim(fields.left(backLinkEnd));
    const QStringView afterBackLink = fields.mid(backLinkEnd + 1);
    const qsizetype titleEnd = afterBackLink.indexOf(u',');
    if (titleEnd < 0)
        return;
    out.title = afterBackLink.left(titleEnd).toString();
    out.widthFlag = leadingNumber(afterBackLink.mid(titleEnd + 1));
}

} // namespace

QStringList write(const QString &folder, const album::Album &album)
{
    QStringList lines;
    lines.reserve(album.entries.size() + 4);
    lines.append(QStringList{magic, folder, QString::number(album.border), album.backLink, withCharRefs(album.title),
                             QString::number(album.widthFlag)}
                     .join(u','));
    lines.append(QStringLiteral("opt%1").arg(album.background));
    lines.append(album.backgroundImage);
    lines.append(album.pageName);
    for (const QString &entry : album.entries) {
        if (photoentry::isBlank(entry))
            continue;
        lines.append(photoentry::hasCaption(entry)
                         ? photoentry::withCaption(entry, withCharRefs(photoentry::caption(entry)))
                         : entry);
    }
    return lines;
}

QStringList unholdableNames(const album::Album &album)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &entry : album.entries) {
        const QString name = photoentry::fileName(entry);
        const QList<uint> characters = name.toUcs4();
        const bool lost = std::any_of(characters.begin(), characters.end(),
            [](uint c) { return !cp932::hasForm(c) || cp932::isTwin(c); });
        if (lost && !photoentry::isBlank(entry) && !seen.contains(name)) {
            seen.insert(name);
            out.append(name);
        }
    }
    return out;
}

Loaded read(const QStringList &lines)
{
    Loaded out;
    if (lines.isEmpty())
        return out;
    const QStringView head = lines[0];
    const qsizetype magicEnd = head.indexOf(u',');
    if (magicEnd < 0 || head.left(magicEnd) != magic)
        return out;
    out.magicMatched = true;
    cutHeader(head.mid(magicEnd + 1), out);
    if (lines.size() > 1)
        out.option = optionOf(lines[1]);
    if (lines.size() > 2)
        out.background = lines[2];
    if (lines.size() > 3)
        out.pageName = lines[3];
    for (qsizetype i = 4; i < lines.size(); ++i) {
        if (photoentry::isBlank(lines[i]))
            continue;
        if (out.entries.size() == photoentry::maxEntries) {
            out.tooManyEntries = true;
            break;
        }
        out.entries.append(lines[i]);
    }
    return out;
}

QStringList notices(const Loaded &f)
{
    QStringList out;
    if (f.tooLarge)
        out.append(QStringLiteral("ファイルが大きすぎるため、最初の%1MBだけを読み込みました。").arg(maxBytes >> 20));
    if (f.tooManyEntries)
        out.append(QStringLiteral("写真リストに登録できるのは%1枚までです。\nそれより後の写真は読み込みませんでした。")
                       .arg(photoentry::maxEntries));
    return out;
}

void apply(const Loaded &f, album::Album &a)
{
    const auto checkValue = [](std::optional<int> value, int &into) {
        if (value && *value >= 0 && *value <= album::maxCheckValue)
            into = *value;
    };
    checkValue(f.border, a.border);
    if (f.backLink)
        a.backLink = *f.backLink;
    if (f.title)
        a.title = *f.title;
    checkValue(f.widthFlag, a.widthFlag);
    if (f.option)
        a.background = *f.option;
    if (f.background)
        a.backgroundImage = *f.background;
    if (f.pageName)
        a.pageName = *f.pageName;
    a.entries = f.entries;
}

Loaded parse(QByteArrayView bytes)
{
    const bool tooLarge = bytes.size() > maxBytes;
    if (tooLarge) {
        // Cut at a line break: neither CR nor LF occurs inside a CP932 or a
        // UTF-8 character.
        bytes = bytes.first(maxBytes);
        bytes = bytes.first(qMax(bytes.lastIndexOf('\r'), bytes.lastIndexOf('\n')) + 1);
    }
    Loaded out = read(cp932::splitLines(textfile::decode(bytes)));
    out.tooLarge = tooLarge;
    return out;
}

Loaded load(const QString &path, int *error)
{
    const std::optional<QByteArray> bytes = textfile::load(path, maxBytes + 1, error);
    return parse(bytes ? QByteArrayView(*bytes) : QByteArrayView());
}

QString proposedName(const QString &pageName)
{
    const qsizetype dot = pageName.indexOf(u'.');
    return dot < 0 ? pageName : pageName.left(dot + 1) + QStringLiteral("txt");
}

} // namespace projectfile
