#include "html/engine.h"

#include "album/photocheck.h"
#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "html/page.h"
#include "html/split.h"

#include <future>

namespace engine {

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
        webcopy::Progress copying;
        if (progress)
            copying = [&progress](int done, int total) { progress(Phase::WebCopies, done, total); };
        report.web = webcopy::update(folder, photos, *options.webEdge, copying, cancel);
        webCopies = report.web->copied();
    }
    const std::vector<split::Page> pages = split::pages(int(album.entries.size()), album.split == 1);
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
    return report;
}

QString webReport(const Report &report)
{
    return report.web ? webcopy::report(*report.web) : QString();
}

QString closingMessage(const Report &report)
{
    QString text = QStringLiteral("作成しました。");
    if (!report.failed.empty()) {
        QStringList pages;
        for (const Failure &f : report.failed)
            pages.append(f.page);
        text = page::failureReport(pages, report.failed.front().reason);
    }
    if (const QString web = webReport(report); !web.isEmpty())
        text += QStringLiteral("\n\n") + web;
    return text;
}

} // namespace engine
