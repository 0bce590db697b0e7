// Web-size copies of an album's photos in the folder "web" beside its pages:
// small enough to download, upright, in sRGB, and carrying nothing of the
// photo's metadata (no place, no camera, no comment).
#pragma once

#include "fileops/progress.h"
#include "web/edges.h"
#include "web/ledger.h"

#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace webcopy {

inline const QString folderName = QStringLiteral("web");

enum class Outcome {
    Made,        // written by this run
    UpToDate,    // an earlier copy still fits the photo and the edge
    Missing,     // no such file beside the pages
    NotJpeg,     // by its content, whatever its name says
    Undecodable, // a JPEG that cannot be read
    Foreign,     // web holds a file of that name that Kamerio did not make, or that was changed since
    NoFolder,    // web is not a folder or cannot be made: Result::folderError says why
    Failed,      // the copy could not be written: Photo::error says why
    Cancelled,
};

struct Photo
{
    QString name;
    Outcome outcome = Outcome::Cancelled;
    int error = 0; // the errno value of a failed write
    QSize size{}; // the photo as shown, upright, when its header could be read
};

struct Result
{
    std::vector<Photo> photos; // each photo of the album once, in album order
    int written = 0;           // copies written by this run
    int folderError = 0;       // why web could not be used (ENOTDIR: it is not a folder), else 0
    LedgerHealth ledger = LedgerHealth::Fine; // the list of copies as the run found it

    // The photos that have a copy now, for the page's cells.
    QSet<QString> copied() const;
};

// The size of the copy of an upright picture of that size: the longer side
// brought down to edge, the aspect kept, never enlarged.
QSize fit(QSize size, int edge);

// JPEG quality of the copies: no visible loss at web sizes, a fraction of the bytes.
inline constexpr int quality = 85;

// One picture made from a photo: its name in web (a sub-folder of web at
// most), its longer side and its JPEG quality.
struct Target
{
    QString name;
    int edge = 0;
    int quality = webcopy::quality;
};

// The pictures a photo of that name and upright size gets.
using Plan = std::function<std::vector<Target>(const QString &photo, QSize upright)>;

// Brings folder/web up to date for the photos, given as bare file names in
// folder: each gets the pictures plan names, all made from one decoding.
// Pictures are made on every core (workers 0), or on that many threads.
// progress is called on the calling thread after each photo; cancel is read
// before each photo, and a photo not begun by then is left Cancelled. A file
// in web that Kamerio did not make is never replaced or removed, and no
// picture ever stands half-written under its own name. The caller holds the
// folder's RunLock.
Result update(const QString &folder, const QStringList &photoNames, const Plan &plan,
              const fileops::Progress &progress = {}, const std::atomic_bool *cancel = nullptr, int workers = 0);

// Today's copies: one picture a photo, of the longer side edge, under the
// photo's own name.
Result update(const QString &folder, const QStringList &photoNames, int edge, const fileops::Progress &progress = {},
              const std::atomic_bool *cancel = nullptr, int workers = 0);

class Ledger;

// Files of Kamerio's own in web other than pictures (pages), under the
// same rules: written whole or not at all, never over a file Kamerio did
// not make, and only the files it made are ever removed.
class Store
{
public:
    explicit Store(const QString &folder);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // Why web cannot be used (ENOTDIR: it is not a folder), else 0.
    int folderError() const { return folderError_; }
    // Makes the sub-folder sub of web; 0, or why it cannot be used.
    int prepare(const QString &sub);
    // Puts bytes under name (relative to web). Made, UpToDate when the file
    // already holds them, Foreign or Failed with *error.
    Outcome put(const QString &name, const QByteArray &bytes, int *error);
    // Removes the files Kamerio made in the sub-folder sub that keep lacks.
    void prune(const QString &sub, const QSet<QString> &keep);

private:
    QByteArray web_;
    int folderError_ = 0;
    std::unique_ptr<Ledger> ledger_;
};

// A run that could not use web at all (error as Result::folderError).
Result unmade(const QStringList &photoNames, int error);

// A file in web named as a photo's copy would be, that the list of copies
// does not know (a list lost or damaged, or the user's own file), as it
// stood when it was found.
struct Disowned
{
    QString name;
    Stamp stamp;
};

// The disowned files of the photos of folder that are there, in the order
// of photoNames; *health tells how the list of copies was found.
std::vector<Disowned> disowned(const QString &folder, const QStringList &photoNames, LedgerHealth *health = nullptr);

// Makes the copies of files anew, as update would make them, each only while
// it is still the very file that was found; one changed since is left
// alone and counts as Foreign. The caller holds the folder's RunLock.
Result remake(const QString &folder, const std::vector<Disowned> &files, int edge,
              const fileops::Progress &progress = {}, const std::atomic_bool *cancel = nullptr);

// Why a photo has no copy, in a few words; empty when it has one.
QString reason(const Photo &photo);

// Why web cannot be written into, in a few words (ENOTDIR: it is not a folder).
QString folderReason(int error);

// What the user is told of a list of copies that could not be read; empty when it was fine.
QString ledgerNote(LedgerHealth health);

inline const QString remakeHint =
    QStringLiteral("Kamerio が作った縮小写真なら、設定 の「Web 用の縮小写真を作り直す…」で作り直せます。");

// The message that ends a run in which some photos got no copy or the list
// of copies could not be read; empty when all is well.
QString report(const Result &result);

} // namespace webcopy
