// Photos dropped onto the photo list from a file manager. The album's
// photos are named relative to the folder its pages are written into, so
// only files of that folder can be registered.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace dropping {

// The local files of a "text/uri-list" ("file:///a/b.jpg" lines), spelt as
// the disk spells them: a name that is not UTF-8 arrives percent-encoded
// and comes back as the same bytes. Other addresses are left out.
QStringList localFiles(const QByteArray &uriList);

struct Dropped
{
    // The dropped regular files of the folder that registering takes (any
    // file with anyFile, the JPEG files otherwise), by bare name, in the
    // order the file pane lists them; hidden files, folders and anything
    // else that the file pane would not list are left out.
    QStringList names;
    // How many of the folder's files the JPEG rule left out.
    qsizetype notJpeg = 0;
    // Something dropped lies outside the folder: nothing is registered.
    bool elsewhere = false;
};

// What dropping the files paths onto the list of folder registers.
Dropped inFolder(const QStringList &paths, const QString &folder, bool anyFile);

} // namespace dropping
