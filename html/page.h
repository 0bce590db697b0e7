// One album page: its bytes, its file name and its writing to disk.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace page {

inline const QString defaultTitle = QStringLiteral("写　真　Ｈ　Ｐ");
inline const QString defaultWidth = QStringLiteral("480");

// The page options as the main window holds them.
struct Options
{
    QString title;           // Text6, untrimmed
    QString backLink;        // Text9
    int background = 1;      // 1..9 for Option1..Option9, 0 when none is on
    QString backgroundImage; // Text5
    int border = 0;          // Check1's value, written as it is
    bool fixedWidth = false; // Check2 ticked
    QString width;           // Text3
    int albumCount = 0;      // photos of the whole album, not of this page
    QString label;           // appended to the title, "(1/3)" on a split album
    // Photos shown by their web-size copy, linked to the photo itself.
    QSet<QString> webCopies;
};

struct Page
{
    QByteArray bytes; // CP932, every line followed by CR LF
    QString title; // the title, after a blank one got its default
    QString width; // the width, after an empty one got its default
};

// The page of the given photo entries ("name" or "name,caption").
Page compose(const Options &options, const QStringList &entries);

// The file name for page `number` from the typed name: trimmed, with the
// number in front of the first "." (or at the end when there is none).
// Empty when nothing but spaces was typed.
QString fileName(const QString &typed, int number);

// The img src address of a photo in the page's folder, in the page's bytes.
QByteArray imageAddress(QStringView photo);
// The same address, appended to out.
void appendAddress(QByteArray &out, QStringView photo);

// The names among names that are file names of the album's photos (a page
// file name typed as "a.jpg", say): a page must never be written over one of
// the album's own photos. One pass over the album for every page of a run.
QSet<QString> photoNamesAmong(const QStringList &names, const QStringList &albumEntries);

// Why a page of that name was not written over the photo.
QString photoClash(const QString &name);

// True when name names a file of the folder itself, not one in a sub-folder.
bool isFileName(const QString &name);

// Writes the page's bytes into folder atomically. Returns an
// empty text, or a Japanese reason why the page could not be written, in
// which case any old file of that name is left as it was.
QString save(const QString &folder, const QString &name, const QByteArray &bytes);

// The message that ends a run in which some pages could not be written.
QString failureReport(const QStringList &failedPages, const QString &firstReason);

} // namespace page
