#include "publish/ledger.h"

#include "fileops/fsname.h"
#include "textio/diskfile.h"
#include "textio/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QList>

#include <fcntl.h>
#include <unistd.h>

namespace publish {
namespace {

const QByteArray header = QByteArrayLiteral("kamerio published 1");
const QByteArray subfoldersHeader = QByteArrayLiteral("kamerio subfolders 1");
// Far beyond any album (32 767 photos, their copies and pages), far below
// what would hurt to read.
constexpr qint64 maxBytes = qint64(64) << 20;
constexpr qsizetype maxPath = 4096;

QByteArray pathBytes(const QString &path)
{
    return fsname::encode(path).toPercentEncoding("/");
}

std::optional<QString> pathOf(QByteArrayView field)
{
    if (field.isEmpty() || field.size() > maxPath * 3)
        return std::nullopt;
    const QByteArray raw = QByteArray::fromPercentEncoding(field.toByteArray());
    if (raw.isEmpty() || raw.contains('\0') || raw.contains('\n') || raw.size() > maxPath)
        return std::nullopt;
    return fsname::decode(raw);
}

bool isHex(QByteArrayView text)
{
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

QByteArray noteLine(const QString &path, const Record &r)
{
    return "+ " + QByteArray::number(r.size) + ' ' + QByteArray::number(r.mtime) + ' ' + r.sha256 + ' '
           + pathBytes(path) + '\n';
}

QString ledgerPath(const QString &key)
{
    const QByteArray name = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return stateFolder() + u'/' + QString::fromLatin1(name) + QStringLiteral(".ledger");
}

QString subfoldersPath()
{
    return stateFolder() + QStringLiteral("/subfolders");
}

QHash<QString, QString> readSubfolders()
{
    QHash<QString, QString> out;
    const std::optional<QByteArray> bytes = textfile::load(subfoldersPath(), maxBytes);
    if (!bytes)
        return out;
    const QList<QByteArray> lines = bytes->split('\n');
    if (lines.value(0) != subfoldersHeader)
        return out;
    for (const QByteArray &line : lines.mid(1)) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() != 2)
            continue;
        const std::optional<QString> folder = pathOf(f[0]);
        const std::optional<QString> name = pathOf(f[1]);
        if (folder && name)
            out.insert(*folder, *name);
    }
    return out;
}

bool saveFile(const QString &path, const QByteArray &bytes, QString *error)
{
    if (!QDir().mkpath(QFileInfo(path).path())) {
        *error = QStringLiteral("ﾌｫﾙﾀﾞ「%1」を作れませんでした。").arg(QFileInfo(path).path());
        return false;
    }
    return textfile::save(path, bytes, error);
}

} // namespace

QString stateFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/kamerio/published");
}

QByteArray format(const QString &key, const Records &records)
{
    QByteArray out = header + "\nsite " + key.toUtf8().toPercentEncoding() + '\n';
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        out += noteLine(it.key(), *it);
    return out;
}

std::optional<Records> parse(QByteArrayView bytes, const QString &key)
{
    if (bytes.size() > maxBytes)
        return std::nullopt;
    const QList<QByteArrayView> lines = [&] {
        QList<QByteArrayView> out;
        qsizetype from = 0;
        while (from < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', from);
            // An unfinished last line is a note a killed run was writing.
            if (end < 0)
                break;
            out.append(bytes.sliced(from, end - from));
            from = end + 1;
        }
        return out;
    }();
    if (lines.size() < 2 || lines[0] != header || lines[1] != "site " + key.toUtf8().toPercentEncoding())
        return std::nullopt;
    Records records;
    for (const QByteArrayView line : lines.mid(2)) {
        const QList<QByteArray> f = line.toByteArray().split(' ');
        if (f.size() == 2 && f[0] == "-") {
            if (const std::optional<QString> path = pathOf(f[1]))
                records.remove(*path);
            continue;
        }
        if (f.size() != 5 || f[0] != "+")
            continue;
        bool sizeOk = false, timeOk = false;
        const Record r{f[1].toLongLong(&sizeOk), f[2].toLongLong(&timeOk), f[3]};
        const std::optional<QString> path = pathOf(f[4]);
        if (sizeOk && timeOk && r.size >= 0 && r.sha256.size() == 64 && isHex(r.sha256) && path)
            records.insert(*path, r);
    }
    return records;
}

Ledger::Ledger(const QString &key)
    : key_(key), path_(ledgerPath(key))
{
    if (const std::optional<QByteArray> bytes = textfile::load(path_, maxBytes))
        records_ = parse(*bytes, key_).value_or(Records());
}

Ledger::~Ledger()
{
    if (fd_ >= 0)
        close(fd_);
}

bool Ledger::append(const QByteArray &line, QString *error)
{
    if (fd_ < 0) {
        // Appending starts on a whole ledger of this key, whatever was there.
        if (!save(error))
            return false;
        fd_ = open(fsname::encode(path_).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd_ < 0) {
            *error = diskfile::reason(errno);
            return false;
        }
    }
    if (const int e = diskfile::writeAll(fd_, line.constData(), size_t(line.size())); e != 0) {
        *error = diskfile::reason(e);
        return false;
    }
    return true;
}

bool Ledger::note(const QString &path, const Record &record, QString *error)
{
    if (!append(noteLine(path, record), error))
        return false;
    records_.insert(path, record);
    return true;
}

bool Ledger::forget(const QString &path, QString *error)
{
    if (!append("- " + pathBytes(path) + '\n', error))
        return false;
    records_.remove(path);
    return true;
}

bool Ledger::save(QString *error)
{
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    return saveFile(path_, format(key_, records_), error);
}

QString albumSubfolder(const QString &albumFolder)
{
    const QString named = readSubfolders().value(albumFolder);
    return named.isEmpty() ? QFileInfo(albumFolder).fileName() : named;
}

bool rememberSubfolder(const QString &albumFolder, const QString &name, QString *error)
{
    QHash<QString, QString> all = readSubfolders();
    if (name == QFileInfo(albumFolder).fileName() || name.isEmpty())
        all.remove(albumFolder);
    else
        all.insert(albumFolder, name);
    QByteArray bytes = subfoldersHeader + '\n';
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        bytes += pathBytes(it.key()) + ' ' + pathBytes(*it) + '\n';
    return saveFile(subfoldersPath(), bytes, error);
}

} // namespace publish
