#include "publish/publishing.h"

#include "publish/site.h"
#include "textio/excerpt.h"

namespace publish {
namespace {

constexpr int namedFiles = 10;

} // namespace

Prepared prepare(const Job &job, const Records &ledger, const engine::Progress &progress,
    const std::atomic_bool *cancel)
{
    Prepared p;
    p.report = engine::generate(job.album, job.folder, job.options, progress, cancel);
    QStringList pages;
    const QString prefix = job.folder.endsWith(u'/') ? job.folder : job.folder + u'/';
    for (const QString &page : p.report.written)
        pages.append(page.mid(prefix.size()));
    p.firstPage = pages.value(0);
    if (!p.report.cancelled)
        p.plan = plan(survey(job.folder, p.report.needed), pages, ledger, job.resendAll, fileHasher(job.folder));
    return p;
}

QString pagesProblem(const Prepared &prepared)
{
    const engine::Report &r = prepared.report;
    if (r.cancelled || !r.failed.empty() || !r.refusals.isEmpty() || r.written.isEmpty())
        return engine::closingMessage(r) + QStringLiteral("\n\nページを作成できなかったため、公開していません。");
    if (!prepared.plan.unreadable.empty())
        return QStringLiteral("次のﾌｧｲﾙを読めなかったため、公開していません。\n")
               + excerpt::firstFew(
                   [&] {
                       QStringList names;
                       for (const auto &[path, reason] : prepared.plan.unreadable)
                           names.append(path);
                       return names;
                   }(),
                   namedFiles, u'\n', QStringLiteral("ほか %1 ﾌｧｲﾙ"))
               + QStringLiteral("\n\n") + prepared.plan.unreadable.front().second;
    return QString();
}

QString identityQuestion(const Identity &identity)
{
    const bool key = identity.kind == Identity::Kind::HostKey;
    return QStringLiteral("公開先 %1（ポート %2）に初めて接続します。\n"
                          "%3の指紋:\n%4\n\n"
                          "サーバーの管理者に知らされた指紋と同じときだけ「はい」を押してください。\n"
                          "この相手を信用して続けますか？")
        .arg(identity.host)
        .arg(identity.port)
        .arg(key ? QStringLiteral("ホスト鍵") : QStringLiteral("証明書の公開鍵"), identity.fingerprint);
}

QString changedIdentity(const Identity &identity)
{
    return QStringLiteral("公開先 %1（ポート %2）の%3が、前に信用したものと違います。\n"
                          "別のサーバーになりすまされているおそれがあるため、接続をやめました。\n"
                          "今の指紋:\n%4\n\n"
                          "サーバーの鍵を変えたことを管理者に確かめてから、~/.ssh/known_hosts か\n"
                          "~/.config/kamerio/ の known_hosts、pinned_certificates から古い記録を消してください。")
        .arg(identity.host)
        .arg(identity.port)
        .arg(identity.kind == Identity::Kind::HostKey ? QStringLiteral("ホスト鍵") : QStringLiteral("証明書"),
            identity.fingerprint);
}

QString connectionMessage(const Status &status, const Site &site)
{
    switch (status.outcome) {
    case Outcome::UnknownIdentity:
        return QStringLiteral("公開先 %1 を信用しなかったため、公開していません。").arg(site.host);
    case Outcome::ChangedIdentity:
        return status.identity ? changedIdentity(*status.identity) : status.reason;
    case Outcome::LoginRefused:
        return QStringLiteral("公開先 %1 にログインできませんでした。ユーザー名とパスワード（または鍵）を確かめてください。")
                   .arg(site.host)
               + (status.reason.isEmpty() ? QString() : u'\n' + status.reason);
    case Outcome::NoConnection:
        return QStringLiteral("公開先 %1 に接続できませんでした。").arg(site.host)
               + (status.reason.isEmpty() ? QString() : u'\n' + status.reason);
    default:
        return status.reason;
    }
}

QString firstPageAddress(const Job &job, const Prepared &prepared)
{
    return prepared.firstPage.isEmpty() ? QString() : publicAddress(job.site, job.subfolder, prepared.firstPage);
}

QString closingMessage(const Job &job, const Prepared &prepared, const Result &result)
{
    QString text;
    if (result.cancelled)
        text = QStringLiteral("公開を中止しました。\n%1 ﾌｧｲﾙを送り、残りの %2 ﾌｧｲﾙは送っていません。\n"
                              "前に公開したページはそのまま見られます。次の公開で続きを送ります。")
                   .arg(result.sent.size())
                   .arg(qsizetype(prepared.plan.steps.size()) - result.sent.size() - qsizetype(result.failed.size()));
    else if (prepared.plan.steps.empty() && result.removed.isEmpty())
        text = QStringLiteral("公開しました（変わったﾌｧｲﾙはなく、何も送りませんでした）。");
    else
        text = QStringLiteral("公開しました。%1 ﾌｧｲﾙを送りました。").arg(result.sent.size());
    if (!result.removed.isEmpty())
        text += QStringLiteral("\n公開先から不要になった %1 ﾌｧｲﾙを削除しました。").arg(result.removed.size());
    if (!result.failed.empty()) {
        QStringList names;
        for (const auto &[path, reason] : result.failed)
            names.append(path.isEmpty() ? QStringLiteral("（送信記録）") : path);
        text += QStringLiteral("\n\n次のﾌｧｲﾙは送れませんでした（公開先の前のﾌｧｲﾙはそのままです）。\n")
                + excerpt::firstFew(names, namedFiles, u'\n', QStringLiteral("ほか %1 ﾌｧｲﾙ")) + QStringLiteral("\n\n")
                + result.failed.front().second;
    }
    if (result.staleKept)
        text += QStringLiteral("\n\n送れなかったﾌｧｲﾙがあるため、公開先のﾌｧｲﾙは削除していません。");
    if (!result.atomic && !result.sent.isEmpty())
        text += QStringLiteral("\n\nこのサーバーはﾌｧｲﾙを一度に置き換えられないため、送っている間は古いﾌｧｲﾙが"
                               "一時的に見られないことがあります。");
    if (const QString address = firstPageAddress(job, prepared); !address.isEmpty() && !result.cancelled)
        text += QStringLiteral("\n\n公開したアルバムの最初のページ:\n") + address;
    return text;
}

int exitStatus(const Result &result)
{
    switch (result.status.outcome) {
    case Outcome::UnknownIdentity:
    case Outcome::ChangedIdentity: return 3;
    case Outcome::LoginRefused: return 4;
    case Outcome::NoConnection: return result.sent.isEmpty() && result.failed.empty() ? 5 : 1;
    default: break;
    }
    return result.failed.empty() && !result.cancelled ? 0 : 1;
}

} // namespace publish
