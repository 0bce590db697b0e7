// Which of the album's photos a folder lacks: a page shows a broken image
// for each, so the user is told after a load and at generation.
#pragma once

#include <QString>
#include <QStringList>

namespace photocheck {

// The file names of the entries that are no regular file in folder, each
// once, in list order. Blank entries name no photo.
QStringList missing(const QStringList &entries, const QString &folder);

// What the user is told: the first names, then how many more; empty when
// nothing is missing.
QString message(const QStringList &missing);

} // namespace photocheck
