#include "publish/plan.h"

#include "fileops/fsname.h"
#include "textio/diskfile.h"

#include <QCryptographicHash>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace publish {

Plan plan(const std::vector<Local> &local, const QStringList &pages, const Records &ledger, bool resendAll,
    const Hasher &hash)
{
    Plan p;
    QSet<QString> needed;
    std::vector<Step> files, laterPages;
    std::optional<Step> firstPage;
    for (const Local &l : local) {
        needed.insert(l.path);
        const auto sent = ledger.constFind(l.path);
        const bool known = sent != ledger.cend();
        Record now{l.size, l.mtime, {}};
        if (known && !resendAll && sent->size == l.size && sent->mtime == l.mtime)
            continue;
        QString error;
        const std::optional<QByteArray> sha = hash(l.path, &error);
        if (!sha) {
            p.unreadable.emplace_back(l.path, error);
            continue;
        }
        now.sha256 = *sha;
        if (known && !resendAll && sent->size == l.size && sent->sha256 == now.sha256) {
            p.touched.emplace_back(l.path, now);
            continue;
        }
        Step step{l.path, known, now};
        p.bytes += l.size;
        const qsizetype page = pages.indexOf(l.path);
        if (page == 0)
            firstPage = step;
        else if (page > 0)
            laterPages.push_back(step);
        else
            files.push_back(step);
    }
    p.steps = std::move(files);
    p.steps.insert(p.steps.end(), laterPages.begin(), laterPages.end());
    if (firstPage)
        p.steps.push_back(*firstPage);
    for (auto it = ledger.cbegin(); it != ledger.cend(); ++it)
        if (!needed.contains(it.key()))
            p.stale.append(it.key());
    p.stale.sort();
    return p;
}

std::vector<Local> survey(const QString &folder, const QStringList &needed)
{
    std::vector<Local> out;
    out.reserve(size_t(needed.size()));
    for (const QString &path : needed) {
        struct stat st;
        if (stat(fsname::encode(fsname::join(folder, path)).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        out.push_back({path, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    return out;
}

Hasher fileHasher(const QString &folder)
{
    return [folder](const QString &path, QString *error) -> std::optional<QByteArray> {
        const int fd = open(fsname::encode(fsname::join(folder, path)).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            *error = diskfile::reason(errno);
            return std::nullopt;
        }
        QCryptographicHash sha(QCryptographicHash::Sha256);
        std::vector<char> block(size_t(1) << 20);
        ssize_t n = 0;
        while ((n = read(fd, block.data(), block.size())) > 0)
            sha.addData(QByteArrayView(block.data(), n));
        const int e = n < 0 ? errno : 0;
        close(fd);
        if (e != 0) {
            *error = diskfile::reason(e);
            return std::nullopt;
        }
        return sha.result().toHex();
    };
}

} // namespace publish
