// What a run sends, replaces and may remove: a function of the files the
// album needs as they stand on the disk and of what the ledger says was
// sent. The preview shows exactly this.
#pragma once

#include "publish/ledger.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace publish {

// A file the album needs, as it stands on the disk now.
struct Local
{
    QString path; // relative to the album folder, "/" separated
    qint64 size = 0;
    qint64 mtime = 0; // nanoseconds
};

struct Step
{
    QString path;
    bool replace = false; // the server holds an earlier file of that path
    Record record; // what the ledger notes once it is sent
};

struct Plan
{
    // Photos and copies first, pages after, the first page last: a visitor
    // never finds a page whose photos are not there yet.
    std::vector<Step> steps;
    // Unchanged content under a new time: noted without sending.
    std::vector<std::pair<QString, Record>> touched;
    // Sent by an earlier run and no longer needed, in ledger terms only.
    QStringList stale;
    // Files that could not be read, with the reason.
    std::vector<std::pair<QString, QString>> unreadable;
    qint64 bytes = 0; // to send
};

// The SHA-256 (hex) of a file of the album, or nothing with *error set.
using Hasher = std::function<std::optional<QByteArray>(const QString &path, QString *error)>;

// pages are the needed pages in page order. A file whose size and time match
// its record is not read; resendAll sends everything as if the ledger were empty.
Plan plan(const std::vector<Local> &local, const QStringList &pages, const Records &ledger, bool resendAll,
    const Hasher &hash);

// The needed files as they stand in folder; one that is gone is left out.
std::vector<Local> survey(const QString &folder, const QStringList &needed);

// Reads a file of folder for its SHA-256.
Hasher fileHasher(const QString &folder);

} // namespace publish
