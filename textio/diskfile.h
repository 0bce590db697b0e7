// Writing a file so that a failure never leaves a part of one in its place,
// and telling the user why a file operation failed. Pages, project files,
// the safety copy and the copies into tmp are written through here, and
// every failed file operation is told in the same words.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace diskfile {

// Why a file operation failed (an errno value), in the program's words: one
// text for each cause the user can do something about, the system's own
// text only for the rest.
QString reason(int error);

// Why a file or folder could not be created: ENOENT can only mean that the
// folder to hold it is gone, which is ENOTDIR to the user.
int creationError(int error);

// A name for a file on its way to another name, new on every call. It is
// visible, so that a file a crash leaves under it still shows in the file
// pane.
QString temporaryName();

// Gives use fresh temporary names until it returns anything but EEXIST (its
// sign that the name is taken); returns what use returned last.
int withTemporaryName(const std::function<int(const QString &name)> &use);

// Writes all of data to fd; 0 or an errno value.
int writeAll(int fd, const char *data, size_t size);

// Reads fd to its end, or up to maxBytes; *error gets 0 or an errno value.
QByteArray readAll(int fd, qint64 maxBytes, int *error);

// Puts a new file in the place of target (a path as the disk spells it),
// written by fill into the descriptor it is given (fill returns 0 or an
// errno value). The new file takes the place only once it is complete and
// on disk; an existing file keeps its permissions, and one the user may not
// write is refused. A symbolic link is replaced, never written through.
// Returns 0, or an errno value with the target as it was and no temporary
// file left behind; a folder that is gone gives ENOTDIR.
int replace(const QByteArray &target, const std::function<int(int fd)> &fill);

} // namespace diskfile
