// The page style for phones: UTF-8 album pages with a grid of photos in the
// sizes a screen needs, and one page per photo in the folder web, as plain
// HTML that works without script and from a folder opened in the browser.
#pragma once

#include "web/webcopy.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace modern {

// The longer sides of the pictures a photo gets, below the largest one
// (the edge chosen for web copies).
inline constexpr int ladder[] = {360, 720, 1080};

// Names in web. The photo's name stays readable; a short hash of its exact
// bytes keeps a.jpg, A.JPG and a.jpeg apart, on a card that ignores case too.
QString pictureName(const QString &photo, int edge);
// The sub-folder of web that holds the photo pages of the album page typed so.
QString pagesFolder(const QString &typedPageName);
// A photo's page in that sub-folder; occurrence counts a photo listed twice.
QString photoPageName(const QString &photo, int occurrence);

// The pictures a photo of that upright size gets: each size once, never
// enlarged, the largest of the longer side largest.
std::vector<webcopy::Target> plan(const QString &photo, QSize upright, int largest);

struct Picture
{
    QString path; // relative to the album's folder
    QSize size;
};

// One photo of the album as the pages show it.
struct Shown
{
    QString entry;     // "name" or "name,caption"
    QString page;      // its photo page, relative to the album's folder
    QString albumPage; // the album page that lists it
    QSize size;        // the photo's, upright; invalid when unknown
    std::vector<Picture> pictures; // smallest first; none: the photo itself is shown
};

// The album's page options as the pages use them.
struct Options
{
    QString title; // a blank one already given its default
    QString backLink; // shown when it is a real address
    int background = 1;
    QString backgroundImage;
    int border = 0;
    int maxWidth = 0; // 横幅指定, 0 when not ticked
    QString albumUrl; // where the album's folder is public; empty: no Open Graph tags
    bool originals = true; // photo pages link the photo itself
};

// An album page: the photos [first, first + count) of album, labelled (the
// "(2/3)" of a split album), among pageNames (every album page, in order),
// of which it is number index.
QByteArray albumPage(const Options &options, const std::vector<Shown> &album, int first, int count,
                     const QString &label, const QStringList &pageNames, int index);

// The page of photo index of album.
QByteArray photoPage(const Options &options, const std::vector<Shown> &album, int index);

// Every file the page of photo index needs, besides itself.
QStringList neededBy(const Options &options, const Shown &photo);

} // namespace modern
