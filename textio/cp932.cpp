#include "textio/cp932.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace cp932 {
namespace {

// The characters a Linux input method types where Windows has full-width twins.
char16_t twinOf(char16_t c)
{
    switch (c) {
    case u'\u301C': return u'\uFF5E'; // 〜
    case u'\u2016': return u'\u2225'; // ‖
    case u'\u2212': return u'\uFF0D'; // −
    case u'\u00A2': return u'\uFFE0'; // ¢
    case u'\u00A3': return u'\uFFE1'; // £
    case u'\u00AC': return u'\uFFE2'; // ¬
    default: return c;
    }
}

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
        for (quint32 c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const char16_t wanted = twinOf(char16_t(c));
            const char in[2] = {char(wanted & 0xFF), char(wanted >> 8)};
            char out[8];
            size_t outLen = sizeof out;
            if (!enc.convert(in, 2, out, &outLen) || outLen == 0 || outLen > 2)
                continue;
            char back[8];
            size_t backLen = sizeof back;
            if (!dec.convert(out, outLen, back, &backLen) || backLen != 2)
                continue;
            const char16_t round = char16_t(uchar(back[0]) | (uchar(back[1]) << 8));
            if (round != wanted)
                continue;
            quint32 packed = outLen == 1 ? uchar(out[0]) : (quint32(uchar(out[0])) << 8) | uchar(out[1]);
            t[c] = (quint32(outLen) << 16) | packed;
        }
    });
    return t;
}

// Appends the CP932 form of text to out. Albums run to megabytes, so the
// bytes go straight into room made once, not one append at a time.
void appendEncoded(QByteArray &out, QStringView text, Unmappable mode, QString *missing)
{
    const Table &t = table();
    qsizetype at = out.size();
    // Every character with a form takes at most two bytes per code unit.
    out.resize(at + text.size() * 2);
    char *p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(u, text[i + 1].unicode());
            ++i;
        }
        const quint32 packed = c < 0x10000 ? t[c] : 0;
        if (packed != 0) {
            if ((packed >> 16) == 2)
                p[at++] = char((packed >> 8) & 0xFF);
            p[at++] = char(packed & 0xFF);
            continue;
        }
        if (mode == Unmappable::CharRef) {
            const QByteArray ref = "&#" + QByteArray::number(quint32(c)) + ';';
            out.resize(out.size() + ref.size());
            p = out.data();
            memcpy(p + at, ref.constData(), size_t(ref.size()));
            at += ref.size();
        } else if (missing) {
            const QString ch = QString::fromUcs4(&c, 1);
            if (!missing->contains(ch))
                *missing += ch;
        }
    }
    out.resize(at);
}

} // namespace

bool isTwin(char32_t c)
{
    return c < 0x10000 && twinOf(char16_t(c)) != c;
}

bool hasForm(char32_t c)
{
    return c < 0x10000 && table()[c] != 0;
}

QByteArray encode(QStringView text, Unmappable mode, QString *missing)
{
    QByteArray out;
    appendEncoded(out, text, mode, missing);
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
        appendEncoded(out, line, mode, missing);
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
