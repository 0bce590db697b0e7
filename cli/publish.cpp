#include "cli/publish.h"

#include "cli/make.h"
#include "publish/keyring.h"
#include "publish/ledger.h"
#include "publish/publishing.h"
#include "publish/site.h"
#include "publish/trust.h"

#include <QSettings>

#include <cstdio>

namespace cli {
namespace {

constexpr int identityStatus = 3;
constexpr int loginStatus = 4;

// The first line of stdin, without its line end; the terminal is not echoed to.
QString passwordLine()
{
    QByteArray line;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        line += char(c);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace

int publish(const PublishArgs &args, const std::function<void(const QString &line)> &out,
    const std::function<void(const QString &message)> &err, const std::atomic_bool *stop)
{
    const auto usageError = [&err](const QString &message) {
        err(QStringLiteral("kamerio publish: ") + message);
        return usageStatus;
    };
    std::optional<publish::Site> site;
    if (!args.site.isEmpty()) {
        QString problem;
        site = publish::parseSite(args.site, &problem);
        if (!site)
            return usageError(problem);
        site->auth = site->protocol == publish::Protocol::Sftp && !args.passwordStdin ? publish::Site::Auth::Agent
                                                                                        : publish::Site::Auth::Password;
    } else {
        QSettings settings(QStringLiteral("kamerio"), QStringLiteral("kamerio"));
        site = publish::storedSite(settings);
        if (!site)
            return usageError(QStringLiteral("公開先が設定されていません。--site で指定するか、"
                                             "画面の「公開」→「公開先の設定…」で設定してください。"));
        if (args.passwordStdin)
            site->auth = publish::Site::Auth::Password;
    }
    if (!args.url.isEmpty())
        site->url = args.url;
    if (site->protocol == publish::Protocol::Ftp && !args.dryRun)
        err(QStringLiteral("警告: FTP ではパスワードも写真も暗号化されずに送られ、途中で盗み見られるおそれがあります。"));
    if (!args.identity.isEmpty()) {
        if (site->protocol != publish::Protocol::Sftp)
            return usageError(QStringLiteral("--identity は SFTP の公開先にだけ使えます。"));
        site->auth = publish::Site::Auth::Key;
        site->keyfile = args.identity;
    }

    Reply loading;
    const std::optional<album::Album> album = loadAlbum(args.make, loading);
    if (!loading.err.isEmpty())
        err(loading.err.chopped(1));
    if (!album)
        return loading.status;

    publish::Job job;
    job.album = *album;
    job.folder = args.make.outDir;
    job.options.webEdge = args.make.webEdge;
    job.site = *site;
    job.subfolder = publish::albumSubfolder(job.folder);
    job.resendAll = args.resendAll;
    publish::Ledger ledger(publish::ledgerKey(job.site, job.subfolder));
    const publish::Prepared prepared = publish::prepare(job, ledger.records(), {}, stop);
    if (stop && stop->load()) {
        err(QStringLiteral("公開を中止しました。"));
        return pagesStatus;
    }
    if (const QString problem = publish::pagesProblem(prepared); !problem.isEmpty()) {
        err(problem);
        return pagesStatus;
    }
    if (args.dryRun) {
        for (const publish::Step &step : prepared.plan.steps)
            out(step.path);
        if (args.removeStale)
            for (const QString &path : prepared.plan.stale)
                out(QStringLiteral("削除 ") + path);
        return 0;
    }

    publish::Credentials credentials;
    const bool connecting = !prepared.plan.steps.empty() || (args.removeStale && !prepared.plan.stale.isEmpty());
    if (connecting && site->auth == publish::Site::Auth::Password) {
        if (args.passwordStdin) {
            credentials.password = passwordLine();
        } else {
            const keyring::Read stored = keyring::read(keyring::account(*site));
            if (stored.answer != keyring::Answer::Found) {
                err(QStringLiteral("公開先 %1 のパスワードがキーリングにありません。--password-stdin で渡してください。")
                        .arg(site->host));
                return loginStatus;
            }
            credentials.password = stored.password;
        }
    }
    publish::FileTrust trust;
    publish::Events events;
    events.accept = [&](const publish::Identity &identity) {
        const QString &given = identity.kind == publish::Identity::Kind::HostKey ? args.acceptHostKey
                                                                                  : args.acceptCertificate;
        return !given.isEmpty() && given == identity.fingerprint;
    };
    events.sent = out;
    events.removed = [&out](const QString &path) { out(QStringLiteral("削除 ") + path); };
    const publish::Result result = publish::run(
        [&] { return publish::makeTransport(job.site, credentials, trust); }, trust, ledger,
        job.folder, publish::remoteFolder(job.site, job.subfolder), prepared.plan, args.removeStale, events, stop);
    if (result.status.outcome == publish::Outcome::UnknownIdentity && result.status.identity) {
        const bool key = result.status.identity->kind == publish::Identity::Kind::HostKey;
        err(QStringLiteral("公開先 %1（ポート %2）の%3は、まだ信用されていません。指紋:\n%4\n"
                           "管理者に知らされた指紋と同じなら、%5 %4 を付けてもう一度実行してください。")
                .arg(result.status.identity->host)
                .arg(result.status.identity->port)
                .arg(key ? QStringLiteral("ホスト鍵") : QStringLiteral("証明書"), result.status.identity->fingerprint,
                    key ? QStringLiteral("--accept-host-key") : QStringLiteral("--accept-certificate")));
        return identityStatus;
    }
    if (!result.status.ok() && result.sent.isEmpty() && result.failed.empty()) {
        err(publish::connectionMessage(result.status, job.site));
        return publish::exitStatus(result);
    }
    if (!result.status.ok())
        err(publish::connectionMessage(result.status, job.site));
    err(publish::closingMessage(job, prepared, result));
    return publish::exitStatus(result);
}

} // namespace cli
