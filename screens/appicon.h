// The program's icon, for the title bars and the about box.
#pragma once

#include <QIcon>

namespace appicon {

QIcon icon();

} // namespace appicon
