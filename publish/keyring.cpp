#include "publish/keyring.h"

#include "publish/site.h"

#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace keyring {
namespace {

const QString service = QStringLiteral("kamerio");

void wait(QKeychain::Job &job)
{
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.start();
    loop.exec();
}

} // namespace

QString account(const publish::Site &site)
{
    return publish::protocolName(site.protocol) + QStringLiteral("://") + site.user + u'@' + site.host + u':'
           + QString::number(site.port);
}

Read read(const QString &account)
{
    QKeychain::ReadPasswordJob job(service);
    job.setKey(account);
    wait(job);
    if (job.error() == QKeychain::NoError)
        return {Answer::Found, job.textData()};
    return {job.error() == QKeychain::EntryNotFound ? Answer::Absent : Answer::NoKeyring, QString()};
}

bool write(const QString &account, const QString &password, QString *error)
{
    QKeychain::WritePasswordJob job(service);
    job.setKey(account);
    job.setTextData(password);
    wait(job);
    if (job.error() == QKeychain::NoError)
        return true;
    *error = QStringLiteral("パスワードをキーリングに保存できませんでした（%1）。公開のたびにパスワードを尋ねます。")
                 .arg(job.errorString());
    return false;
}

void forget(const QString &account)
{
    QKeychain::DeletePasswordJob job(service);
    job.setKey(account);
    wait(job);
}

} // namespace keyring
