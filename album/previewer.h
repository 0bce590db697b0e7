// The preview decoded off the event loop: a 24-megapixel photo takes long
// enough to decode that typing would stall, so pictures are decoded by
// worker threads and kept for a while, the next photo of the list ahead of
// time.
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace preview {

// One picture as it is on disk now: a photo written over, even with the
// same size and time, gets a new change time and so a new key.
struct Key
{
    QString path;
    QSize box;
    qint64 size = 0;
    qint64 modified = 0;
    qint64 changed = 0;

    bool operator==(const Key &) const = default;
};

// The key of the file at path shown in box; none when it is no regular file
// that Qt can reach, so it has no picture to decode.
std::optional<Key> keyOf(const QString &path, QSize box);

// The last few pictures, the least recently used leaving first. A null
// picture is kept too: a file that cannot be read is not read again.
class Cache
{
public:
    explicit Cache(qsizetype capacity) : capacity_(capacity) {}
    std::optional<QImage> find(const Key &key);
    // An older picture of the same file at the same box goes: it can never
    // be asked for again.
    void put(const Key &key, const QImage &picture);

private:
    qsizetype capacity_;
    QList<std::pair<Key, QImage>> recent_; // most recent last
};

} // namespace preview

class Previewer : public QObject
{
    Q_OBJECT
public:
    explicit Previewer(QObject *parent = nullptr);
    ~Previewer() override;

    // The picture of path at box when it is known now (null when the file
    // cannot be read). Otherwise nothing, and ready follows when the decode
    // ends, unless another request came in the meantime: the newest wins.
    std::optional<QImage> request(const QString &path, QSize box);
    // Decodes path ahead of a request to come; replaces the last prefetch.
    void prefetch(const QString &path, QSize box);
    // Forgets what was asked for: no picture shows late.
    void forget();
    // Whether a decode is still waiting, running or on its way back.
    bool busy();

signals:
    void ready(const QImage &picture);

private:
    // Drops what is no longer wanted from the workers' queue and adds key
    // unless it is on its way already.
    void queue(const std::optional<preview::Key> &key);
    // Runs on a worker: decodes the most wanted key still waiting.
    void decodeNext();
    void decoded(const preview::Key &key, const QImage &picture);

    preview::Cache cache_{6};
    std::optional<preview::Key> wanted_, next_;
    // What the workers have still to decode and are decoding.
    std::mutex mutex_;
    std::deque<preview::Key> waiting_;
    QList<preview::Key> decoding_;
    QThreadPool pool_;
};
