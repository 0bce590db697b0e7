#include "html/split.h"

#include <algorithm>

namespace split {

int pageCount(int n)
{
    return n / pageSize + (n % pageSize != 0 ? 1 : 0);
}

std::vector<Page> pages(int n, bool splitIntoPages)
{
    if (!splitIntoPages)
        return {Page{QString(), 0, 0, n}};
    const int count = pageCount(n);
    std::vector<Page> out;
    out.reserve(size_t(count));
    for (int number = 1; number <= count; ++number) {
        const int first = (number - 1) * pageSize;
        out.push_back(Page{QStringLiteral("(%1/%2)").arg(number).arg(count),
                           number == 1 && n == pageSize ? 0 : number, first, std::min(pageSize, n - first)});
    }
    return out;
}

} // namespace split
