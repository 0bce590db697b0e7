#include "album/arranging.h"

#include "album/photoentry.h"
#include "fileops/fsname.h"

#include <QDateTime>

#include <exiv2/exiv2.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <numeric>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace arranging {

namespace {

std::mutex xmpMutex;

void lockXmp(void *mutex, bool lock)
{
    auto *m = static_cast<std::mutex *>(mutex);
    if (lock)
        m->lock();
    else
        m->unlock();
}

// exiv2's XMP toolkit must be set up once, with a lock, before photos are
// read on several threads. Its warnings about odd files would only clutter
// the terminal: such a photo simply falls back to its file time.
void setUpExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmp, &xmpMutex);
    });
}

// The number written with count digits at the place at, or -1.
int number(const std::string &s, size_t at, size_t count)
{
    if (at + count > s.size())
        return -1;
    int n = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        n = n * 10 + (s[i] - '0');
    }
    return n;
}

// "2023:05:01 10:00:00" as a wall-clock time. Some cameras write other
// separators, so only the digits are checked.
QDateTime wallTime(const std::string &s)
{
    const int f[] = {number(s, 0, 4), number(s, 5, 2), number(s, 8, 2),
                     number(s, 11, 2), number(s, 14, 2), number(s, 17, 2)};
    if (std::any_of(std::begin(f), std::end(f), [](int n) { return n < 0; }))
        return {};
    const QDate date(f[0], f[1], f[2]);
    const QTime time(f[3], f[4], f[5]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

// "+09:00" as seconds ahead of UTC.
std::optional<int> offset(const std::string &s)
{
    const int hours = number(s, 1, 2);
    const int minutes = number(s, 4, 2);
    if (s.empty() || (s[0] != '+' && s[0] != '-') || hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
        return std::nullopt;
    const int seconds = (hours * 60 + minutes) * 60;
    return s[0] == '-' ? -seconds : seconds;
}

std::string tag(const Exiv2::ExifData &exif, const char *key)
{
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? std::string() : found->toString();
}

std::optional<qint64> exifTime(const QByteArray &path)
{
    setUpExiv2();
    try {
        const auto image = Exiv2::ImageFactory::open(path.toStdString());
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        const QDateTime wall = wallTime(tag(exif, "Exif.Photo.DateTimeOriginal"));
        if (!wall.isValid())
            return std::nullopt;
        // With its offset the time is an instant, comparable with a photo
        // from another time zone; without, it is what the camera's clock
        // showed, which is best read as this machine's clock.
        if (const auto ahead = offset(tag(exif, "Exif.Photo.OffsetTimeOriginal")))
            return wall.toMSecsSinceEpoch() - qint64(*ahead) * 1000;
        return QDateTime(wall.date(), wall.time()).toMSecsSinceEpoch();
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace

std::optional<qint64> shotTime(const QString &folder, const QString &name)
{
    const QByteArray path = fsname::encode(fsname::join(folder, name));
    // Non-blocking, so that a pipe with a photo's name cannot hang us.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular)
        return std::nullopt;
    if (const auto taken = exifTime(path))
        return taken;
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

Order sortByShotDate(const QStringList &entries, const QString &folder)
{
    const qsizetype n = entries.size();
    std::vector<std::optional<qint64>> times(static_cast<size_t>(n));
    // Reading a photo is mostly waiting for system calls and parsing a few
    // kilobytes, so the cores share the list.
    std::atomic<qsizetype> next = 0;
    const auto read = [&] {
        for (qsizetype i; (i = next++) < n;)
            times[size_t(i)] = shotTime(folder, photoentry::fileName(entries[i]));
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::jthread> helpers(std::min(cores, size_t(n / 16 + 1)) - 1);
    try {
        for (std::jthread &h : helpers)
            h = std::jthread(read);
    } catch (const std::system_error &) {
        // No thread to spare: the ones started and this one read them all.
    }
    read();
    helpers.clear();

    Order order(n);
    std::iota(order.begin(), order.end(), 0);
    // A photo without a time is one that is missing or cannot be read: it
    // has no place in the story, so it goes after the dated ones, where the
    // user sees it together with the others like it instead of at a random
    // point between two moments.
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const auto &ta = times[size_t(a)];
        const auto &tb = times[size_t(b)];
        return ta && (!tb || *ta < *tb);
    });
    return order;
}

Order sortByName(const QStringList &entries)
{
    QStringList names;
    names.reserve(entries.size());
    for (const QString &entry : entries)
        names.append(photoentry::fileName(entry));
    return fsname::naturalOrder(names);
}

QStringList reordered(const QStringList &entries, const Order &order)
{
    QStringList out;
    out.reserve(order.size());
    for (qsizetype i : order)
        out.append(entries[i]);
    return out;
}

} // namespace arranging
