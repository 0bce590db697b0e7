#include "web/ledger.h"

#include "textio/diskfile.h"

#include <QCryptographicHash>
#include <QList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace webcopy {

namespace {

const QByteArray header = QByteArrayLiteral("kamerio web copies 1");
const QByteArray ledgerName(ledgerFile);
// Temporaries carry the process id, so a later run can tell those of a
// process that died from those of one still at work.
const QByteArray temporaryStart = QByteArray(reservedPrefix) + "-new-";

bool writeAll(int fd, const QByteArray &bytes, int *error)
{
    const int e = diskfile::writeAll(fd, bytes.constData(), size_t(bytes.size()));
    if (e != 0)
        *error = e;
    return e == 0;
}

QByteArray line(const QByteArray &name, const Record &r)
{
    return QByteArray::number(r.copy.mtime) + ' ' + QByteArray::number(r.copy.size) + ' ' +
           QByteArray::number(r.photo.mtime) + ' ' + QByteArray::number(r.photo.size) + ' ' +
           QByteArray::number(r.edge) + ' ' + r.content + ' ' + name.toPercentEncoding() + '\n';
}

std::optional<std::pair<QByteArray, Record>> parse(QByteArrayView text)
{
    const QList<QByteArray> f = text.toByteArray().split(' ');
    if (f.size() != 7)
        return std::nullopt;
    bool ok[5];
    const Record r{{f[0].toLongLong(&ok[0]), f[1].toLongLong(&ok[1])},
                   {f[2].toLongLong(&ok[2]), f[3].toLongLong(&ok[3])},
                   f[4].toInt(&ok[4]),
                   f[5]};
    if (!(ok[0] && ok[1] && ok[2] && ok[3] && ok[4]) || f[6].isEmpty())
        return std::nullopt;
    return std::pair{QByteArray::fromPercentEncoding(f[6]), r};
}

// A regular file's bytes, up to limit and one more, so that a longer file shows.
QByteArray readAll(const QByteArray &path, qint64 limit)
{
    QByteArray bytes;
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return bytes;
    struct stat st;
    int error = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        bytes = diskfile::readAll(fd, limit + 1, &error);
    close(fd);
    return bytes;
}

bool deadProcess(const QByteArray &name)
{
    bool ok = false;
    const pid_t pid = name.mid(temporaryStart.size()).split('-').value(0).toInt(&ok);
    return ok && pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

QByteArray ledgerText(const Records &records)
{
    QByteArray text = header + '\n';
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        text += line(it.key(), *it);
    return text;
}

bool readLedger(QByteArrayView bytes, Records &records)
{
    const qsizetype end = bytes.indexOf('\n');
    if (bytes.first(end < 0 ? bytes.size() : end) != header)
        return false;
    // A run that died while noting a copy leaves a line unfinished; it is skipped.
    for (qsizetype at = end; at >= 0 && at < bytes.size();) {
        const qsizetype next = bytes.indexOf('\n', at + 1);
        const QByteArrayView text = bytes.sliced(at + 1, (next < 0 ? bytes.size() : next) - at - 1);
        if (const auto entry = parse(text); entry && !records.contains(entry->first, entry->second))
            records.insert(entry->first, entry->second);
        at = next;
    }
    return true;
}

QByteArray join(const QByteArray &dir, const QByteArray &name)
{
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

QByteArray contentHash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

Stamp stampOf(const struct stat &st)
{
    return {qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, qint64(st.st_size)};
}

bool writeTemporary(const QByteArray &dir, const QByteArray &bytes, QByteArray *path, Stamp *stamp, int *error)
{
    static std::atomic<unsigned> counter = 0;
    int fd = -1;
    while (fd < 0) {
        *path = join(dir, temporaryStart + QByteArray::number(getpid()) + '-' + QByteArray::number(++counter));
        fd = open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            *error = errno;
            return false;
        }
    }
    bool ok = writeAll(fd, bytes, error);
    // On disk before it can take a name, so a crash leaves no empty copy.
    if (ok && fsync(fd) != 0) {
        *error = errno;
        ok = false;
    }
    struct stat st;
    if (ok && fstat(fd, &st) == 0)
        *stamp = stampOf(st);
    if (close(fd) != 0 && ok) {
        *error = errno;
        ok = false;
    }
    if (!ok)
        unlink(path->constData());
    return ok;
}

int prepareFolder(const QByteArray &web)
{
    const int made = mkdir(web.constData(), 0777) == 0 ? 0 : errno;
    struct stat st;
    if (stat(web.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return made != 0 && made != EEXIST ? made : ENOTDIR;
    return 0;
}

void removeLeftovers(const QByteArray &dir)
{
    DIR *d = opendir(dir.constData());
    if (!d)
        return;
    while (dirent *e = readdir(d)) {
        const QByteArray name(e->d_name);
        if (name.startsWith(temporaryStart) && deadProcess(name))
            unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

Ledger::Ledger(const QByteArray &webDir)
    : dir_(webDir), path_(join(webDir, ledgerName))
{
    merge();
}

Ledger::~Ledger()
{
    if (fd_ >= 0)
        close(fd_);
}

bool Ledger::merge()
{
    struct stat st;
    if (lstat(path_.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISREG(st.st_mode) && st.st_size > maxLedgerBytes) {
        health_ = LedgerHealth::TooLarge;
        return false;
    }
    const QByteArray bytes = readAll(path_, maxLedgerBytes);
    if (bytes.size() > maxLedgerBytes) {
        health_ = LedgerHealth::TooLarge;
        return false;
    }
    if (!readLedger(bytes, records_)) {
        health_ = LedgerHealth::Garbled;
        return false;
    }
    return true;
}

bool Ledger::save(const QByteArray &text, int *error)
{
    QByteArray temporary;
    Stamp written;
    if (!writeTemporary(dir_, text, &temporary, &written, error))
        return false;
    if (::rename(temporary.constData(), path_.constData()) == 0)
        return true;
    *error = errno;
    unlink(temporary.constData());
    return false;
}

std::optional<Record> Ledger::match(const QByteArray &name, const Stamp &file) const
{
    const QList<Record> candidates = records_.values(name);
    for (const Record &r : candidates) {
        if (r.copy == file)
            return r;
    }
    // Read only when the time alone differs: a copy of the album or a card's
    // coarser clock, not an edit.
    QByteArray content;
    for (Record r : candidates) {
        if (r.copy.size != file.size)
            continue;
        if (content.isEmpty())
            content = contentHash(readAll(join(dir_, name), file.size));
        if (r.content == content) {
            r.copy = file;
            return r;
        }
    }
    return std::nullopt;
}

std::optional<Record> Ledger::find(const QByteArray &name, const Stamp &file) const
{
    std::lock_guard lock(mutex_);
    return match(name, file);
}

bool Ledger::openForAppend(int *error)
{
    if (fd_ >= 0)
        return true;
    // Appending starts on a whole file in our format, whatever was there before.
    merge();
    if (!save(ledgerText(records_), error))
        return false;
    fd_ = open(path_.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0)
        *error = errno;
    return fd_ >= 0;
}

bool Ledger::add(const QByteArray &name, const Record &record, int *error)
{
    std::lock_guard lock(mutex_);
    if (!openForAppend(error) || !writeAll(fd_, line(name, record), error))
        return false;
    // The note must reach the disk before the copy takes its name.
    if (fdatasync(fd_) != 0) {
        *error = errno;
        return false;
    }
    records_.insert(name, record);
    changed_ = true;
    return true;
}

void Ledger::tidy()
{
    std::lock_guard lock(mutex_);
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    // A run before the lock existed, or one whose lock the file system does
    // not share, may have noted copies meanwhile.
    const bool read = merge();
    QByteArray text = header + '\n';
    qsizetype kept = 0;
    bool refreshed = false;
    for (const QByteArray &name : records_.uniqueKeys()) {
        struct stat st;
        if (lstat(join(dir_, name).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (const std::optional<Record> r = match(name, stampOf(st))) {
            text += line(name, *r);
            refreshed = refreshed || !records_.contains(name, *r);
            ++kept;
        }
    }
    int error = 0;
    if (changed_ || refreshed || kept != records_.size() || (!read && kept > 0))
        save(text, &error);
}

} // namespace webcopy
