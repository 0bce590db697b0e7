// The photo list's undo history: each change the user makes to the list (a
// move, a drop, a sort, a deletion, a caption stored) as one small step that
// can be taken back and taken again. A step stores only what it changed,
// never a copy of the whole list for a move.
#pragma once

#include "album/arranging.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <variant>

namespace history {

// The entry at from ends up at to; those between close up.
struct Move
{
    qsizetype from = 0;
    qsizetype to = 0;
};

// The whole list put in a new order (arranging::Order).
struct Reorder
{
    arranging::Order order;
};

// At row at, the entries removed go and the entries inserted come in
// their place.
struct Splice
{
    qsizetype at = 0;
    QStringList removed;
    QStringList inserted;
};

// The entry at row gets another caption: its text before becomes after, and
// it stays the same entry.
struct Caption
{
    qsizetype row = 0;
    QString before;
    QString after;
};

using Edit = std::variant<Move, Reorder, Splice, Caption>;

// What an edit does to the rows of the list it applies to: from row at,
// count rows give way to texts. entry(i) is the text of row i of that list.
struct Rows
{
    qsizetype at = 0;
    qsizetype count = 0;
    QStringList texts;
};
Rows rows(const Edit &edit, const std::function<QString(qsizetype)> &entry);

// The edit that takes edit back.
Edit inverse(const Edit &edit);

// True when the edit leaves every entry where and as it was.
bool changesNothing(const Edit &edit);

// Where the entry at row is after the edit, or -1 when the edit removed it.
qsizetype follow(const Edit &edit, qsizetype row);

// Moving the entry at row one place up (step -1) or down (step +1) in a
// list of count entries; none without an entry or at either end.
std::optional<Move> stepped(qsizetype row, qsizetype count, int step);

// Moving the entry at from so that it lands just before the entry now at
// insertAt (count: after the last one); none when it would stay.
std::optional<Move> dropped(qsizetype from, qsizetype insertAt, qsizetype count);

class History
{
public:
    // How many entries the steps may hold between them before the oldest
    // are forgotten: a move holds one, a sort or a clear the whole list.
    explicit History(qsizetype capacity = qsizetype(1) << 20) : capacity_(capacity) {}

    // A new step; what was undone before can no longer be redone.
    void record(Edit edit);
    // The edit that takes the last step back, or that takes the last
    // step undone again; none when there is none.
    std::optional<Edit> undo();
    std::optional<Edit> redo();
    void clear();

private:
    qsizetype capacity_;
    qsizetype weight_ = 0;
    std::deque<Edit> done_;
    std::deque<Edit> undone_;
};

} // namespace history
