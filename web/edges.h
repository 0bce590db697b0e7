// The longer sides offered for the web-size copies. Plain numbers, so that
// the command line checks an edge without the image code.
#pragma once

namespace webcopy {

// A copy is never larger than its photo.
inline constexpr int edges[] = {1024, 1600, 2048, 2560};
inline constexpr int defaultEdge = 1600;

} // namespace webcopy
