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

bool hasCaptions(const QStringList &entries)
{
    for (const QString &entry : entries)
        if (photoentry::hasCaption(entry) && !photoentry::isBlank(photoentry::caption(entry)))
            return true;
    return false;
}

// One write at a time, on a thread of its own; the bytes last written are
// kept so that an unchanged album is not written again.
struct Keeper::Writer
{
    std::thread thread;
    std::mutex mutex;
    QByteArray written;
    bool withCaptions = false;

    Writer()
    {
        const std::optional<QByteArray> bytes = textfile::load(path(), projectfile::maxBytes + 1);
        if (!bytes)
            return;
        const projectfile::Loaded f = projectfile::parse(*bytes);
        withCaptions = f.magicMatched && hasCaptions(f.entries);
    }

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
        const bool captions = hasCaptions(state.album.entries);
        if (withCaptions && !captions)
            return false;
        const QByteArray bytes = cp932::encodeLines(projectfile::write(state.folder, state.album),
                                                    cp932::Unmappable::Report);
        if (bytes == written)
            return false;
        const QString file = path();
        if (!QDir().mkpath(QFileInfo(file).path()) || !textfile::save(file, bytes))
            return false;
        written = bytes;
        withCaptions = captions;
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
