#include "html/engine.h"

#include "album/photocheck.h"
#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "fileops/progress.h"
#include "html/modern.h"
#include "html/page.h"
#include "html/split.h"
#include "textio/spaces.h"

#include <QHash>

#include <algorithm>
#include <future>

namespace engine {
namespace {

// A background typed as a plain name of a file in the album's folder (or
// below it) goes up with the pages; an address elsewhere does not.
QString localBackground(const album::Album &album, const QString &folder)
{
    const QString image = album.backgroundImage.trimmed();
    if (album.background != 9 || image.isEmpty() || image.contains(u':') || image.startsWith(u'/')
        || image.contains(u'\\') || image.contains(u'?') || image.contains(u'#'))
        return QString();
    QString path = image.startsWith(QStringLiteral("./")) ? image.mid(2) : image;
    if (path.split(u'/').contains(QStringLiteral("..")))
        return QString();
    return fsname::isRegularFile(fsname::join(folder, path)) ? path : QString();
}

QStringList needed(const Report &report, const QString &folder)
{
    QStringList out;
    QSet<QString> seen;
    const QSet<QString> missing(report.missing.begin(), report.missing.end());
    const QSet<QString> copies = report.web ? report.web->copied() : QSet<QString>();
    const auto add = [&](const QString &path) {
        if (!path.isEmpty() && !seen.contains(path)) {
            seen.insert(path);
            out.append(path);
        }
    };
    for (const QString &entry : report.album.entries) {
        const QString photo = photoentry::fileName(entry);
        if (photoentry::isBlank(photo) || missing.contains(photo))
            continue;
        add(photo);
        if (copies.contains(photo))
            add(webcopy::folderName + u'/' + photo);
    }
    add(localBackground(report.album, folder));
    const QString prefix = fsname::join(folder, QString());
    for (const QString &page : report.written)
        add(page.startsWith(prefix) ? page.mid(prefix.size()) : page);
    return out;
}

} // namespace

namespace {

// The file name of page bbb, or empty when it must not be written; the
// report says why.
QString admitted(const album::Album &album, int bbb, bool empty, const QSet<QString> &photoPages, Report &report)
{
    if (empty) {
        report.refusals.append(QStringLiteral("項目を追加してください。"));
        return {};
    }
    const QString name = page::fileName(album.pageName, bbb);
    if (name.isEmpty()) {
        report.refusals.append(QStringLiteral("右下のｈｔｍｌファイル名を入れてください。"));
        return {};
    }
    if (photoPages.contains(name)) {
        report.failed.push_back({name, page::photoClash(name)});
        return {};
    }
    return name;
}

QStringList photoNames(const QStringList &entries)
{
    QStringList photos;
    photos.reserve(entries.size());
    for (const QString &entry : entries)
        photos.append(photoentry::fileName(entry));
    return photos;
}

fileops::Progress copyingProgress(const Progress &progress)
{
    if (!progress)
        return {};
    return [&progress](int done, int total) { progress(Phase::WebCopies, done, total); };
}

// The pages an album makes, their file names, and those of them that name
// one of its photos.
struct Layout
{
    std::vector<split::Page> pages;
    QStringList names;
    QSet<QString> photoPages;
};

Layout layoutOf(const album::Album &album)
{
    Layout l;
    l.pages = split::pages(int(album.entries.size()), album.split == 1);
    for (const split::Page &p : l.pages)
        l.names.append(page::fileName(album.pageName, p.number));
    l.photoPages = page::photoNamesAmong(l.names, album.entries);
    return l;
}

// The modern style: its pictures, then the album pages, then a page for each photo.
void generateModern(Report &report, const QString &folder, const Layout &layout, const Options &options,
    const Progress &progress, const std::atomic_bool *cancel)
{
    const std::vector<split::Page> &pages = layout.pages;
    const QStringList &names = layout.names;
    const QSet<QString> &photoPages = layout.photoPages;
    album::Album &album = report.album;
    const int edge = options.imageEdge > 0 ? options.imageEdge : webcopy::defaultEdge;
    const auto plan = [edge](const QString &photo, QSize upright) { return modern::plan(photo, upright, edge); };
    report.web = webcopy::update(folder, photoNames(album.entries), plan, copyingProgress(progress), cancel);
    QHash<QString, const webcopy::Photo *> made;
    for (const webcopy::Photo &p : report.web->photos)
        made.insert(p.name, &p);

    if (spaces::trim(album.title).isEmpty())
        album.title = page::defaultTitle;
    if (album.widthFlag == 1 && album.width.isEmpty())
        album.width = page::defaultWidth;
    modern::Options o;
    o.title = album.title;
    o.backLink = album.backLink;
    o.background = album.background;
    o.backgroundImage = album.backgroundImage;
    o.border = album.border;
    o.maxWidth = album.widthFlag == 1 ? std::max(0, spaces::trim(album.width).toInt()) : 0;
    o.albumUrl = options.albumUrl;
    o.originals = options.originals;

    const QString sub = modern::pagesFolder(album.pageName);
    std::vector<modern::Shown> shown;
    shown.reserve(size_t(album.entries.size()));
    QHash<QString, int> occurrences;
    for (size_t pi = 0; pi < pages.size(); ++pi) {
        for (int i = pages[pi].first; i < pages[pi].first + pages[pi].count; ++i) {
            const QString &entry = album.entries[i];
            const QString name = photoentry::fileName(entry);
            modern::Shown s{entry,
                webcopy::folderName + u'/' + sub + u'/' + modern::photoPageName(name, ++occurrences[name]),
                names[qsizetype(pi)], {}, {}};
            if (const webcopy::Photo *p = made.value(name)) {
                s.size = p->size;
                if (p->outcome == webcopy::Outcome::Made || p->outcome == webcopy::Outcome::UpToDate) {
                    for (const webcopy::Target &t : plan(name, p->size))
                        s.pictures.push_back({webcopy::folderName + u'/' + t.name, webcopy::fit(p->size, t.edge)});
                }
            }
            shown.push_back(s);
        }
    }

    const int steps = int(pages.size() + shown.size());
    int step = 0;
    const auto stepped = [&] {
        if (progress)
            progress(Phase::Pages, ++step, steps);
    };
    const auto stop = [&] { return cancel && cancel->load() && (report.cancelled = true); };
    for (size_t pi = 0; pi < pages.size() && !stop(); ++pi, stepped()) {
        const split::Page &p = pages[pi];
        const QString name = admitted(album, p.number, p.count == 0, photoPages, report);
        if (name.isEmpty())
            continue;
        const QByteArray bytes = modern::albumPage(o, shown, p.first, p.count, p.label, names, int(pi));
        if (const QString failure = page::save(folder, name, bytes); !failure.isEmpty()) {
            report.failed.push_back({name, failure});
        } else {
            report.written.append(fsname::join(folder, name));
            report.needed.append(name);
        }
    }
    // Photo pages lead up to an album page: none without one.
    if (shown.empty() || report.cancelled || report.written.isEmpty())
        return;

    webcopy::Store store(folder);
    const int folderError = store.prepare(sub);
    QSet<QString> kept;
    for (size_t i = 0; i < shown.size() && !stop(); ++i, stepped()) {
        const modern::Shown &s = shown[i];
        const QString inWeb = s.page.mid(webcopy::folderName.size() + 1);
        webcopy::Photo put{s.page, webcopy::Outcome::NoFolder, folderError};
        if (folderError == 0)
            put.outcome = store.put(inWeb, modern::photoPage(o, shown, int(i)), &put.error);
        kept.insert(inWeb);
        if (put.outcome != webcopy::Outcome::Made && put.outcome != webcopy::Outcome::UpToDate) {
            report.failed.push_back({s.page, webcopy::reason(put)});
            continue;
        }
        report.needed.append(s.page);
        report.needed.append(modern::neededBy(o, s));
    }
    // Pages of photos that left the album go; a cut-short run keeps them.
    if (!report.cancelled && folderError == 0)
        store.prune(sub, kept);
    if (const QString background = localBackground(album, folder); !background.isEmpty())
        report.needed.append(background);
    report.needed.removeDuplicates();
}

} // namespace

void makehtml(album::Album &album, const QString &folder, const QString &aaa, int bbb, const QStringList &entries,
    const QSet<QString> &photoPages, Report &report, const QSet<QString> &webCopies)
{
    const QString name = admitted(album, bbb, entries.isEmpty(), photoPages, report);
    if (name.isEmpty())
        return;
    page::Options o;
    o.title = album.title;
    o.backLink = album.backLink;
    o.background = album.background;
    o.backgroundImage = album.backgroundImage;
    o.border = album.border;
    o.fixedWidth = album.widthFlag == 1;
    o.width = album.width;
    o.albumCount = int(album.entries.size());
    o.label = aaa;
    o.webCopies = webCopies;
    const page::Page made = page::compose(o, entries);
    album.title = made.title;
    album.width = made.width;
    if (const QString failure = page::save(folder, name, made.bytes); !failure.isEmpty())
        report.failed.push_back({name, failure});
    else
        report.written.append(fsname::join(folder, name));
}

Report generate(const album::Album &album, const QString &folder, const Options &options, const Progress &progress,
    const std::atomic_bool *cancel)
{
    Report report;
    report.album = album;
    // Looking for the photos in the folder takes about as long as writing a
    // page of thousands of them: done on the other core meanwhile, or here
    // at the end when no thread can be had.
    std::future<QStringList> missing
        = std::async(std::launch::async | std::launch::deferred, photocheck::missing, album.entries, folder);
    const Layout layout = layoutOf(album);
    const std::vector<split::Page> &pages = layout.pages;
    const QStringList &names = layout.names;
    const QSet<QString> &photoPages = layout.photoPages;
    report.pages = int(pages.size());
    // Copies and pictures no page shows would only take room.
    const bool anyPage = std::any_of(names.cbegin(), names.cend(), [&](const QString &name) {
        return !name.isEmpty() && !photoPages.contains(name) && page::isFileName(name);
    });
    const bool modern = options.style == Style::Modern;
    std::unique_ptr<webcopy::RunLock> lock;
    int lockError = 0;
    if ((options.webEdge || modern) && anyPage && !options.heldLock) {
        const auto waiting = [&progress] {
            if (progress)
                progress(Phase::Waiting, 0, 0);
        };
        lock = webcopy::RunLock::acquire(fsname::encode(folder), waiting, cancel, &lockError);
        if (!lock && lockError == 0) {
            report.cancelled = true;
            report.missing = missing.get();
            return report;
        }
    }
    if (modern) {
        generateModern(report, folder, layout, options, progress, cancel);
        report.missing = missing.get();
        // A photo that is not there cannot be sent; its pages link it all the same.
        for (const QString &photo : std::as_const(report.missing))
            report.needed.removeAll(photo);
        return report;
    }
    QSet<QString> webCopies;
    if (options.webEdge && anyPage) {
        const QStringList photos = photoNames(album.entries);
        report.web = lockError != 0 ? webcopy::unmade(photos, lockError)
                                    : webcopy::update(folder, photos, *options.webEdge, copyingProgress(progress), cancel);
        webCopies = report.web->copied();
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        // A cancel while copying stops before the first page: the pages
        // would show the photos it left without a copy.
        if (cancel && cancel->load()) {
            report.cancelled = true;
            break;
        }
        const split::Page &p = pages[i];
        makehtml(report.album, folder, p.label, p.number, album.entries.mid(p.first, p.count), photoPages, report,
            webCopies);
        if (progress)
            progress(Phase::Pages, int(i + 1), int(pages.size()));
    }
    report.missing = missing.get();
    report.needed = needed(report, folder);
    return report;
}

QString phaseLabel(Phase phase)
{
    switch (phase) {
    case Phase::Waiting: return webcopy::waitingLabel;
    case Phase::WebCopies: return QStringLiteral("Web 用の縮小写真を作っています…");
    case Phase::Pages: break;
    }
    return QStringLiteral("ページを作成しています…");
}

QString webReport(const Report &report)
{
    return report.web ? webcopy::report(*report.web) : QString();
}

QString closingMessage(const Report &report)
{
    QString text = QStringLiteral("作成しました。");
    if (report.cancelled) {
        const int written = int(report.written.size());
        const int tried = written + int(report.failed.size());
        text = QStringLiteral("html 作成を中止しました。\n%1 ページを作成し、残りの %2 ページは作成していません。")
                   .arg(written)
                   .arg(report.pages - tried);
        if (report.web && report.web->written > 0)
            text += QStringLiteral("\nWeb 用の縮小写真は %1 枚作りました。").arg(report.web->written);
    }
    if (!report.failed.empty()) {
        QStringList pages;
        for (const Failure &f : report.failed)
            pages.append(f.page);
        const QString failures = page::failureReport(pages, report.failed.front().reason);
        text = report.cancelled ? text + QStringLiteral("\n\n") + failures : failures;
    }
    // Photos a cancelled run did not reach are told of by the counts above.
    const bool copiesCut = report.web && std::any_of(report.web->photos.begin(), report.web->photos.end(),
                                             [](const webcopy::Photo &p) { return p.outcome == webcopy::Outcome::Cancelled; });
    if (const QString web = webReport(report); !web.isEmpty() && !copiesCut)
        text += QStringLiteral("\n\n") + web;
    return text;
}

} // namespace engine
