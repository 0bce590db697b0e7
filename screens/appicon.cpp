#include "screens/appicon.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QPixmap>

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
    // Made once and shared by every window. The bitmaps drawn from the SVG
    // at the sizes a desktop asks for are what it is given either way; read
    // as they are, they spare the start-up the SVG plug-in and its drawing.
    static QIcon *shared = nullptr;
    if (!shared) {
        registerResources();
        shared = new QIcon;
        for (int size : {32, 48, 256}) {
            // Read as the PNG it is: a reader left to guess the format first
            // loads every image plug-in installed to ask it.
            QImageReader reader(QStringLiteral(":/kamerio/kamerio-%1.png").arg(size), "png");
            reader.setAutoDetectImageFormat(false);
            shared->addPixmap(QPixmap::fromImage(reader.read()));
        }
        // Gone with the application, before the machinery its pixmaps need.
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return *shared;
}

} // namespace appicon
