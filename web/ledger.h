// The list of copies Kamerio made in web, kept in a hidden file there, so that
// a file the user put in web (or changed since) is told apart from a copy of
// ours and never replaced. A copy is known by its time and size, or, when the
// album was copied to a card that keeps coarser times, by its content. Each
// copy is noted before it takes its name, by appending one line; a run ends
// by rewriting the list with only the copies still present. The list is
// rewritten only under the folder's RunLock, and what the file holds then is
// read again and merged in first, so no run drops another's copies. Safe to
// use from several threads.
#pragma once

#include <QByteArray>
#include <QMultiHash>

#include <mutex>
#include <optional>

struct stat;

namespace webcopy {

// A file as it stands on disk: a change of content changes its time or size.
struct Stamp
{
    qint64 mtime = 0; // nanoseconds
    qint64 size = 0;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const struct stat &st);

struct Record
{
    Stamp copy;  // the copy as written
    Stamp photo; // the photo it was made from
    int edge = 0;
    QByteArray content; // a hash of the copy's bytes
    bool operator==(const Record &) const = default;
};

QByteArray contentHash(const QByteArray &bytes);

// dir + "/" + name for paths as the disk spells them.
QByteArray join(const QByteArray &dir, const QByteArray &name);

// Every hidden name Kamerio uses in web starts so; a photo named so is refused.
inline constexpr char reservedPrefix[] = ".kamerio";

// The list's own name, as the user may find it in web.
inline constexpr char ledgerFile[] = ".kamerio-copies";

// Writes bytes to a new hidden file in dir and puts them on disk, for a
// rename into place. On failure nothing is left and *error says why.
bool writeTemporary(const QByteArray &dir, const QByteArray &bytes, QByteArray *path, Stamp *stamp, int *error);

// Makes web when it is missing; 0 when it is a folder to write into, else
// why not (ENOTDIR: it is not a folder).
int prepareFolder(const QByteArray &web);

// Removes the temporaries that a run which died on the way left in dir.
void removeLeftovers(const QByteArray &dir);

// A list larger than this is taken for a damaged one. A line is some 150
// bytes: room for a full album with several files of a page style per photo.
inline constexpr qint64 maxLedgerBytes = qint64(64) << 20;

enum class LedgerHealth {
    Fine,     // read, or not there yet
    Garbled,  // not a list of copies: every file in web counts as the user's
    TooLarge, // past maxLedgerBytes: not read, and treated as garbled
};

using Records = QMultiHash<QByteArray, Record>;

// The text of a list holding records, as it is written to disk.
QByteArray ledgerText(const Records &records);

// Adds the records that the bytes of a list hold to records, each once; an
// unfinished or garbled line is skipped. false, adding nothing, when the
// bytes are no list of copies.
bool readLedger(QByteArrayView bytes, Records &records);

class Ledger
{
public:
    explicit Ledger(const QByteArray &webDir);
    ~Ledger();
    Ledger(const Ledger &) = delete;
    Ledger &operator=(const Ledger &) = delete;

    // The record of the copy now under name, with the file's stamp; nothing
    // when Kamerio did not make that file.
    std::optional<Record> find(const QByteArray &name, const Stamp &file) const;

    // Notes a copy about to be put under name, on disk before it returns.
    // false with *error (an errno value) when it cannot be noted.
    bool add(const QByteArray &name, const Record &record, int *error);

    // Rewrites the list with one record per copy still in web, when that changes it.
    void tidy();

    LedgerHealth health() const { return health_; }

private:
    // Adds the records the file holds now; false when it is not a list of copies.
    bool merge();
    // Replaces the file with text, in one step.
    bool save(const QByteArray &text, int *error);
    bool openForAppend(int *error);
    // The record that matches the file now under name; the mutex is held.
    std::optional<Record> match(const QByteArray &name, const Stamp &file) const;

    QByteArray dir_;
    QByteArray path_;
    mutable std::mutex mutex_;
    Records records_;
    int fd_ = -1;
    bool changed_ = false; // this run added records
    LedgerHealth health_ = LedgerHealth::Fine;
};

} // namespace webcopy
