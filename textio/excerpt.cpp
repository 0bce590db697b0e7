#include "textio/excerpt.h"

#include "textio/codepoints.h"

namespace excerpt {

QString first(const QString &text, int length)
{
    int characters = 0;
    for (const codepoints::CodePoint c : codepoints::walk(text)) {
        const char32_t v = c.value;
        if (characters == length || v == u'\n' || v == u'\r' || v == 0x2028 || v == 0x2029)
            return text.left(c.at) + u'…';
        ++characters;
    }
    return text;
}

QString firstFew(const QStringList &items, int most, QChar separator, const QString &more)
{
    QString text = items.first(qMin(items.size(), qsizetype(most))).join(separator);
    if (items.size() > most)
        text += separator + more.arg(items.size() - most);
    return text;
}

} // namespace excerpt
