#include "publish/curl.h"

#include "publish/certificate.h"
#include "publish/common.h"
#include "publish/trust.h"

#include <QFile>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace publish {

namespace {

size_t discard(char *, size_t size, size_t count, void *) { return size * count; }

size_t collect(char *data, size_t size, size_t count, void *to)
{
    static_cast<QByteArray *>(to)->append(data, qsizetype(size * count));
    return size * count;
}

struct Upload
{
    QFile *file;
    const Sent *sent;
    const std::atomic_bool *cancel;
};

size_t readFile(char *to, size_t size, size_t count, void *from)
{
    auto *u = static_cast<Upload *>(from);
    if (u->cancel && u->cancel->load())
        return CURL_READFUNC_ABORT;
    const qint64 n = u->file->read(to, qint64(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : size_t(n);
}

int progress(void *from, curl_off_t, curl_off_t, curl_off_t, curl_off_t now)
{
    auto *u = static_cast<Upload *>(from);
    if (u->sent && *u->sent && now > 0)
        (*u->sent)(qint64(now));
    return u->cancel && u->cancel->load() ? 1 : 0;
}

// Each path segment escaped, the slashes kept.
QByteArray escaped(const QByteArray &path)
{
    return QUrl::toPercentEncoding(QString::fromUtf8(path), "/");
}

class Curl : public Transport
{
public:
    Curl(const Site &site, const Credentials &credentials, Trust &trust)
        : site_(site), credentials_(credentials), trust_(trust), temporary_(temporaryName())
    {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        handle_ = curl_easy_init();
        multi_ = curl_multi_init();
    }
    ~Curl() override
    {
        curl_easy_cleanup(handle_);
        curl_multi_cleanup(multi_);
    }

    Status open() override
    {
        if (dav() && !site_.tls && !isLoopback(site_.host))
            return failure(Outcome::Failed,
                QStringLiteral("暗号化しない WebDAV (http) はこのｺﾝﾋﾟｭｰﾀｰのｻｰﾊﾞｰ (127.0.0.1) にだけ使えます。"));
        pinned_.clear();
        CURLcode rc = greet();
        if (tls() && (rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_CACERT_BADFILE)) {
            Status s = identify();
            if (!s.ok())
                return s;
            rc = greet();
            if (rc == CURLE_SSL_PINNEDPUBKEYNOTMATCH) {
                pinned_.clear();
                return identify();
            }
        }
        return outcome(rc, {});
    }

    Status makeFolder(const QByteArray &path) override
    {
        if (!dav()) {
            prepare(url(path.endsWith('/') ? path : path + '/'));
            curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(handle_, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
            return outcome(perform(), path);
        }
        QByteArray prefix = path.startsWith('/') ? "/" : "";
        for (const QByteArray &part : path.split('/')) {
            if (part.isEmpty())
                continue;
            prefix += part + '/';
            prepare(url(prefix));
            curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, "MKCOL");
            const CURLcode rc = perform();
            // 405: the folder is there already.
            if (rc != CURLE_OK || (code() >= 300 && code() != 405))
                return outcome(rc, prefix);
        }
        return {};
    }

    Status put(const QByteArray &local, const QByteArray &remote, const Sent &sent,
        const std::atomic_bool *cancel) override
    {
        QFile file(QFile::decodeName(local));
        if (!file.open(QIODevice::ReadOnly))
            return fileFailed(remote, file.errorString());
        Upload upload{&file, &sent, cancel};
        // WebDAV servers such as Apache write a PUT aside and move it into
        // place; FTP gets the file under a temporary name and renames it.
        const QByteArray name = nameOf(remote);
        struct curl_slist *rename = nullptr;
        if (!dav()) {
            rename = curl_slist_append(rename, ("RNFR " + temporary_).constData());
            rename = curl_slist_append(rename, ("RNTO " + name).constData());
        }
        prepare(url(dav() ? remote : folderOf(remote) + temporary_));
        curl_easy_setopt(handle_, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle_, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
        curl_easy_setopt(handle_, CURLOPT_READFUNCTION, readFile);
        curl_easy_setopt(handle_, CURLOPT_READDATA, &upload);
        curl_easy_setopt(handle_, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024);
        curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, progress);
        curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, &upload);
        curl_easy_setopt(handle_, CURLOPT_POSTQUOTE, rename);
        const CURLcode rc = perform();
        curl_slist_free_all(rename);
        // The callbacks stop the transfer for a cancel or for a file that
        // could not be read.
        Status s = rc == CURLE_ABORTED_BY_CALLBACK && !(cancel && cancel->load())
            ? fileFailed(remote, file.errorString())
            : outcome(rc, remote);
        if (s.ok() && sent)
            sent(file.size());
        if (!s.ok() && !dav() && s.outcome != Outcome::NoConnection)
            quote(folderOf(remote), "*DELE " + temporary_);
        return s;
    }

    Status remove(const QByteArray &remote) override
    {
        if (dav()) {
            prepare(url(remote));
            curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, "DELETE");
            const CURLcode rc = perform();
            return rc == CURLE_OK && code() == 404 ? Status{} : outcome(rc, remote);
        }
        Status s = quote(folderOf(remote), "DELE " + nameOf(remote));
        if (s.outcome != Outcome::Failed)
            return s;
        // A file that is gone already is as good as removed.
        prepare(url(remote));
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
        return perform() == CURLE_REMOTE_FILE_NOT_FOUND ? Status{} : s;
    }

    Status removeLeftovers(const QByteArray &folder) override
    {
        if (dav())
            return {};
        QByteArray listing;
        prepare(url(folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/'));
        curl_easy_setopt(handle_, CURLOPT_DIRLISTONLY, 1L);
        curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &listing);
        const CURLcode rc = perform();
        if (rc == CURLE_REMOTE_ACCESS_DENIED || rc == CURLE_REMOTE_FILE_NOT_FOUND)
            return {};
        if (rc != CURLE_OK)
            return outcome(rc, folder);
        const QByteArray prefix = folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/';
        for (const QByteArray &line : listing.split('\n')) {
            const QByteArray name = nameOf(line.trimmed());
            if (isTemporaryName(name))
                if (Status s = remove(prefix + name); !s.ok())
                    return s;
        }
        return {};
    }

    bool atomicReplace() const override { return true; }

private:
    bool dav() const { return site_.protocol == Protocol::WebDav; }
    bool tls() const { return site_.protocol == Protocol::Ftps || (dav() && site_.tls); }
    int port() const
    {
        if (site_.port)
            return site_.port;
        return dav() ? (site_.tls ? 443 : 80) : 21;
    }
    long code() const
    {
        long c = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &c);
        return c;
    }

    QByteArray url(const QByteArray &path) const
    {
        const QByteArray scheme = dav() ? (site_.tls ? "https" : "http") : "ftp";
        QByteArray host = site_.host.toUtf8();
        if (host.contains(':'))
            host = '[' + host + ']';
        QByteArray u = scheme + "://" + host + ':' + QByteArray::number(port()) + '/';
        // An FTP path from the server's root, rather than the login folder.
        if (path.startsWith('/'))
            return u + (dav() ? "" : "%2F") + escaped(path.mid(1));
        return u + escaped(path);
    }

    void prepare(const QByteArray &address)
    {
        curl_easy_reset(handle_);
        curl_easy_setopt(handle_, CURLOPT_URL, address.constData());
        curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, dav() ? (site_.tls ? "https" : "http") : "ftp");
        curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 20L);
        curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, 30L);
        curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, discard);
        const QByteArray user = site_.user.toUtf8(), password = credentials_.password.toUtf8();
        curl_easy_setopt(handle_, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(handle_, CURLOPT_PASSWORD, password.constData());
        if (dav())
            curl_easy_setopt(handle_, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        if (site_.protocol == Protocol::Ftps)
            curl_easy_setopt(handle_, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        if (!pinned_.isEmpty()) {
            // The user accepted this key for this host and port: it is the
            // proof, whatever name the certificate carries.
            const QByteArray pin = "sha256//" + pinned_.mid(7).toLatin1();
            curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(handle_, CURLOPT_PINNEDPUBLICKEY, pin.constData());
        }
    }

    // The first request: connects, proves the server and logs in.
    CURLcode greet()
    {
        prepare(url(""));
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
        return perform();
    }

    // A server the system's authorities do not vouch for: its key, from a
    // handshake that sends nothing of the user's, against the pinned ones.
    Status identify()
    {
        Identity identity;
        identity.kind = Identity::Kind::Certificate;
        identity.host = site_.host;
        identity.port = port();
        CURL *probe = curl_easy_init();
        const QByteArray address = url("");
        curl_easy_setopt(probe, CURLOPT_URL, address.constData());
        curl_easy_setopt(probe, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(probe, CURLOPT_CONNECTTIMEOUT, 20L);
        curl_easy_setopt(probe, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(probe, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(probe, CURLOPT_CERTINFO, 1L);
        // A pin no key has ends the connection right after the handshake,
        // the certificate read, before any login or request is sent.
        curl_easy_setopt(probe, CURLOPT_PINNEDPUBLICKEY, "sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=");
        if (site_.protocol == Protocol::Ftps)
            curl_easy_setopt(probe, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_perform(probe);
        struct curl_certinfo *info = nullptr;
        if (curl_easy_getinfo(probe, CURLINFO_CERTINFO, &info) == CURLE_OK && info && info->num_of_certs > 0)
            for (curl_slist *f = info->certinfo[0]; f; f = f->next)
                if (qstrncmp(f->data, "Cert:", 5) == 0)
                    identity.fingerprint = publicKeyFingerprint(QByteArray(f->data + 5));
        curl_easy_cleanup(probe);
        if (identity.fingerprint.isEmpty())
            return noConnection(site_, QStringLiteral("TLS"));
        identity.record = hostName(site_.host, identity.port) + ' ' + identity.fingerprint.toLatin1();
        const Outcome o = trust_.check(identity);
        if (o == Outcome::Ok) {
            pinned_ = identity.fingerprint;
            return {};
        }
        const QString text = o == Outcome::UnknownIdentity
            ? QStringLiteral("ｻｰﾊﾞｰ %1 の証明書は認証局に確認されていません。公開鍵の指紋: %2")
            : QStringLiteral("ｻｰﾊﾞｰ %1 の証明書が記録と違います。なりすましの恐れがあるため接続を中止しました。公開鍵の指紋: %2");
        return {o, text.arg(site_.host, identity.fingerprint), identity};
    }

    // An FTP command in a folder, after libcurl has moved there.
    Status quote(const QByteArray &folder, const QByteArray &command)
    {
        struct curl_slist *list = curl_slist_append(nullptr, command.constData());
        prepare(url(folder));
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(handle_, CURLOPT_POSTQUOTE, list);
        const CURLcode rc = perform();
        curl_slist_free_all(list);
        return outcome(rc, folder + nameOf(command));
    }

    Status outcome(CURLcode rc, const QByteArray &remote)
    {
        const QString detail = QString::fromUtf8(curl_easy_strerror(rc));
        switch (rc) {
        case CURLE_OK:
            if (!dav() || code() < 300)
                return {};
            if (code() == 401)
                return loginRefused();
            // The first request only proves the login; the root of the
            // address need not be readable.
            return remote.isEmpty() ? Status{} : fileFailed(remote, QStringLiteral("HTTP %1").arg(code()));
        case CURLE_LOGIN_DENIED: return loginRefused();
        case CURLE_ABORTED_BY_CALLBACK: return failure(Outcome::Cancelled, QString());
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_USE_SSL_FAILED:
        case CURLE_FTP_ACCEPT_TIMEOUT:
        case CURLE_FTP_CANT_GET_HOST:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_WEIRD_SERVER_REPLY: return noConnection(site_, detail);
        default: return remote.isEmpty() ? noConnection(site_, detail) : fileFailed(remote, detail);
        }
    }

    // libcurl 7.88 left to itself (curl_easy_perform) sits out its whole
    // one-second poll each time an FTP server's answer to EPSV or PASV came
    // in with the previous one (always so under TLS, where OpenSSL holds it):
    // the data connection is set up only on the next turn of its loop, and
    // no socket is there to wake that turn. Turning the loop here, never
    // waiting more than a moment, takes that second off every FTPS file.
    CURLcode perform()
    {
        curl_multi_add_handle(multi_, handle_);
        int running = 1;
        while (curl_multi_perform(multi_, &running) == CURLM_OK && running > 0)
            curl_multi_poll(multi_, nullptr, 0, pollMs, nullptr);
        CURLcode result = CURLE_SEND_ERROR;
        int left = 0;
        while (CURLMsg *m = curl_multi_info_read(multi_, &left))
            if (m->msg == CURLMSG_DONE && m->easy_handle == handle_)
                result = m->data.result;
        curl_multi_remove_handle(multi_, handle_);
        return result;
    }

    static constexpr int pollMs = 2;
    Site site_;
    Credentials credentials_;
    Trust &trust_;
    QByteArray temporary_;
    QString pinned_;
    CURL *handle_ = nullptr;
    CURLM *multi_ = nullptr;
};

} // namespace

std::unique_ptr<Transport> makeCurl(const Site &site, const Credentials &credentials, Trust &trust)
{
    return std::make_unique<Curl>(site, credentials, trust);
}

} // namespace publish
