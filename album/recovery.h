// The safety copy of the album: whatever the user has typed survives a close
// without saving, a one-click run that replaces the list, an emptied list, or
// the program or the machine dying. It is written in the project file format
// under $XDG_STATE_HOME/kamerio/ (default ~/.local/state/kamerio/).
#pragma once

#include "album/album.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace recovery {

// The file of the safety copy.
QString path();

// What is kept: the album and the folder its photos are in.
struct State
{
    QString folder;
    album::Album album;
};

// Keeps the safety copy up to date. changed() costs the caller nothing but a
// timer: the state is read once the delay has passed, and encoded and written
// on a thread of its own, atomically. An empty album is never kept, a list
// never replaces one with captions when it has none, nor a list an empty
// one: a cleared list or a one-click run leaves the work before it.
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
    bool exists() const;

signals:
    // A safety copy exists now.
    void saved();

private:
    void save(bool wait);

    Source source_;
    QTimer timer_;
    struct Writer;
    std::unique_ptr<Writer> writer_;
};

} // namespace recovery
