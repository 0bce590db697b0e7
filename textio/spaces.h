// Trimming as the program's text boxes mean it: only ordinary spaces count
// as padding; an ideographic space is text the user typed on purpose.
#pragma once

#include <QString>
#include <QStringView>

namespace spaces {

QString trim(QStringView text);

} // namespace spaces
