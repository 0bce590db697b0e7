// The project file: an album's page options and photo list as CP932 lines.
// Line 1 is "kamerio,<folder>,<border>,<back-link>,<title>,<width flag>",
// line 2 "opt1".."opt9", line 3 the background image, line 4 the page file
// name, then one photo entry per line.
#pragma once

#include "album/album.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace projectfile {

inline const QString magic = QStringLiteral("kamerio");

// A file larger than this is read only up to its last line break before it.
inline constexpr qint64 maxBytes = qint64(64) << 20;

// The lines of the file. Blank entries (spaces only; a full-width space is
// a character like any other) are left out. Characters with no CP932 form
// in a caption or the title become numeric character references, which the
// page shows as the same characters; in every other field they stay, and
// encoding the lines reports them.
QStringList write(const QString &folder, const album::Album &album);

// The photos whose file names the file cannot hold as they are: a character
// of the name has no CP932 form, or comes back as its full-width twin. After
// loading, their entries name files that are not there. In list order, each
// name once.
QStringList unholdableNames(const album::Album &album);

// What reading found. A value the file does not reach stays empty, and the
// window leaves its control as it was.
struct Loaded
{
    bool magicMatched = false;
    std::optional<QString> folder;
    // The flag character's digit, 0 for any other character; the check box
    // takes 0, 1 and 2 and refuses the rest.
    std::optional<int> border;
    std::optional<QString> backLink;
    std::optional<QString> title;
    // The leading decimal digits of what follows the title, 0 when there are
    // none; values past 16 bits are held as -1, which the check box refuses.
    std::optional<int> widthFlag;
    std::optional<int> option;
    std::optional<QString> background;
    std::optional<QString> pageName;
    QStringList entries;
    // The photo list was full: later entries were not taken.
    bool tooManyEntries = false;
    // The file was larger than maxBytes: its end was not read.
    bool tooLarge = false;

    bool madeIn(const QString &currentFolder) const { return folder && *folder == currentFolder; }
};

Loaded read(const QStringList &lines);

inline const QString notProject = QStringLiteral("kamerio のファイルではありません。");
inline const QString loadedNotice = QStringLiteral("読込み完了");
inline const QString otherFolder = QStringLiteral("作成時のディレクトリと違います。\n作業は、続行します。");

// What the user is told about a file read only in part.
QStringList notices(const Loaded &loaded);

// Puts what was read into album; a value the file did not reach, or one a
// check box would refuse, leaves the album's own. The photo list is replaced.
void apply(const Loaded &loaded, album::Album &album);

// Reads the bytes of a file, of which at most maxBytes + 1 need be given:
// more than maxBytes means the file goes on beyond them. The file may come
// from an editor: UTF-8 is read as textfile::decode tells it from CP932, and
// a line may end at LF as well as at CR LF or CR.
Loaded parse(QByteArrayView bytes);

// The project file at path, read and parsed; a file that cannot be read
// reads as no project, and *error says why (as textfile::load does).
Loaded load(const QString &path, int *error = nullptr);

// The name the save dialog proposes for a page file name: up to and
// including its first "." followed by "txt", or the name unchanged.
QString proposedName(const QString &pageName);

// Page file names shorter than this are not accepted for a save.
inline constexpr int minPageName = 5;

} // namespace projectfile
