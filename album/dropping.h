// Photos dropped onto the photo list from a file manager. The album's
// photos are named relative to the folder its pages are written into, so
// only files of that folder can be registered.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace dropping {

struct Dropped
{
    // The dropped regular files of the folder, by bare name, in the order
    // the file pane lists them; hidden files, folders and anything else
    // that the file pane would not list are left out.
    QStringList names;
    // Something dropped lies outside the folder: nothing is registered.
    bool elsewhere = false;
};

// What dropping the local files urls onto the list of folder registers;
// addresses that are no local files are left out.
Dropped fromUrls(const QList<QUrl> &urls, const QString &folder);

// True when some address is a local file.
bool anyLocalFile(const QList<QUrl> &urls);

} // namespace dropping
