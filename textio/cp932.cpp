#include "textio/cp932.h"

#include "textio/codepoints.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace cp932 {
namespace {

// The characters a Linux input method types where Windows has full-width
// twins: 〜 ‖ − ¢ £ ¬.
constexpr std::pair<char16_t, char16_t> twins[] = {
    {u'\u301C', u'\uFF5E'}, {u'\u2016', u'\u2225'}, {u'\u2212', u'\uFF0D'},
    {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'},
};

class Iconv
{
public:
    Iconv(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Iconv() { if (ok()) iconv_close(cd_); }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool ok() const { return cd_ != iconv_t(-1); }
    // Converts one whole input; false on any error.
    bool convert(const char *in, size_t inLen, char *out, size_t *outLen)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        auto *src = const_cast<char *>(in);
        char *dst = out;
        size_t room = *outLen;
        if (iconv(cd_, &src, &inLen, &dst, &room) == size_t(-1) || inLen != 0)
            return false;
        *outLen = size_t(dst - out);
        return true;
    }
    iconv_t handle() const { return cd_; }

private:
    iconv_t cd_;
};

// CP932 bytes of every BMP code unit: 0 = no form, else 1 or 2 bytes packed
// as (length << 16) | bytes. Built once; encoding is then a table lookup.
using Table = std::array<quint32, 0x10000>;

const Table &table()
{
    static Table t{};
    static std::once_flag once;
    std::call_once(once, [] {
        Iconv enc("CP932", "UTF-16LE");
        Iconv dec("UTF-16LE", "CP932");
        if (!enc.ok() || !dec.ok())
            return;
        // Built from the bytes rather than from the characters: CP932 has a
        // few thousand sequences against 65 536 code units, and a character
        // has a form when its bytes read back as that very character.
        auto take = [&](const char *bytes, size_t length) {
            char16_t w;
            size_t wLength = sizeof w;
            if (!dec.convert(bytes, length, reinterpret_cast<char *>(&w), &wLength) || wLength != sizeof w)
                return;
            char back[4];
            size_t backLength = sizeof back;
            if (!enc.convert(reinterpret_cast<const char *>(&w), sizeof w, back, &backLength)
                || backLength != length || std::memcmp(back, bytes, length) != 0)
                return;
            t[w] = length == 1 ? (1u << 16) | uchar(bytes[0]) : (2u << 16) | (uchar(bytes[0]) << 8) | uchar(bytes[1]);
        };
        for (int b = 0; b < 0x100; ++b) {
            const char one = char(b);
            take(&one, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead >= 0xA0 && lead < 0xE0)
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char two[2] = {char(lead), char(trail)};
                take(two, 2);
            }
        }
        for (const auto &[typed, twin] : twins)
            t[typed] = t[twin];
    });
    return t;
}

} // namespace

bool isTwin(char32_t c)
{
    return std::any_of(std::begin(twins), std::end(twins), [c](const auto &twin) { return twin.first == c; });
}

bool hasForm(char32_t c)
{
    return c < 0x10000 && table()[c] != 0;
}

// Appends the CP932 form of text to out. Albums run to megabytes, so the
// bytes go straight into room made once, not one append at a time.
void append(QByteArray &out, QStringView text, Unmappable mode, QString *missing)
{
    const Table &t = table();
    qsizetype at = out.size();
    // Every character with a form takes at most two bytes per code unit.
    out.resize(at + text.size() * 2);
    char *p = out.data();
    const char16_t *units = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t u = units[i];
        // CP932 keeps ASCII as it is, and pages are mostly markup.
        if (u < 0x80) {
            p[at++] = char(u);
            ++i;
            continue;
        }
        // Surrogates have no entry, so a character with a form is one unit.
        if (const quint32 packed = t[u]; packed != 0) {
            if ((packed >> 16) == 2)
                p[at++] = char((packed >> 8) & 0xFF);
            p[at++] = char(packed & 0xFF);
            ++i;
            continue;
        }
        const codepoints::CodePoint c = *codepoints::walk(text.mid(i)).begin();
        i += c.size;
        if (mode == Unmappable::CharRef) {
            const QByteArray ref = codepoints::charRef(c.value);
            out.resize(out.size() + ref.size());
            p = out.data();
            memcpy(p + at, ref.constData(), size_t(ref.size()));
            at += ref.size();
        } else if (missing) {
            // The character's own units: QString::fromUcs4 would take a
            // U+FEFF for a byte-order mark and drop it.
            const QStringView ch = text.mid(i - c.size, c.size);
            if (!missing->contains(ch))
                *missing += ch;
        }
    }
    out.resize(at);
}

QByteArray encode(QStringView text, Unmappable mode, QString *missing)
{
    QByteArray out;
    append(out, text, mode, missing);
    return out;
}

QString decode(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    Iconv dec("UTF-16LE", "CP932");
    if (!dec.ok())
        return QString::fromLatin1(bytes);
    QByteArray buf(bytes.size() * 2 + 16, Qt::Uninitialized);
    auto *src = const_cast<char *>(bytes.data());
    size_t left = size_t(bytes.size());
    while (left > 0) {
        char *dst = buf.data();
        size_t room = size_t(buf.size());
        const size_t r = iconv(dec.handle(), &src, &left, &dst, &room);
        out.append(reinterpret_cast<const QChar *>(buf.constData()), (dst - buf.data()) / 2);
        if (r == size_t(-1) && errno != E2BIG) {
            // A byte that cannot start or finish a character: show it as
            // U+FFFD and go on with the next byte.
            out.append(QChar(QChar::ReplacementCharacter));
            ++src;
            --left;
            iconv(dec.handle(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

QByteArray encodeLines(const QStringList &lines, Unmappable mode, QString *missing)
{
    QByteArray out;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() * 2 + 2;
    out.reserve(size);
    for (const QString &line : lines) {
        append(out, line, mode, missing);
        out += "\r\n";
    }
    return out;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

} // namespace cp932
