// The album as one value: the photo list and every page option, as the main
// window shows them. The window reads it in one place and writes it back in
// one place; generation, project files and the command line take the value.
#pragma once

#include <QString>
#include <QStringList>

namespace album {

// A check box's value: 0 unchecked, 1 checked, 2 grey (only a stored value
// can make a box grey).
inline constexpr int maxCheckValue = 2;

struct Album
{
    QStringList entries; // List1, "name" or "name,caption"
    QString title = QStringLiteral("ここにタイトル！"); // Text6, untrimmed
    QString pageName = QStringLiteral("index.html"); // Text4
    QString backLink = QStringLiteral("http://"); // Text9
    int background = 1; // Option1..Option9 as 1..9
    QString backgroundImage = QStringLiteral("http://"); // Text5
    int border = 0; // Check1
    int widthFlag = 0; // Check2
    QString width = QStringLiteral("480"); // Text3
    int split = 0; // Check4

    bool operator==(const Album &) const = default;
};

} // namespace album
