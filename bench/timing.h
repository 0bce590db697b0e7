// What the benchmarks share to turn runs into figures.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace timing {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace timing
