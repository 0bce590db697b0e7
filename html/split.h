// Cutting an album into pages of twenty photos.
#pragma once

#include <QString>

#include <vector>

namespace split {

inline constexpr int pageSize = 20;

struct Page
{
    QString label; // appended to the title: "(2/3)", empty for a single page
    int number;    // put into the file name; 0 keeps the name unchanged
    int first;     // index of the page's first photo in the album
    int count;     // photos on the page
};

// Pages an album of n photos is split into: 0 for none, 1 for 1 to 20, 2 for 21 ...
int pageCount(int n);

// The pages written for an album of n photos. Not split, the whole album is
// one page under the unchanged name, even when it is empty (the page writer
// then refuses it). Split, an album of exactly one full page keeps the
// unchanged name too; every other page carries its number.
std::vector<Page> pages(int n, bool splitIntoPages);

} // namespace split
