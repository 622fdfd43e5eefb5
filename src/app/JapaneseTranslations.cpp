#include "app/JapaneseTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool JapaneseTranslations::install(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    // The locale is fixed rather than the desktop's: the whole interface is
    // Japanese whatever the user's language settings say.
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
