// The safety copies: whatever the user has typed survives a close without
// saving, a one-click run that replaces the list, an emptied list, another
// window of the program, or the program or the machine dying. Each album is
// kept in a file of its own (keptalbum.h) in $XDG_STATE_HOME/kamerio/albums/
// (default ~/.local/state/kamerio/albums/), the newest state of each.
#pragma once

#include "album/album.h"
#include "album/keptalbum.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace recovery {

// The folder of the kept albums.
QString folder();
// The one safety copy of earlier versions, a project file. The first look
// at the kept albums takes it over as one of them.
QString legacyPath();

// At least this many albums are kept, the newest ones; an album without
// captions never pushes one with captions out of its own newest this many.
inline constexpr int keptAlbums = 20;

struct Listed
{
    QString id;
    keptalbum::Head head;
};

// The kept albums, newest first.
QList<Listed> list();
std::optional<keptalbum::Kept> load(const QString &id);

// What the window keeps: the album and the folder its photos are in.
struct State
{
    QString folder;
    album::Album album;
};

// Keeps the window's album. changed() costs the caller nothing but a timer:
// the state is read once the delay has passed, and merged and written on a
// thread of its own, atomically. An empty list is never kept, nor a list
// without captions in place of the same album's captioned one.
//
// An album is what one window shows from the moment its list is replaced as
// a whole until the next such moment. Two windows are on the same album when
// one restored it while the other still works on it (or both restored it):
// they write the same file, and of each entry the one changed last is kept.
class Keeper : public QObject
{
    Q_OBJECT
public:
    using Source = std::function<State()>;
    explicit Keeper(Source source, int delayMs = 1000, QObject *parent = nullptr);
    ~Keeper() override;

    void changed();
    // Writes a change still waiting for its turn now, and waits for the
    // write: the program is about to end, or the list to be replaced.
    void flush();
    // The list was replaced as a whole: what comes next is another album.
    void startAlbum();
    // A restore is under way: a change still waiting is written now, and
    // nothing more is kept until continueAlbum().
    void hold();
    // Goes on with the kept album id, restored as kept; what the window now
    // shows is that album, although its folder may be another one when the
    // album's own is gone. Nothing is written until the user changes it.
    void continueAlbum(const QString &id, const keptalbum::Kept &kept);
    bool exists() const;

signals:
    // A safety copy exists now.
    void saved();

private:
    void save(bool wait);

    Source source_;
    QTimer timer_;
    bool held_ = false;
    struct Writer;
    std::unique_ptr<Writer> writer_;
};

} // namespace recovery
