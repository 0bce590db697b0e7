#include "web/runlock.h"

#include "fileops/fsname.h"
#include "web/ledger.h"
#include "web/webcopy.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace webcopy {

namespace {

const QByteArray lockName = QByteArray(reservedPrefix) + "-lock";

// The lock file, made when missing. A web folder the user may only read
// still locks: flock needs no write access.
int openLockFile(const QByteArray &web, int *error)
{
    if ((*error = prepareFolder(web)) != 0)
        return -1;
    const QByteArray path = join(web, lockName);
    int fd = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    const int refused = errno;
    if (fd < 0 && (refused == EACCES || refused == EROFS))
        fd = open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        *error = refused == ELOOP ? EEXIST : refused;
    return fd;
}

} // namespace

std::unique_ptr<RunLock> RunLock::acquire(const QByteArray &folder, const std::function<void()> &waiting,
                                          const std::atomic_bool *cancel, int *error)
{
    *error = 0;
    const int fd = openLockFile(join(folder, fsname::encode(folderName)), error);
    if (fd < 0)
        return nullptr;
    bool told = false;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            *error = errno;
            close(fd);
            return nullptr;
        }
        if (!told && waiting)
            waiting();
        told = true;
        if (cancel && cancel->load()) {
            close(fd);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::unique_ptr<RunLock>(new RunLock(fd));
}

std::unique_ptr<RunLock> RunLock::acquire(const QByteArray &folder, const std::function<void()> &waiting,
                                          const std::atomic_bool *cancel, QString *reason)
{
    int error = 0;
    std::unique_ptr<RunLock> lock = acquire(folder, waiting, cancel, &error);
    if (!lock && error != 0 && reason)
        *reason = folderReason(error);
    return lock;
}

RunLock::~RunLock()
{
    // Closing the last descriptor lets go of the lock.
    close(fd_);
}

} // namespace webcopy
