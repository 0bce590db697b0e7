// Copying the photos of the photo list into the work folder "tmp".
#pragma once

#include "fileops/safefile.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace workcopy {

inline const QString folderName = QStringLiteral("tmp");

struct Result
{
    // 0 when the work folder is there to copy into, else why it is not.
    int folderError = 0;
    int copied = 0;
    std::vector<safefile::Failure> failed;
};

// Creates dir/tmp when missing and copies the file named by each entry's
// file name part into it, replacing an older copy. A name that is not a bare
// file name of dir is refused, so nothing outside tmp is ever written.
Result copyListed(const QString &dir, const QStringList &entries);

} // namespace workcopy
