// New names for the files of a folder, and renaming a whole folder so that
// no file is ever lost: the renames are ordered so that a name is given only
// once its old holder has moved on, and files that take each other's names
// go round through a temporary name.
#pragma once

#include "fileops/progress.h"
#include "fileops/safefile.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <vector>

namespace renaming {

// Serial name of the file at position (from 1): the base without its outer
// spaces, padded with "0" to 5 characters or cut to 6; the position zero-filled
// to 3 digits when digits is exactly "3", else to 2; the old name from its
// first "." on.
QString serialName(const QString &base, const QString &digits, int position, const QString &oldName);

// The whole name, extension included, in lower case.
QString lowerName(const QString &name);

// A name a file of the folder can be given: not empty, no "/", and not
// starting with "." (that would hide the file from the file pane).
bool usableName(const QString &name);

struct Move
{
    QString from;
    QString to;
};

// One rename of a plan, on behalf of wanted[file].
struct Step
{
    QString from;
    QString to;
    int file;
};

// Renames to run in order. A ring (files that take each other's names) moves
// its first file aside under a temporary name, and either completes or is put
// back as it was.
struct Group
{
    std::vector<Step> steps;
    bool ring = false;
};

struct Plan
{
    std::vector<Group> groups;
    // Files that keep their names without a try: the new name is unusable,
    // claimed by an earlier file, or held by a file that stays.
    std::vector<safefile::Failure> kept;
};

// Orders the wanted renames; taken holds every name now in the folder. A
// move to the same name needs nothing; of two files wanting one name the
// first gets it.
Plan plan(const std::vector<Move> &wanted, const QSet<QString> &taken);

struct Outcome
{
    int renamed = 0;
    std::vector<safefile::Failure> kept;
    // A file that could be neither renamed nor put back: its old name and
    // the temporary name it now has.
    std::vector<Move> stranded;
    // Symbolic links, and files that a symbolic link of the folder points
    // to: left as they are.
    QStringList linked;
    // Files whose renames were not begun because the run was cancelled.
    int untried = 0;
};

// Of the names, those that are symbolic links or that a symbolic link of
// the folder leads to, in the order given. Renaming a link would break any
// link that leads to it, and renaming the file a link leads to would leave
// that link pointing at nothing.
QStringList linkedNames(const QString &dir, const QStringList &names);

// Runs a plan in a folder. A failing rename leaves its file under its old
// name; the files still waiting for that name keep theirs; the rest goes on.
// cancel is read before each group, so a ring once begun is always finished
// or put back.
Outcome run(const QString &dir, const Plan &plan, const fileops::Progress &progress = {},
    const std::atomic_bool *cancel = nullptr);

// Plans and runs the wanted renames in a folder, leaving linked names
// alone; the files that kept their names are given in the order of wanted.
Outcome renameAll(const QString &dir, const std::vector<Move> &wanted, const fileops::Progress &progress = {},
    const std::atomic_bool *cancel = nullptr);

// What the user is told after a run; empty when every file got its name.
// work names the run ("連番改名") for the message of a cancelled one.
QString report(const QString &headline, const Outcome &outcome, const QString &work);

} // namespace renaming
