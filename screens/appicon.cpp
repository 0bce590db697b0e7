#include "screens/appicon.h"

// The icon lives in a static library, whose resources are only linked in
// when something registers them; the registration must name the resource
// outside any namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(kamerio);
}

namespace appicon {

QIcon icon()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
    QIcon i(QStringLiteral(":/kamerio/kamerio.svg"));
    // Bitmaps too, for a Qt without its SVG plug-in.
    for (int size : {32, 48, 256})
        i.addFile(QStringLiteral(":/kamerio/kamerio-%1.png").arg(size), QSize(size, size));
    return i;
}

} // namespace appicon
