// One run at a time writes into an album's web folder: the copies, their
// list and whatever a page style puts there. Runs on one folder (two
// windows, a window and kamerio make, pages and their upload) take turns by
// an advisory lock (flock) on a hidden file in web, which the system lets
// go of when the process ends, however it ends.
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace webcopy {

// What the progress window says while another run holds the folder, and the
// line kamerio make prints then.
inline const QString waitingLabel = QStringLiteral("別の作成がこのアルバムに書き込んでいます。終わるのを待っています…");
inline const QString waitingLine = QStringLiteral("別の作成が終わるのを待っています…");

class RunLock
{
public:
    // Takes the lock of folder (the album's folder, as the disk spells it),
    // making its web folder when missing. While another run holds it, waits,
    // calling waiting once, and looks at cancel every tenth of a second.
    // Nothing after a cancel, or when the lock cannot be made: then *reason
    // says why, in a few words.
    static std::unique_ptr<RunLock> acquire(const QByteArray &folder, const std::function<void()> &waiting,
                                            const std::atomic_bool *cancel, QString *reason);
    // The same, with the errno value of a lock that cannot be made (0 after a cancel).
    static std::unique_ptr<RunLock> acquire(const QByteArray &folder, const std::function<void()> &waiting,
                                            const std::atomic_bool *cancel, int *error);
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

private:
    explicit RunLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace webcopy
