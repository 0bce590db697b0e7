#include "app/display.h"

#include <QDir>
#include <QLibraryInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

namespace display {
namespace {

// A name in DISPLAY is not enough: the server must take a connection, with
// whatever authority the user has.
bool xAnswers()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const bool up = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return up;
}

// A compositor listens on WAYLAND_DISPLAY ("wayland-0" unless set) in the
// runtime folder, or at the path it names; the window needs Qt's plug-in too.
bool waylandAnswers()
{
    if (QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"))
            .entryList({QStringLiteral("libqwayland*")}, QDir::Files)
            .isEmpty())
        return false;
    QByteArray socketPath = qgetenv("WAYLAND_DISPLAY");
    if (socketPath.isEmpty())
        socketPath = "wayland-0";
    if (!socketPath.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return false;
        socketPath = runtime + '/' + socketPath;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(socketPath.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool up = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return up;
}

} // namespace

std::optional<QByteArray> platform()
{
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
    if (asked.isEmpty()) {
        if (xAnswers())
            return QByteArray();
        if (waylandAnswers())
            return QByteArray("wayland");
        return std::nullopt;
    }
    // The platforms asked for are tried in turn, as Qt tries them; one that
    // needs no display server (offscreen, vnc) is Qt's to judge.
    for (const QByteArray &entry : asked.split(';')) {
        const QByteArray name = entry.split(':').first().trimmed();
        if (name == "xcb" ? xAnswers() : name.startsWith("wayland") ? waylandAnswers() : !name.isEmpty())
            return QByteArray();
    }
    return std::nullopt;
}

QString missing()
{
    return QStringLiteral("kamerio: 画面が見つかりません（X サーバーにも Wayland にも接続できませんでした）。\n"
                          "ウィンドウなしでページを作るには「kamerio make」を使ってください"
                          "（使い方は「kamerio --help」で表示できます）。\n");
}

} // namespace display
