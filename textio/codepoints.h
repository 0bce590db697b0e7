// Text taken a character at a time rather than a UTF-16 unit at a time, so
// that a character beyond U+FFFF is never cut in half.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QStringView>

namespace codepoints {

// One character of a text and where it stands. A surrogate that is not half
// of a pair (a stray byte of a file name, say) is a character of its own.
struct CodePoint
{
    char32_t value;
    qsizetype at;   // its first UTF-16 unit
    qsizetype size; // 2 for a surrogate pair, else 1
};

// The characters of a text, for a range-based for. Albums run to megabytes:
// everything here is inline.
class Walk
{
public:
    explicit Walk(QStringView text) : text_(text) {}

    class iterator
    {
    public:
        iterator(QStringView text, qsizetype at) : text_(text), at_(at) {}
        CodePoint operator*() const
        {
            const char16_t u = text_[at_].unicode();
            if (QChar::isHighSurrogate(u) && at_ + 1 < text_.size() && QChar::isLowSurrogate(text_[at_ + 1].unicode()))
                return {QChar::surrogateToUcs4(u, text_[at_ + 1].unicode()), at_, 2};
            return {u, at_, 1};
        }
        iterator &operator++()
        {
            at_ += (**this).size;
            return *this;
        }
        bool operator!=(const iterator &other) const { return at_ != other.at_; }

    private:
        QStringView text_;
        qsizetype at_;
    };

    iterator begin() const { return {text_, 0}; }
    iterator end() const { return {text_, text_.size()}; }

private:
    QStringView text_;
};

inline Walk walk(QStringView text)
{
    return Walk(text);
}

// How many characters the text holds.
inline qsizetype count(QStringView text)
{
    qsizetype n = 0;
    for ([[maybe_unused]] const CodePoint c : walk(text))
        ++n;
    return n;
}

// The first n characters of the text, or all of it when it is shorter.
inline QStringView left(QStringView text, qsizetype n)
{
    for (const CodePoint c : walk(text))
        if (n-- == 0)
            return text.left(c.at);
    return text;
}

// The HTML numeric character reference, "&#128512;", which a browser shows
// as that very character whatever the page's encoding.
inline QByteArray charRef(char32_t c)
{
    return "&#" + QByteArray::number(quint32(c)) + ';';
}

} // namespace codepoints
