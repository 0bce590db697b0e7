// How work over many files tells how far it has come: the files dealt with
// so far, and how many it has to deal with in all.
#pragma once

#include <functional>

namespace fileops {

using Progress = std::function<void(int done, int total)>;

} // namespace fileops
