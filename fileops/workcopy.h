// Copying the photos of the photo list into the work folder "tmp".
#pragma once

#include "fileops/progress.h"
#include "fileops/safefile.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

namespace workcopy {

inline const QString folderName = QStringLiteral("tmp");

struct Result
{
    // 0 when the work folder is there to copy into, else why it is not.
    int folderError = 0;
    int copied = 0;
    std::vector<safefile::Failure> failed;
    // Entries not begun because the copy was cancelled.
    int untried = 0;
};

// Creates dir/tmp when missing and copies the file named by each entry's
// file name part into it, replacing an older copy. A name that is not a bare
// file name of dir is refused, so nothing outside tmp is ever written.
// progress(done, total) follows each entry; cancel is read before each, so a
// copy is never left half-made.
Result copyListed(const QString &dir, const QStringList &entries, const fileops::Progress &progress = {},
    const std::atomic_bool *cancel = nullptr);

// What the user is told after a copy; empty when every entry was copied.
QString report(const Result &result);

} // namespace workcopy
