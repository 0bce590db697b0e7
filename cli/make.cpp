#include "cli/make.h"

#include "album/photocheck.h"
#include "html/engine.h"
#include "project/projectfile.h"

#include <cerrno>

namespace cli {

namespace {

// Why the project could not be read: the reason of the failed read, or that
// what was read is no project.
QString unreadable(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QStringLiteral("「%1」が見つかりません。").arg(path);
    case EACCES:
    case EPERM: return QStringLiteral("「%1」を読み取る許可がありません。").arg(path);
    case EISDIR: return QStringLiteral("「%1」はフォルダです。").arg(path);
    default: return QStringLiteral("「%1」は %2").arg(path, projectfile::notProject);
    }
}

} // namespace

std::optional<album::Album> loadAlbum(const MakeArgs &args, Reply &reply, const QString &command)
{
    const auto say = [&reply](const QString &message) { reply.err += message + u'\n'; };
    int error = 0;
    const projectfile::Loaded loaded = projectfile::load(args.project, &error);
    if (!loaded.magicMatched) {
        say(command + QStringLiteral(": ") + unreadable(args.project, error));
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

engine::Options makeOptions(const MakeArgs &args)
{
    engine::Options options;
    options.webEdge = args.webEdge;
    options.imageEdge = args.webEdge.value_or(webcopy::defaultEdge);
    options.style = args.modern ? engine::Style::Modern : engine::Style::Classic;
    options.originals = args.originals;
    options.albumUrl = args.url;
    return options;
}

Reply make(const MakeArgs &args, const std::function<void(const QString &)> &tellNow)
{
    Reply reply;
    const auto say = [&reply](const QString &message) { reply.err += message + u'\n'; };
    const std::optional<album::Album> album = loadAlbum(args, reply);
    if (!album)
        return reply;
    const auto progress = [&tellNow](engine::Phase phase, int, int) {
        if (phase == engine::Phase::Waiting && tellNow)
            tellNow(webcopy::waitingLine);
    };
    const engine::Report report = engine::generate(*album, args.outDir, makeOptions(args), progress);
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
