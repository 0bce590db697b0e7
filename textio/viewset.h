// Sets of names looked up by a view into a longer text: an album runs to
// tens of thousands of entries, and no name is copied out of its entry just
// to be looked up.
#pragma once

#include <QString>
#include <QStringView>

#include <unordered_set>

namespace viewset {

struct Hash
{
    using is_transparent = void;
    size_t operator()(QStringView s) const noexcept { return qHash(s); }
};

struct Equal
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
};

// Views into texts that outlive the set.
using Views = std::unordered_set<QStringView, Hash>;
// Names of their own, found by a view.
using Names = std::unordered_set<QString, Hash, Equal>;

} // namespace viewset
