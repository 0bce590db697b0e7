#include "app/main1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    main1 w;
    w.show();
    return app.exec();
}
