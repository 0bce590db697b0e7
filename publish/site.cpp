#include "publish/site.h"

#include "fileops/fsname.h"

#include <QUrl>

namespace publish {
namespace {

struct Scheme
{
    const char *name;
    Protocol protocol;
    bool tls;
};
const Scheme schemes[] = {
    {"sftp", Protocol::Sftp, true},
    {"ftps", Protocol::Ftps, true},
    {"davs", Protocol::WebDav, true},
    {"dav", Protocol::WebDav, false},
    {"ftp", Protocol::Ftp, false},
};

const char *const authNames[] = {"password", "key", "agent"};

QString trimmedFolder(const QString &folder)
{
    QString f = folder.trimmed();
    while (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    return f;
}

} // namespace

QString protocolName(Protocol protocol)
{
    switch (protocol) {
    case Protocol::Sftp: return QStringLiteral("sftp");
    case Protocol::Ftps: return QStringLiteral("ftps");
    case Protocol::WebDav: return QStringLiteral("webdav");
    case Protocol::Ftp: return QStringLiteral("ftp");
    }
    return QString();
}

std::optional<Site> storedSite(QSettings &settings)
{
    settings.beginGroup(QStringLiteral("publish"));
    Site site;
    const QString protocol = settings.value(QStringLiteral("protocol")).toString();
    for (Protocol p : {Protocol::Sftp, Protocol::Ftps, Protocol::WebDav, Protocol::Ftp})
        if (protocolName(p) == protocol)
            site.protocol = p;
    site.host = settings.value(QStringLiteral("host")).toString().trimmed();
    site.port = settings.value(QStringLiteral("port")).toInt();
    site.user = settings.value(QStringLiteral("user")).toString();
    site.folder = trimmedFolder(settings.value(QStringLiteral("folder")).toString());
    site.url = settings.value(QStringLiteral("url")).toString().trimmed();
    const QString auth = settings.value(QStringLiteral("auth")).toString();
    for (int i = 0; i < 3; ++i)
        if (auth == QLatin1String(authNames[i]))
            site.auth = Site::Auth(i);
    site.keyfile = settings.value(QStringLiteral("keyfile")).toString();
    // WebDAV over http is kept only for a server on this machine.
    site.tls = !(site.protocol == Protocol::WebDav && site.host == u"127.0.0.1"
                 && settings.value(QStringLiteral("tls"), 1).toInt() == 0);
    settings.endGroup();
    if (site.host.isEmpty())
        return std::nullopt;
    return site;
}

void storeSite(QSettings &settings, const Site &site)
{
    settings.beginGroup(QStringLiteral("publish"));
    settings.setValue(QStringLiteral("protocol"), protocolName(site.protocol));
    settings.setValue(QStringLiteral("host"), site.host);
    settings.setValue(QStringLiteral("port"), site.port);
    settings.setValue(QStringLiteral("user"), site.user);
    settings.setValue(QStringLiteral("folder"), site.folder);
    settings.setValue(QStringLiteral("url"), site.url);
    settings.setValue(QStringLiteral("auth"), QLatin1String(authNames[int(site.auth)]));
    settings.setValue(QStringLiteral("keyfile"), site.keyfile);
    if (site.protocol == Protocol::WebDav)
        settings.setValue(QStringLiteral("tls"), site.tls ? 1 : 0);
    else
        settings.remove(QStringLiteral("tls"));
    settings.endGroup();
}

std::optional<Site> parseSite(const QString &address, QString *error)
{
    const QUrl url(address, QUrl::StrictMode);
    const Scheme *scheme = nullptr;
    for (const Scheme &s : schemes)
        if (url.scheme() == QLatin1String(s.name))
            scheme = &s;
    if (!url.isValid() || !scheme || url.host().isEmpty() || !url.password().isEmpty()) {
        *error = url.isValid() && !url.password().isEmpty()
                     ? QStringLiteral("公開先のアドレスにパスワードを書かないでください。--password-stdin を使ってください。")
                     : QStringLiteral("公開先「%1」は sftp://、ftps://、davs://、dav://、ftp:// で始まるアドレスにしてください。")
                           .arg(address);
        return std::nullopt;
    }
    Site site;
    site.protocol = scheme->protocol;
    site.tls = scheme->tls || scheme->protocol != Protocol::WebDav;
    site.host = url.host();
    site.port = url.port(0);
    site.user = url.userName();
    // "/" alone and "/~/…" are the folder the login lands in and below it.
    const QString path = url.path();
    site.folder = trimmedFolder(path == u"/" ? QString() : path.startsWith(QStringLiteral("/~/")) ? path.mid(3) : path);
    site.auth = Site::Auth::Password;
    if (const QString problem = siteProblem(site); !problem.isEmpty()) {
        *error = problem;
        return std::nullopt;
    }
    return site;
}

QString siteProblem(const Site &site)
{
    if (site.host.isEmpty())
        return QStringLiteral("公開先のホスト名を入れてください。");
    if (site.protocol == Protocol::WebDav && !site.tls && site.host != u"127.0.0.1")
        return QStringLiteral("WebDAV を https なしで使えるのは、このパソコンの中のサーバー（127.0.0.1）だけです。");
    if (site.port < 0 || site.port > 65535)
        return QStringLiteral("ポート番号「%1」は 1 から 65535 までの数にしてください。").arg(site.port);
    return QString();
}

QByteArray remoteFolder(const Site &site, const QString &subfolder)
{
    QString folder = trimmedFolder(site.folder);
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return fsname::encode(folder + subfolder);
}

QString ledgerKey(const Site &site, const QString &subfolder)
{
    return protocolName(site.protocol) + QStringLiteral("://") + site.user + u'@' + site.host + u':'
           + QString::number(site.port) + fsname::decode(remoteFolder(site, subfolder));
}

QString publicAddress(const Site &site, const QString &subfolder, const QString &path)
{
    if (site.url.isEmpty())
        return QString();
    QString base = site.url;
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + QString::fromLatin1(QUrl::toPercentEncoding(subfolder + u'/' + path, "/"));
}

} // namespace publish
