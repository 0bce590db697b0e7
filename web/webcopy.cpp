#include "web/webcopy.h"

#include "fileops/fsname.h"
#include "fileops/safefile.h"
#include "web/ledger.h"
#include "web/shrink.h"

#include <QFile>
#include <QImageReader>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace webcopy {

namespace {

// How many photos the closing message names before it only counts them.
constexpr int namedFailures = 10;

struct Run
{
    QByteArray folder; // the photos' folder, as the disk spells it
    QByteArray web;
    const Plan &plan;
    Ledger &ledger;
    // Files the list does not know that the user lets us replace, as they stood then.
    QHash<QByteArray, Stamp> reclaim;
};

// A name that reaches a file of the folder itself and whose copy cannot be
// taken for one of the hidden files Kamerio keeps in web.
bool bareName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(0)) && name != QLatin1String(".") &&
           name != QLatin1String("..") && !name.startsWith(QLatin1String(reservedPrefix));
}

// Puts a finished temporary under the copy's name. A copy of ours is
// replaced in one step; a free name is taken only while it is still free.
Outcome place(const QByteArray &temporary, const QByteArray &target, bool replacing, int *error)
{
    int e = 0;
    bool moved = false;
    if (replacing) {
        moved = ::rename(temporary.constData(), target.constData()) == 0;
        e = errno;
    } else {
        moved = safefile::rename(fsname::decode(temporary), fsname::decode(target), &e);
    }
    if (moved)
        return Outcome::Made;
    unlink(temporary.constData());
    *error = e;
    return e == EEXIST ? Outcome::Foreign : Outcome::Failed;
}

Outcome write(const Run &run, const QByteArray &name, const Stamp &photo, int edge, const QByteArray &jpeg,
              bool replacing, int *error)
{
    QByteArray temporary;
    Record record{{}, photo, edge, contentHash(jpeg)};
    if (!writeTemporary(run.web, jpeg, &temporary, &record.copy, error))
        return Outcome::Failed;
    if (!run.ledger.add(name, record, error)) {
        unlink(temporary.constData());
        return Outcome::Failed;
    }
    return place(temporary, join(run.web, name), replacing, error);
}

// What stands under a picture's name: nothing, a picture of ours (up to date
// or not), or a file Kamerio did not make.
enum class Found { Free, Ours, Current, Foreign, Error };

Found lookUp(const Run &run, const QByteArray &name, const Stamp &photo, int edge)
{
    struct stat st;
    if (lstat(join(run.web, name).constData(), &st) != 0)
        return errno == ENOENT ? Found::Free : Found::Error;
    const bool regular = S_ISREG(st.st_mode);
    const std::optional<Record> ours = regular ? run.ledger.find(name, stampOf(st)) : std::nullopt;
    if (!ours) {
        const auto claimed = run.reclaim.constFind(name);
        return regular && claimed != run.reclaim.cend() && *claimed == stampOf(st) ? Found::Ours : Found::Foreign;
    }
    return ours->photo == photo && ours->edge == edge ? Found::Current : Found::Ours;
}

Outcome copyOne(const Run &run, Photo &p)
{
    if (!bareName(p.name)) {
        p.error = EINVAL;
        return Outcome::Failed;
    }
    // Without O_NONBLOCK a pipe listed as a photo would wait for a writer.
    const int fd = open(join(run.folder, fsname::encode(p.name)).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Outcome::Missing : Outcome::Undecodable;
    QFile photo;
    photo.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Outcome::NotJpeg;
    const Stamp photoStamp = stampOf(st);
    QImageReader reader(&photo);
    if (reader.format() != "jpeg")
        return Outcome::NotJpeg;
    p.size = uprightSize(reader);
    if (!p.size.isValid())
        return Outcome::Undecodable;

    std::vector<Target> targets = run.plan(p.name, p.size);
    std::sort(targets.begin(), targets.end(), [](const Target &a, const Target &b) { return a.edge > b.edge; });
    std::vector<std::pair<QByteArray, bool>> wanted; // name, replacing a picture of ours
    std::vector<Target> wantedTargets;
    for (const Target &t : targets) {
        const QByteArray name = fsname::encode(t.name);
        switch (lookUp(run, name, photoStamp, t.edge)) {
        case Found::Current: continue;
        case Found::Foreign: return Outcome::Foreign;
        case Found::Error: p.error = errno; return Outcome::Failed;
        case Found::Free: wanted.emplace_back(name, false); break;
        case Found::Ours: wanted.emplace_back(name, true); break;
        }
        wantedTargets.push_back(t);
    }
    if (wanted.empty())
        return Outcome::UpToDate;
    const Shrunk made = shrink(reader, wantedTargets);
    if (made.outcome != Outcome::Made)
        return made.outcome;
    for (size_t i = 0; i < wanted.size(); ++i) {
        const Outcome o = write(run, wanted[i].first, photoStamp, wantedTargets[i].edge, made.jpegs[i],
                                wanted[i].second, &p.error);
        if (o != Outcome::Made)
            return o;
    }
    return Outcome::Made;
}

// Runs work(i) for every i below count on that many threads, and reports
// each finished one on the calling thread.
void forEach(int count, int threads, const std::function<void(int)> &work, const fileops::Progress &progress)
{
    std::atomic_int next = 0;
    std::mutex mutex;
    std::condition_variable finished;
    int done = 0;
    auto worker = [&] {
        for (int i; (i = next++) < count;) {
            work(i);
            std::lock_guard lock(mutex);
            ++done;
            finished.notify_one();
        }
    };
    std::vector<std::jthread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    for (int reported = 0; reported < count;) {
        std::unique_lock lock(mutex);
        finished.wait(lock, [&] { return done > reported; });
        reported = done;
        lock.unlock();
        if (progress)
            progress(reported, count);
    }
}

QString writeReason(int error)
{
    switch (error) {
    case EROFS: return QStringLiteral("読み取り専用のﾄﾞﾗｲﾌﾞです");
    case ENOENT: return QStringLiteral("%1 ﾌｫﾙﾀﾞがなくなりました").arg(folderName);
    default: return safefile::reason(error);
    }
}

std::vector<Photo> each(const QStringList &photoNames)
{
    std::vector<Photo> photos;
    QSet<QString> seen;
    for (const QString &name : photoNames) {
        if (!seen.contains(name)) {
            seen.insert(name);
            photos.push_back({name});
        }
    }
    return photos;
}

Result copyAll(const QString &folder, const QStringList &photoNames, const Plan &plan,
               const QHash<QByteArray, Stamp> &reclaim, const fileops::Progress &progress,
               const std::atomic_bool *cancel, int workers)
{
    Result r;
    r.photos = each(photoNames);
    if (r.photos.empty())
        return r;
    const QByteArray web = fsname::encode(fsname::join(folder, folderName));
    if (const int error = prepareFolder(web); error != 0)
        return unmade(photoNames, error);
    removeLeftovers(web);
    Ledger ledger(web);
    r.ledger = ledger.health();
    const Run run{fsname::encode(folder), web, plan, ledger, reclaim};
    const int count = int(r.photos.size());
    const int threads = std::clamp(workers > 0 ? workers : QThread::idealThreadCount(), 1, count);
    forEach(
        count, threads,
        [&](int i) {
            Photo &p = r.photos[size_t(i)];
            if (!cancel || !cancel->load())
                p.outcome = copyOne(run, p);
        },
        progress);
    ledger.tidy();
    r.written = int(std::count_if(r.photos.begin(), r.photos.end(),
                                  [](const Photo &p) { return p.outcome == Outcome::Made; }));
    return r;
}

// Today's copies: one picture a photo, of the longer side edge, under the photo's own name.
Plan copiesOf(int edge)
{
    const int copyEdge = edge > 0 ? edge : defaultEdge;
    return [copyEdge](const QString &photo, QSize) { return std::vector<Target>{{photo, copyEdge}}; };
}

} // namespace

QSet<QString> Result::copied() const
{
    QSet<QString> names;
    for (const Photo &p : photos) {
        if (p.outcome == Outcome::Made || p.outcome == Outcome::UpToDate)
            names.insert(p.name);
    }
    return names;
}

Result update(const QString &folder, const QStringList &photoNames, int edge, const fileops::Progress &progress,
              const std::atomic_bool *cancel, int workers)
{
    return copyAll(folder, photoNames, copiesOf(edge), {}, progress, cancel, workers);
}

Result update(const QString &folder, const QStringList &photoNames, const Plan &plan,
              const fileops::Progress &progress, const std::atomic_bool *cancel, int workers)
{
    return copyAll(folder, photoNames, plan, {}, progress, cancel, workers);
}

Result unmade(const QStringList &photoNames, int error)
{
    Result r;
    r.photos = each(photoNames);
    r.folderError = error;
    for (Photo &p : r.photos)
        p = {p.name, Outcome::NoFolder, error};
    return r;
}

std::vector<Disowned> disowned(const QString &folder, const QStringList &photoNames, LedgerHealth *health)
{
    std::vector<Disowned> out;
    const QByteArray dir = fsname::encode(folder);
    const QByteArray web = join(dir, fsname::encode(folderName));
    const Ledger ledger(web);
    if (health)
        *health = ledger.health();
    for (const Photo &p : each(photoNames)) {
        const QByteArray name = fsname::encode(p.name);
        struct stat st;
        if (!bareName(p.name) || stat(join(dir, name).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (lstat(join(web, name).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (!ledger.find(name, stampOf(st)))
            out.push_back({p.name, stampOf(st)});
    }
    return out;
}

Result remake(const QString &folder, const std::vector<Disowned> &files, int edge, const fileops::Progress &progress,
              const std::atomic_bool *cancel)
{
    QStringList names;
    QHash<QByteArray, Stamp> reclaim;
    for (const Disowned &d : files) {
        names.append(d.name);
        reclaim.insert(fsname::encode(d.name), d.stamp);
    }
    return copyAll(folder, names, copiesOf(edge), reclaim, progress, cancel, 0);
}

QString reason(const Photo &photo)
{
    switch (photo.outcome) {
    case Outcome::Made:
    case Outcome::UpToDate: return QString();
    case Outcome::Missing: return QStringLiteral("見つかりません");
    case Outcome::NotJpeg: return QStringLiteral("JPEG ではありません");
    case Outcome::Undecodable: return QStringLiteral("JPEG として読めません");
    case Outcome::Foreign: return QStringLiteral("%1 に同じ名前の別のﾌｧｲﾙがあります").arg(folderName);
    case Outcome::NoFolder: return folderReason(photo.error);
    case Outcome::Failed: return writeReason(photo.error);
    case Outcome::Cancelled: return QStringLiteral("キャンセルしました");
    }
    return QString();
}

QString folderReason(int error)
{
    return error == ENOTDIR ? QStringLiteral("%1 がﾌｫﾙﾀﾞではありません").arg(folderName) : writeReason(error);
}

QString ledgerNote(LedgerHealth health)
{
    switch (health) {
    case LedgerHealth::Fine: return QString();
    case LedgerHealth::Garbled:
        return QStringLiteral("%1 の縮小写真の記録（%2）が壊れていたため、読めませんでした。").arg(folderName, QLatin1String(ledgerFile));
    case LedgerHealth::TooLarge:
        return QStringLiteral("%1 の縮小写真の記録（%2）が %3 MiB を超えていたため、壊れているものとして扱いました。")
            .arg(folderName, QLatin1String(ledgerFile))
            .arg(maxLedgerBytes >> 20);
    }
    return QString();
}

QString report(const Result &result)
{
    if (result.folderError != 0)
        return QStringLiteral("Web 用の縮小写真を作れませんでした（%1）。\nページには元の写真をそのまま載せます。")
            .arg(reason(result.photos.front()));
    QString text;
    int failed = 0;
    bool foreign = false;
    for (const Photo &p : result.photos) {
        const QString why = reason(p);
        if (why.isEmpty())
            continue;
        foreign = foreign || p.outcome == Outcome::Foreign;
        if (++failed <= namedFailures)
            text += QStringLiteral("\n%1（%2）").arg(p.name, why);
    }
    QStringList parts;
    if (const QString note = ledgerNote(result.ledger); !note.isEmpty())
        parts.append(note);
    if (failed > 0) {
        if (failed > namedFailures)
            text += QStringLiteral("\nほか %1 枚").arg(failed - namedFailures);
        parts.append(QStringLiteral("次の写真は Web 用の縮小写真を作れませんでした（ページには元の写真をそのまま載せます）。")
                     + text);
    }
    // A list of copies that was lost or damaged makes our own copies look like the user's.
    if (foreign)
        parts.append(remakeHint);
    return parts.join(u'\n');
}

Store::Store(const QString &folder)
    : web_(fsname::encode(fsname::join(folder, folderName)))
{
    folderError_ = prepareFolder(web_);
    if (folderError_ == 0)
        ledger_ = std::make_unique<Ledger>(web_);
}

Store::~Store()
{
    if (ledger_)
        ledger_->tidy();
}

int Store::prepare(const QString &sub)
{
    if (folderError_ != 0)
        return folderError_;
    const QByteArray dir = join(web_, fsname::encode(sub));
    const int e = prepareFolder(dir);
    if (e == 0)
        removeLeftovers(dir);
    return e;
}

Outcome Store::put(const QString &name, const QByteArray &bytes, int *error)
{
    if (!ledger_) {
        *error = folderError_;
        return Outcome::NoFolder;
    }
    const QByteArray encoded = fsname::encode(name);
    const QByteArray target = join(web_, encoded);
    struct stat st;
    const bool present = lstat(target.constData(), &st) == 0;
    if (!present && errno != ENOENT) {
        *error = errno;
        return Outcome::Failed;
    }
    if (present) {
        const std::optional<Record> ours = S_ISREG(st.st_mode) ? ledger_->find(encoded, stampOf(st)) : std::nullopt;
        if (!ours)
            return Outcome::Foreign;
        // An unchanged page keeps its time, so an upload tool sends it no more.
        if (ours->content == contentHash(bytes))
            return Outcome::UpToDate;
    }
    // The temporary is made beside the page, so that it takes its name in one step.
    const QByteArray dir = target.left(target.lastIndexOf('/'));
    QByteArray temporary;
    Record record{{}, {}, 0, contentHash(bytes)};
    if (!writeTemporary(dir, bytes, &temporary, &record.copy, error))
        return Outcome::Failed;
    if (!ledger_->add(encoded, record, error)) {
        unlink(temporary.constData());
        return Outcome::Failed;
    }
    return place(temporary, target, present, error);
}

void Store::prune(const QString &sub, const QSet<QString> &keep)
{
    if (!ledger_)
        return;
    const QByteArray dir = join(web_, fsname::encode(sub));
    DIR *d = opendir(dir.constData());
    if (!d)
        return;
    while (dirent *e = readdir(d)) {
        const QByteArray file(e->d_name);
        const QByteArray name = fsname::encode(sub) + '/' + file;
        struct stat st;
        if (file.startsWith('.') || keep.contains(fsname::decode(name))
            || fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (ledger_->find(name, stampOf(st)))
            unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

} // namespace webcopy
