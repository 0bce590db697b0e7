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

// True when some entry carries a caption that is more than spaces.
bool hasCaptions(const QStringList &entries);

// What is kept: the album and the folder its photos are in.
struct State
{
    QString folder;
    album::Album album;
};

// Keeps the safety copy up to date. changed() costs the caller nothing but a
// timer: the state is read once the delay has passed, and encoded and written
// on a thread of its own, atomically. A state in which no entry has a caption
// never replaces a copy that has captions.
class Keeper : public QObject
{
    Q_OBJECT
public:
    using Source = std::function<State()>;
    explicit Keeper(Source source, int delayMs = 1000, QObject *parent = nullptr);
    ~Keeper() override;

    void changed();
    // Writes the state now and waits for it: the program is about to end.
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
