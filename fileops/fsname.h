// File names as the disk holds them. A name that is not valid UTF-8 is shown
// with each stray byte as a lone surrogate (U+DC80..U+DCFF), which no valid
// name can contain, and turned back into exactly those bytes here, so no
// operation ever lands on a different file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fsname {

QString decode(QByteArrayView raw);
QByteArray encode(const QString &name);

// True when the name came from valid UTF-8, so Qt's own file classes reach it.
bool isPlain(const QString &name);

// True when path leads to a regular file (through symbolic links).
bool isRegularFile(const QString &path);

// Regular files of a folder (names starting with "." are hidden), in the
// order the file pane shows them: natural, case-insensitive.
QStringList listFiles(const QString &dir);

// Sub-folders of a folder, hidden ones left out, in the same order.
QStringList listDirs(const QString &dir);

// Sorts names naturally (IMG_2 before IMG_10) and case-insensitively.
void sortNatural(QStringList &names);

// The same order as indexes into names, the index of the first name first;
// equal names keep their order.
QList<qsizetype> naturalOrder(const QStringList &names);

// dir + "/" + name, with exactly one separator.
QString join(const QString &dir, const QString &name);

// The current directory as the process sees it, and a change of it that
// reaches folders whose names are not valid UTF-8.
QString currentDir();
bool setCurrentDir(const QString &path);

} // namespace fsname
