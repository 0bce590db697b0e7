#include "html/engine.h"

#include "album/photocheck.h"
#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "fileops/progress.h"
#include "html/page.h"
#include "html/split.h"

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

void makehtml(album::Album &album, const QString &folder, const QString &aaa, int bbb, const QStringList &entries,
    const QSet<QString> &photoPages, Report &report, const QSet<QString> &webCopies)
{
    if (entries.isEmpty()) {
        report.refusals.append(QStringLiteral("項目を追加してください。"));
        return;
    }
    const QString name = page::fileName(album.pageName, bbb);
    if (name.isEmpty()) {
        report.refusals.append(QStringLiteral("右下のｈｔｍｌファイル名を入れてください。"));
        return;
    }
    if (photoPages.contains(name)) {
        report.failed.push_back({name, page::photoClash(name)});
        return;
    }
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
    QSet<QString> webCopies;
    if (options.webEdge) {
        QStringList photos;
        photos.reserve(album.entries.size());
        for (const QString &entry : album.entries)
            photos.append(photoentry::fileName(entry));
        fileops::Progress copying;
        if (progress)
            copying = [&progress](int done, int total) { progress(Phase::WebCopies, done, total); };
        report.web = webcopy::update(folder, photos, *options.webEdge, copying, cancel);
        webCopies = report.web->copied();
    }
    const std::vector<split::Page> pages = split::pages(int(album.entries.size()), album.split == 1);
    report.pages = int(pages.size());
    QStringList names;
    for (const split::Page &p : pages)
        names.append(page::fileName(album.pageName, p.number));
    const QSet<QString> photoPages = page::photoNamesAmong(names, album.entries);
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
