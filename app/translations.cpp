#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace translations {

void load()
{
    static const bool loaded = [] {
        auto *qt = new QTranslator(QCoreApplication::instance());
        const bool found = qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (found)
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        return found;
    }();
    Q_UNUSED(loaded);
}

} // namespace translations
