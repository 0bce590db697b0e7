#include "cli/make.h"

#include "album/photocheck.h"
#include "html/engine.h"
#include "project/projectfile.h"

namespace cli {

std::optional<album::Album> loadAlbum(const MakeArgs &args, Reply &reply)
{
    const auto say = [&reply](const QString &message) { reply.err += message + u'\n'; };
    const projectfile::Loaded loaded = projectfile::load(args.project);
    if (!loaded.magicMatched) {
        say(projectfile::notProject);
        reply.status = usageStatus;
        return std::nullopt;
    }
    album::Album album;
    projectfile::apply(loaded, album);
    for (const QString &notice : projectfile::notices(loaded))
        say(notice);
    if (const QStringList missing = photocheck::missing(album.entries, args.outDir); !missing.isEmpty())
        say(photocheck::message(missing));
    say(projectfile::loadedNotice);
    if (args.split)
        album.split = 1;
    if (args.width)
        album.width = QString::number(*args.width);
    if (album.entries.isEmpty()) {
        say(QStringLiteral("フォルダ内のjpg写真を写真リストに追加して下さい"));
        reply.status = pagesStatus;
        return std::nullopt;
    }
    return album;
}

Reply make(const MakeArgs &args)
{
    Reply reply;
    const auto say = [&reply](const QString &message) { reply.err += message + u'\n'; };
    const std::optional<album::Album> album = loadAlbum(args, reply);
    if (!album)
        return reply;
    engine::Options options;
    options.webEdge = args.webEdge;
    const engine::Report report = engine::generate(*album, args.outDir, options);
    for (const QString &page : report.written)
        reply.out += page + u'\n';
    if (!report.missing.isEmpty())
        say(photocheck::message(report.missing));
    for (const QString &refusal : report.refusals)
        say(refusal);
    // Photos without a web copy keep their own cells: the pages are whole,
    // so they are told but do not fail the run.
    if (!report.failed.empty())
        say(engine::closingMessage(report));
    else if (const QString web = engine::webReport(report); !web.isEmpty())
        say(web);
    reply.status = report.refusals.isEmpty() && report.failed.empty() ? 0 : pagesStatus;
    return reply;
}

} // namespace cli
