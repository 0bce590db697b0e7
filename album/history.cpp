#include "album/history.h"

#include <algorithm>
#include <cstdlib>

namespace history {

namespace {

template <class... F>
struct Overloaded : F...
{
    using F::operator()...;
};
// Spelt out for compilers that do not deduce an aggregate's arguments yet.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// What a step costs to keep, in entries.
qsizetype weight(const Edit &edit)
{
    return std::visit(Overloaded{
                          [](const Move &) -> qsizetype { return 1; },
                          [](const Reorder &r) { return r.order.size(); },
                          [](const Splice &s) { return s.removed.size() + s.inserted.size(); },
                          [](const Caption &) -> qsizetype { return 1; },
                      },
                      edit);
}

} // namespace

Rows rows(const Edit &edit, const std::function<QString(qsizetype)> &entry)
{
    return std::visit(Overloaded{
                          [&entry](const Move &m) {
                              Rows r{std::min(m.from, m.to), std::abs(m.to - m.from) + 1, {}};
                              for (qsizetype i = 0; i < r.count; ++i)
                                  r.texts.append(entry(r.at + i));
                              if (m.from < m.to)
                                  std::rotate(r.texts.begin(), r.texts.begin() + 1, r.texts.end());
                              else
                                  std::rotate(r.texts.begin(), r.texts.end() - 1, r.texts.end());
                              return r;
                          },
                          [&entry](const Reorder &o) {
                              Rows r{0, o.order.size(), {}};
                              r.texts.reserve(r.count);
                              for (qsizetype i : o.order)
                                  r.texts.append(entry(i));
                              return r;
                          },
                          [](const Splice &s) { return Rows{s.at, s.removed.size(), s.inserted}; },
                          [](const Caption &c) { return Rows{c.row, 1, {c.after}}; },
                      },
                      edit);
}

Edit inverse(const Edit &edit)
{
    return std::visit(Overloaded{
                          [](const Move &m) -> Edit { return Move{m.to, m.from}; },
                          [](const Reorder &r) -> Edit {
                              arranging::Order back(r.order.size());
                              for (qsizetype i = 0; i < r.order.size(); ++i)
                                  back[r.order[i]] = i;
                              return Reorder{back};
                          },
                          [](const Splice &s) -> Edit { return Splice{s.at, s.inserted, s.removed}; },
                          [](const Caption &c) -> Edit { return Caption{c.row, c.after, c.before}; },
                      },
                      edit);
}

bool changesNothing(const Edit &edit)
{
    return std::visit(Overloaded{
                          [](const Move &m) { return m.from == m.to; },
                          [](const Reorder &r) {
                              for (qsizetype i = 0; i < r.order.size(); ++i)
                                  if (r.order[i] != i)
                                      return false;
                              return true;
                          },
                          [](const Splice &s) { return s.removed == s.inserted; },
                          [](const Caption &c) { return c.before == c.after; },
                      },
                      edit);
}

qsizetype follow(const Edit &edit, qsizetype row)
{
    return std::visit(Overloaded{
                          [row](const Move &m) -> qsizetype {
                              if (row == m.from)
                                  return m.to;
                              if (m.from < m.to && row > m.from && row <= m.to)
                                  return row - 1;
                              if (m.to < m.from && row >= m.to && row < m.from)
                                  return row + 1;
                              return row;
                          },
                          [row](const Reorder &r) -> qsizetype {
                              const auto at = std::find(r.order.begin(), r.order.end(), row);
                              return at == r.order.end() ? -1 : at - r.order.begin();
                          },
                          [row](const Splice &s) -> qsizetype {
                              if (row < s.at)
                                  return row;
                              if (row < s.at + s.removed.size())
                                  return -1;
                              return row - s.removed.size() + s.inserted.size();
                          },
                          [row](const Caption &) { return row; },
                      },
                      edit);
}

std::optional<Move> stepped(qsizetype row, qsizetype count, int step)
{
    const qsizetype to = row + step;
    if (row < 0 || row >= count || to < 0 || to >= count)
        return std::nullopt;
    return Move{row, to};
}

std::optional<Move> dropped(qsizetype from, qsizetype insertAt, qsizetype count)
{
    if (from < 0 || from >= count || insertAt < 0 || insertAt > count)
        return std::nullopt;
    const qsizetype to = insertAt > from ? insertAt - 1 : insertAt;
    if (to == from)
        return std::nullopt;
    return Move{from, to};
}

void History::record(Edit edit)
{
    if (changesNothing(edit))
        return;
    for (const Edit &e : undone_)
        weight_ -= weight(e);
    undone_.clear();
    weight_ += weight(edit);
    done_.push_back(std::move(edit));
    // The newest step is always kept, however large.
    while (weight_ > capacity_ && done_.size() > 1) {
        weight_ -= weight(done_.front());
        done_.pop_front();
    }
}

std::optional<Edit> History::undo()
{
    if (done_.empty())
        return std::nullopt;
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    return inverse(undone_.back());
}

std::optional<Edit> History::redo()
{
    if (undone_.empty())
        return std::nullopt;
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    return done_.back();
}

void History::clear()
{
    done_.clear();
    undone_.clear();
    weight_ = 0;
}

} // namespace history
