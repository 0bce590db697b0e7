// kamerio publish: the pages kamerio make would write, then only what
// changed sent to the site, without any window or display.
#pragma once

#include "cli/cli.h"

#include <atomic>
#include <functional>

namespace cli {

// out is given each line for stdout (a file sent, "削除 PATH"), err each
// message; stop, set by SIGINT or SIGTERM, ends the run at a safe point.
// Returns the exit status.
int publish(const PublishArgs &args, const std::function<void(const QString &line)> &out,
    const std::function<void(const QString &message)> &err, const std::atomic_bool *stop);

} // namespace cli
