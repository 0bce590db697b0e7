// Generation: the album's pages composed and written into a folder, one page
// or pages of twenty, without any window. The window, the command line and
// background work all go through here, so they write the same bytes.
#pragma once

#include "album/album.h"
#include "web/webcopy.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace engine {

// A page the run could not write, and why; an old file of that name is
// left as it was.
struct Failure
{
    QString page;
    QString reason;
};

struct Report
{
    QStringList written; // full paths of the pages written
    QStringList refusals; // why a page was not attempted, in page order
    std::vector<Failure> failed; // pages that could not be written
    album::Album album; // the album with the defaults the pages gave a blank title or width
    QStringList missing; // the listed photos that are not in the folder; their pages are written all the same
    std::optional<webcopy::Result> web; // the web-size copies, when the run made them
    bool cancelled = false; // the run stopped before its last page
    // Every file the written pages need, relative to the folder and "/"
    // separated: the photos shown or linked, the web copies they show, a
    // background image in the folder, and the pages themselves last, in
    // page order. What publishing sends; never a ledger or a lock file.
    QStringList needed;
    int pages = 0; // the pages the album makes
};

// What generation does besides the pages; nothing by default.
struct Options
{
    // The longer side of the web-size copies the pages show, made in the
    // folder "web" before the pages are written.
    std::optional<int> webEdge;
};

// A run first makes the web copies (when asked for), then the pages.
enum class Phase { WebCopies, Pages };

// Called after each web copy and after each page: the phase, how many of
// its steps are done and how many it has.
using Progress = std::function<void(Phase phase, int done, int total)>;

// Writes the album's pages into folder. cancel, when given, is looked at
// before each web copy and between pages: a cancelled run writes no further
// page, and a run cancelled while copying writes none.
Report generate(const album::Album &album, const QString &folder, const Options &options = {},
    const Progress &progress = {}, const std::atomic_bool *cancel = nullptr);

// The page writer: one page holding entries, aaa after the title, bbb in the
// file name (0 keeps the typed name). A blank title or width in album gets
// its default. photoPages are the page names that name one of the album's
// photos (page::photoNamesAmong), gathered once a run; webCopies the photos
// shown by their web-size copy.
void makehtml(album::Album &album, const QString &folder, const QString &aaa, int bbb, const QStringList &entries,
    const QSet<QString> &photoPages, Report &report, const QSet<QString> &webCopies = {});

// The photos of the run that got no web-size copy, and why; empty when
// every photo has one or no copies were asked for.
QString webReport(const Report &report);

// The message that ends a run: "作成しました。", or the pages that could not
// be written with the first reason; followed by the web report, if any,
// after an empty line. A cancelled run says how far it came instead.
QString closingMessage(const Report &report);

} // namespace engine
