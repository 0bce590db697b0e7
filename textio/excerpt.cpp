#include "textio/excerpt.h"

namespace excerpt {

QString first(const QString &text, int length)
{
    qsizetype end = 0;
    int characters = 0;
    while (end < text.size() && characters < length) {
        const char16_t u = text[end].unicode();
        if (u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029)
            break;
        const bool pair = QChar::isHighSurrogate(u) && end + 1 < text.size()
                          && QChar::isLowSurrogate(text[end + 1].unicode());
        end += pair ? 2 : 1;
        ++characters;
    }
    return end == text.size() ? text : text.left(end) + u'…';
}

} // namespace excerpt
