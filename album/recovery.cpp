#include "album/recovery.h"

#include "project/projectfile.h"
#include "textio/textfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRandomGenerator>

#include <algorithm>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace recovery {

namespace {

QString stateFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative value is to be ignored, as for every XDG folder.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/kamerio");
}

const QString suffix = QStringLiteral(".txt");

QString pathOf(const QString &id)
{
    return folder() + u'/' + id + suffix;
}

// Every process's reading, merging and writing of kept albums, one at a
// time. The kernel lets go of it when a process dies.
class StoreLock
{
public:
    StoreLock()
    {
        QDir().mkpath(folder());
        fd_ = ::open(QFile::encodeName(folder() + QStringLiteral("/.lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                     0600);
        // Without a lock (a folder that cannot be written) nothing is
        // written either.
        if (fd_ >= 0)
            flock(fd_, LOCK_EX);
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    StoreLock(const StoreLock &) = delete;
    StoreLock &operator=(const StoreLock &) = delete;

private:
    int fd_ = -1;
};

QString newId()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")) + u'-'
           + QString::number(getpid()) + u'-'
           + QString::number(QRandomGenerator::global()->bounded(0x100000), 16);
}

// The top of a kept album's file, read no further than its first entry.
std::optional<keptalbum::Head> headOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes;
    while (!f.atEnd() && !bytes.contains("\nentry ")) {
        const QByteArray more = f.read(1 << 16);
        if (more.isEmpty())
            break;
        bytes += more;
    }
    return keptalbum::readHead(bytes);
}

QList<Listed> listed()
{
    QList<Listed> out;
    const QDir dir(folder());
    for (const QString &name : dir.entryList({QLatin1Char('*') + suffix}, QDir::Files)) {
        if (const auto head = headOf(dir.filePath(name)))
            out.append({name.chopped(suffix.size()), *head});
    }
    std::sort(out.begin(), out.end(), [](const Listed &a, const Listed &b) {
        return a.head.changed != b.head.changed ? a.head.changed > b.head.changed : a.id > b.id;
    });
    return out;
}

// Takes the one safety copy of an earlier version over as a kept album,
// under a name of its own time, so that a second try after a crash on the
// way writes the same album again rather than a second one. What is not an
// album with photos is left where it is.
void adoptLegacy()
{
    const QString old = legacyPath();
    if (!QFileInfo(old).isFile())
        return;
    const StoreLock lock;
    const QFileInfo info(old);
    if (!info.isFile())
        return;
    const projectfile::Loaded f = projectfile::load(old);
    if (!f.magicMatched || f.entries.isEmpty())
        return;
    keptalbum::Kept k;
    projectfile::apply(f, k.album);
    k.folder = f.folder.value_or(QString());
    k.changed = info.lastModified().toMSecsSinceEpoch();
    k.times = QList<qint64>(k.album.entries.size(), k.changed);
    if (textfile::save(pathOf(QStringLiteral("legacy-%1").arg(k.changed)), keptalbum::write(k)))
        QFile::remove(old);
}

// Removes the albums beyond the newest keptAlbums, and beyond the newest
// keptAlbums with captions for those with captions; never keep's own. The
// store is locked.
void prune(const QString &keep)
{
    int captioned = 0;
    const QList<Listed> all = listed();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Listed &a = all[i];
        const bool hasCaptions = a.head.captions > 0;
        const bool stays = a.id == keep || i < keptAlbums || (hasCaptions && captioned < keptAlbums);
        captioned += hasCaptions;
        if (!stays)
            QFile::remove(pathOf(a.id));
    }
}

} // namespace

QString folder()
{
    return stateFolder() + QStringLiteral("/albums");
}

QString legacyPath()
{
    return stateFolder() + QStringLiteral("/recovery.txt");
}

QList<Listed> list()
{
    adoptLegacy();
    return listed();
}

std::optional<keptalbum::Kept> load(const QString &id)
{
    const std::optional<QByteArray> bytes = textfile::load(pathOf(id));
    return bytes ? keptalbum::read(*bytes) : std::nullopt;
}

// One write at a time, on a thread of its own, of the album the window is on.
struct Keeper::Writer
{
    std::thread thread;
    std::mutex mutex;
    // Given by the first write, so that a list that never gets a photo is no album.
    QString id;
    // The window's album as last kept, with the time each entry last changed
    // in this window.
    std::optional<keptalbum::Kept> own;
    // A restored album shown in another folder (landed) than its own (origin)
    // stays the album of its own folder.
    QString landed, origin;

    void join()
    {
        if (thread.joinable())
            thread.join();
    }

    bool busy()
    {
        const std::unique_lock lock(mutex, std::try_to_lock);
        return !lock.owns_lock();
    }

    // Returns whether the kept album was written.
    bool write(const State &state, qint64 now)
    {
        const std::lock_guard guard(mutex);
        const QStringList &entries = state.album.entries;
        if (entries.isEmpty())
            return false;
        keptalbum::Kept mine{state.folder == landed ? origin : state.folder, state.album, {}, now};
        mine.times = own ? keptalbum::timesAfter(entries, *own, now) : QList<qint64>(entries.size(), now);
        if (own && mine.sameContent(*own))
            return false;
        if (id.isEmpty())
            id = newId();
        const StoreLock lock;
        const QString file = pathOf(id);
        const std::optional<QByteArray> onDisk = textfile::load(file);
        const std::optional<keptalbum::Kept> disk = onDisk ? keptalbum::read(*onDisk) : std::nullopt;
        keptalbum::Kept out = disk ? keptalbum::merged(mine, *disk) : mine;
        if (disk && (out.sameContent(*disk)
                     || (keptalbum::captionCount(out.album.entries) == 0
                         && keptalbum::captionCount(disk->album.entries) > 0))) {
            own = mine;
            return false;
        }
        out.changed = now;
        if (!textfile::save(file, keptalbum::write(out)))
            return false;
        own = mine;
        if (!onDisk)
            prune(id);
        return true;
    }
};

Keeper::Keeper(Source source, int delayMs, QObject *parent)
    : QObject(parent), source_(std::move(source)), writer_(std::make_unique<Writer>())
{
    timer_.setSingleShot(true);
    timer_.setInterval(delayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { save(false); });
}

Keeper::~Keeper()
{
    writer_->join();
}

void Keeper::changed()
{
    // Not restarted by later changes: typing without a pause is saved too.
    if (!held_ && !timer_.isActive())
        timer_.start();
}

void Keeper::flush()
{
    if (held_ || !timer_.isActive()) {
        // Nothing changed since the last write: wait for that one to end.
        writer_->join();
        return;
    }
    timer_.stop();
    save(true);
}

void Keeper::startAlbum()
{
    if (held_)
        return;
    writer_->join();
    const std::lock_guard guard(writer_->mutex);
    writer_->id.clear();
    writer_->own.reset();
    writer_->landed.clear();
    writer_->origin.clear();
}

void Keeper::hold()
{
    flush();
    held_ = true;
}

void Keeper::continueAlbum(const QString &id, const keptalbum::Kept &kept)
{
    writer_->join();
    const State shown = source_();
    const std::lock_guard guard(writer_->mutex);
    writer_->id = id;
    writer_->landed = shown.folder;
    writer_->origin = kept.folder;
    keptalbum::Kept own{kept.folder, shown.album, {}, kept.changed};
    own.times = keptalbum::timesAfter(shown.album.entries, kept, QDateTime::currentMSecsSinceEpoch());
    writer_->own = own;
    held_ = false;
}

bool Keeper::exists() const
{
    return !list().isEmpty();
}

void Keeper::save(bool wait)
{
    if (!wait && writer_->busy()) {
        timer_.start();
        return;
    }
    writer_->join();
    const State state = source_();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (wait) {
        if (writer_->write(state, now))
            emit saved();
        return;
    }
    writer_->thread = std::thread([this, state, now] {
        if (writer_->write(state, now))
            QMetaObject::invokeMethod(this, &Keeper::saved, Qt::QueuedConnection);
    });
}

} // namespace recovery
