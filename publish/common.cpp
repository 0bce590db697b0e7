#include "publish/common.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace publish {

QByteArray temporaryName()
{
    return "kamerio-sending-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0')
        + ".tmp";
}

bool isTemporaryName(const QByteArray &name)
{
    static const QRegularExpression pattern(QStringLiteral("^kamerio-sending-[0-9a-f]{16}\\.tmp$"));
    return pattern.match(QString::fromLatin1(name)).hasMatch();
}

QByteArray folderOf(const QByteArray &path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool isLoopback(const QString &host)
{
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
}

Status failure(Outcome outcome, const QString &reason)
{
    return {outcome, reason, std::nullopt};
}

Status noConnection(const Site &site, const QString &detail)
{
    return failure(Outcome::NoConnection,
        QStringLiteral("ｻｰﾊﾞｰ %1 に接続できません。(%2)").arg(site.host, detail));
}

Status loginRefused()
{
    return failure(Outcome::LoginRefused,
        QStringLiteral("ｻｰﾊﾞｰにﾛｸﾞｲﾝできません。ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞ(または鍵)を確かめてください。"));
}

Status fileFailed(const QByteArray &remote, const QString &detail)
{
    return failure(Outcome::Failed, QStringLiteral("%1 を送れません。(%2)").arg(QString::fromUtf8(remote), detail));
}

} // namespace publish
