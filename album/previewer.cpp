#include "album/previewer.h"

#include "album/preview.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

namespace preview {

std::optional<Key> keyOf(const QString &path, QSize box)
{
    if (!reachable(path))
        return std::nullopt;
    const QFileInfo info(path);
    return Key{path, box, info.size(), info.lastModified().toMSecsSinceEpoch(),
               info.metadataChangeTime().toMSecsSinceEpoch()};
}

std::optional<QImage> Cache::find(const Key &key)
{
    const auto at = std::find_if(recent_.begin(), recent_.end(), [&](const auto &e) { return e.first == key; });
    if (at == recent_.end())
        return std::nullopt;
    const qsizetype i = at - recent_.begin();
    recent_.move(i, recent_.size() - 1);
    return recent_.last().second;
}

void Cache::put(const Key &key, const QImage &picture)
{
    recent_.removeIf([&](const auto &e) { return e.first.path == key.path && e.first.box == key.box; });
    recent_.append({key, picture});
    while (recent_.size() > capacity_)
        recent_.removeFirst();
}

} // namespace preview

Previewer::Previewer(QObject *parent) : QObject(parent)
{
    // The photo shown and the next one decode side by side.
    pool_.setMaxThreadCount(2);
}

Previewer::~Previewer()
{
    {
        const std::lock_guard lock(mutex_);
        waiting_.clear();
    }
    // A worker still decoding posts its picture to this object: it must end first.
    pool_.waitForDone();
}

std::optional<QImage> Previewer::request(const QString &path, QSize box)
{
    wanted_.reset();
    const auto key = preview::keyOf(path, box);
    std::optional<QImage> known = key ? cache_.find(*key) : std::optional(QImage());
    if (!known)
        wanted_ = key;
    queue(wanted_);
    return known;
}

void Previewer::prefetch(const QString &path, QSize box)
{
    next_ = preview::keyOf(path, box);
    queue(next_ && !cache_.find(*next_) ? next_ : std::nullopt);
}

void Previewer::forget()
{
    wanted_.reset();
    next_.reset();
    queue(std::nullopt);
}

bool Previewer::busy()
{
    const std::lock_guard lock(mutex_);
    return !waiting_.empty() || !decoding_.empty();
}

void Previewer::queue(const std::optional<preview::Key> &key)
{
    const std::lock_guard lock(mutex_);
    // What is neither shown nor next any more is dropped before a worker gets
    // to it; the picture to show goes first.
    std::erase_if(waiting_, [&](const preview::Key &k) { return k != wanted_ && k != next_; });
    if (key && !decoding_.contains(*key) && std::find(waiting_.begin(), waiting_.end(), *key) == waiting_.end()) {
        waiting_.push_back(*key);
        pool_.start([this] { decodeNext(); });
    }
    std::stable_partition(waiting_.begin(), waiting_.end(), [&](const preview::Key &k) { return k == wanted_; });
}

void Previewer::decodeNext()
{
    preview::Key key;
    {
        const std::lock_guard lock(mutex_);
        // Each queued key started a worker; one whose key was dropped finds
        // nothing left to do.
        if (waiting_.empty())
            return;
        key = waiting_.front();
        waiting_.pop_front();
        decoding_.append(key);
    }
    const QImage picture = preview::load(key.path, key.box);
    QMetaObject::invokeMethod(this, [this, key, picture] { decoded(key, picture); }, Qt::QueuedConnection);
}

void Previewer::decoded(const preview::Key &key, const QImage &picture)
{
    {
        const std::lock_guard lock(mutex_);
        decoding_.removeOne(key);
    }
    cache_.put(key, picture);
    if (wanted_ == key) {
        wanted_.reset();
        emit ready(picture);
    }
}
