#include "album/keptalbum.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "textio/codepoints.h"

#include <QHash>

#include <utility>

namespace keptalbum {

namespace {

const QByteArray header = QByteArrayLiteral("kamerio kept album 1");
const QByteArray entryKey = QByteArrayLiteral("entry");

void escapeByte(QByteArray &out, uchar b)
{
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[b >> 4];
    out += hex[b & 0xF];
}

// The bytes of the text as fsname::encode gives them, with every byte that
// would break a line, a field or the UTF-8 of the file escaped.
QByteArray escaped(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 3);
    for (const codepoints::CodePoint c : codepoints::walk(text)) {
        if (c.value >= 0xDC80 && c.value <= 0xDCFF)
            escapeByte(out, uchar(c.value & 0xFF));
        else if (c.value <= 0x20 || c.value == 0x7F || c.value == u'%')
            escapeByte(out, uchar(c.value));
        else
            out += QStringView(text).mid(c.at, c.size).toUtf8();
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A "%" without two hex digits after it stands for itself.
QString unescaped(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : hexValue(text[i + 2]);
        if (low < 0) {
            bytes += text[i];
            continue;
        }
        bytes += char(high << 4 | low);
        i += 2;
    }
    return fsname::decode(bytes);
}

void addLine(QByteArray &out, const char *key, const QByteArray &value)
{
    out += key;
    out += ' ';
    out += value;
    out += '\n';
}

// The file's lines after the header as key and value; nothing when the
// header is not there. visit returns false to stop.
template <typename Visit>
bool eachLine(QByteArrayView bytes, Visit visit)
{
    qsizetype at = 0;
    bool first = true;
    while (at < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = bytes.sliced(at, end - at);
        at = end + 1;
        // Every CR the writer puts in a value is escaped: one at the end came
        // from an editor.
        if (line.endsWith('\r'))
            line.chop(1);
        if (first) {
            if (line != header)
                return false;
            first = false;
            continue;
        }
        const qsizetype space = line.indexOf(' ');
        const QByteArrayView key = space < 0 ? line : line.first(space);
        const QByteArrayView value = space < 0 ? QByteArrayView() : line.sliced(space + 1);
        if (!visit(key, value))
            break;
    }
    return !first;
}

std::optional<qint64> number(QByteArrayView value)
{
    bool ok = false;
    const qint64 n = value.toByteArray().toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

void setInt(int &field, QByteArrayView value, int least, int most)
{
    if (const auto n = number(value); n && *n >= least && *n <= most)
        field = int(*n);
}

// The n-th entry of each photo, by the photo's name and n.
using PhotoKey = std::pair<QString, int>;

QHash<PhotoKey, qsizetype> byPhoto(const QStringList &entries)
{
    QHash<PhotoKey, qsizetype> out;
    QHash<QString, int> seen;
    out.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString name = photoentry::fileName(entries[i]);
        out.insert({name, seen[name]++}, i);
    }
    return out;
}

// Calls use(i, j) for each entry i of entries that is entry j of others.
template <typename Use>
void pairUp(const QStringList &entries, const QStringList &others, Use use)
{
    const QHash<PhotoKey, qsizetype> theirs = byPhoto(others);
    QHash<QString, int> seen;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString name = photoentry::fileName(entries[i]);
        if (const auto it = theirs.constFind({name, seen[name]++}); it != theirs.cend())
            use(i, *it);
    }
}

} // namespace

QByteArray write(const Kept &kept)
{
    const album::Album &a = kept.album;
    QByteArray out = header + '\n';
    addLine(out, "changed", QByteArray::number(kept.changed));
    addLine(out, "folder", escaped(kept.folder));
    addLine(out, "photos", QByteArray::number(a.entries.size()));
    addLine(out, "captions", QByteArray::number(captionCount(a.entries)));
    addLine(out, "title", escaped(a.title));
    addLine(out, "page", escaped(a.pageName));
    addLine(out, "backlink", escaped(a.backLink));
    addLine(out, "background", QByteArray::number(a.background));
    addLine(out, "backgroundimage", escaped(a.backgroundImage));
    addLine(out, "border", QByteArray::number(a.border));
    addLine(out, "widthflag", QByteArray::number(a.widthFlag));
    addLine(out, "width", escaped(a.width));
    addLine(out, "split", QByteArray::number(a.split));
    for (qsizetype i = 0; i < a.entries.size(); ++i)
        addLine(out, "entry", QByteArray::number(kept.times.value(i)) + ' ' + escaped(a.entries[i]));
    return out;
}

std::optional<Kept> read(QByteArrayView bytes)
{
    Kept k;
    album::Album &a = k.album;
    const bool ok = eachLine(bytes, [&](QByteArrayView key, QByteArrayView value) {
        if (key == entryKey) {
            if (a.entries.size() < photoentry::maxEntries) {
                // An entry whose time is spoilt is still an entry.
                const qsizetype space = value.indexOf(' ');
                k.times.append(number(space < 0 ? value : value.first(space)).value_or(0));
                a.entries.append(unescaped(space < 0 ? QByteArrayView() : value.sliced(space + 1)));
            }
        } else if (key == "changed") {
            k.changed = number(value).value_or(0);
        } else if (key == "folder") {
            k.folder = unescaped(value);
        } else if (key == "title") {
            a.title = unescaped(value);
        } else if (key == "page") {
            a.pageName = unescaped(value);
        } else if (key == "backlink") {
            a.backLink = unescaped(value);
        } else if (key == "background") {
            setInt(a.background, value, 0, 9);
        } else if (key == "backgroundimage") {
            a.backgroundImage = unescaped(value);
        } else if (key == "border") {
            setInt(a.border, value, 0, album::maxCheckValue);
        } else if (key == "widthflag") {
            setInt(a.widthFlag, value, 0, album::maxCheckValue);
        } else if (key == "width") {
            a.width = unescaped(value);
        } else if (key == "split") {
            setInt(a.split, value, 0, album::maxCheckValue);
        }
        return true;
    });
    return ok ? std::optional(std::move(k)) : std::nullopt;
}

std::optional<Head> readHead(QByteArrayView bytes)
{
    Head h;
    const bool ok = eachLine(bytes, [&](QByteArrayView key, QByteArrayView value) {
        if (key == "changed")
            h.changed = number(value).value_or(0);
        else if (key == "folder")
            h.folder = unescaped(value);
        else if (key == "photos")
            setInt(h.photos, value, 0, photoentry::maxEntries);
        else if (key == "captions")
            setInt(h.captions, value, 0, photoentry::maxEntries);
        return key != entryKey;
    });
    return ok ? std::optional(h) : std::nullopt;
}

int captionCount(const QStringList &entries)
{
    int n = 0;
    for (const QString &entry : entries)
        if (!photoentry::isBlank(photoentry::captionView(entry)))
            ++n;
    return n;
}

QList<qint64> timesAfter(const QStringList &entries, const Kept &before, qint64 now)
{
    QList<qint64> times(entries.size(), now);
    const QStringList &old = before.album.entries;
    pairUp(entries, old, [&](qsizetype i, qsizetype j) {
        if (entries[i] == old[j])
            times[i] = before.times.value(j);
    });
    return times;
}

Kept merged(const Kept &mine, const Kept &other)
{
    Kept out = mine;
    out.times.resize(mine.album.entries.size());
    const QStringList &theirs = other.album.entries;
    pairUp(mine.album.entries, theirs, [&](qsizetype i, qsizetype j) {
        if (other.times.value(j) > mine.times.value(i)) {
            out.album.entries[i] = theirs[j];
            out.times[i] = other.times[j];
        }
    });
    return out;
}

} // namespace keptalbum
