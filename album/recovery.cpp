#include "album/recovery.h"

#include "album/photoentry.h"
#include "project/projectfile.h"
#include "textio/cp932.h"
#include "textio/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

#include <mutex>
#include <thread>

namespace recovery {

QString path()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative value is to be ignored, as for every XDG folder.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/kamerio/recovery.txt");
}

namespace {

bool hasCaptions(const QStringList &entries)
{
    for (const QString &entry : entries)
        if (photoentry::hasCaption(entry) && !photoentry::isBlank(photoentry::caption(entry)))
            return true;
    return false;
}

// How much a state holds that could not be typed again in a moment: an
// album never gives way to one that holds less.
enum class Worth { Nothing, Photos, Captions };

Worth worthOf(const QStringList &entries)
{
    return hasCaptions(entries) ? Worth::Captions : entries.isEmpty() ? Worth::Nothing : Worth::Photos;
}

// What the copy on disk holds, read once, on the writer's thread.
Worth worthOnDisk()
{
    const projectfile::Loaded f = projectfile::load(path());
    return f.magicMatched ? worthOf(f.entries) : Worth::Nothing;
}

} // namespace

// One write at a time, on a thread of its own; the bytes last written are
// kept so that an unchanged album is not written again.
struct Keeper::Writer
{
    std::thread thread;
    std::mutex mutex;
    QByteArray written;
    std::optional<Worth> onDisk;

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

    // Returns whether a copy was written.
    bool write(const State &state)
    {
        const std::lock_guard lock(mutex);
        const Worth worth = worthOf(state.album.entries);
        if (!onDisk)
            onDisk = worthOnDisk();
        if (worth == Worth::Nothing || worth < *onDisk)
            return false;
        const QByteArray bytes = cp932::encodeLines(projectfile::write(state.folder, state.album),
                                                    cp932::Unmappable::Report);
        if (bytes == written)
            return false;
        const QString file = path();
        if (!QDir().mkpath(QFileInfo(file).path()) || !textfile::save(file, bytes))
            return false;
        written = bytes;
        onDisk = worth;
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
    if (!timer_.isActive())
        timer_.start();
}

void Keeper::flush()
{
    if (!timer_.isActive()) {
        // Nothing changed since the last write: wait for that one to end.
        writer_->join();
        return;
    }
    timer_.stop();
    save(true);
}

bool Keeper::exists() const
{
    return QFileInfo(path()).isFile();
}

void Keeper::save(bool wait)
{
    if (!wait && writer_->busy()) {
        timer_.start();
        return;
    }
    writer_->join();
    const State state = source_();
    if (wait) {
        if (writer_->write(state))
            emit saved();
        return;
    }
    writer_->thread = std::thread([this, state] {
        if (writer_->write(state))
            QMetaObject::invokeMethod(this, &Keeper::saved, Qt::QueuedConnection);
    });
}

} // namespace recovery
