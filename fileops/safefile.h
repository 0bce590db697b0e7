// File operations that never destroy a file: a rename that refuses to
// replace anything, and a copy that replaces its target only with a complete
// copy. Paths are names as fsname gives them, so names that are not valid
// UTF-8 reach exactly the right file.
#pragma once

#include <QSet>
#include <QString>

#include <vector>

namespace safefile {

// Every name in a folder, hidden ones and sub-folders included.
QSet<QString> entries(const QString &dir);

// Renames a file or folder, never replacing an existing one. A change of
// letter case alone also works where the file system ignores case. On
// failure nothing has changed and *error holds the errno value.
bool rename(const QString &from, const QString &to, int *error = nullptr);

// The rename used where the file system has no exclusive rename: a second
// link to the file, then the old one removed. Files only.
bool renameByLink(const QString &from, const QString &to, int *error = nullptr);

// The error copyReplacing gives when the target is the source itself.
inline constexpr int sameFileError = -1;

// Copies a regular file over to, keeping its times. The target is replaced
// only once the whole copy is on disk, never by a part of one, and never
// when it is the source itself.
bool copyReplacing(const QString &from, const QString &to, int *error = nullptr);

// A file an operation left as it was, and why (an errno value).
struct Failure
{
    QString name;
    int error;
};

// Why an operation failed, in the program's words: the reason every
// writer of the program gives, or that a copy would land on its source.
QString reason(int error);

// A message naming the files that failed, each with its reason; only the
// first few are named when there are many. Empty when nothing failed.
QString report(const QString &headline, const std::vector<Failure> &failures);

} // namespace safefile
