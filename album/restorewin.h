// 前回の作業を復元's window: the kept albums, one row each, newest first and
// chosen, to restore one of them.
#pragma once

#include "album/recovery.h"

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace restorewin {

// Waits for the choice: the id of the album to restore, nothing after
// キャンセル or Escape.
std::optional<QString> choose(QWidget *parent, const QList<recovery::Listed> &albums);

} // namespace restorewin
