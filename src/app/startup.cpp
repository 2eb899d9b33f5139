#include "app/startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>
#include <cstring>
#include <langinfo.h>

void UseUtf8CharacterType() {
    std::setlocale(LC_ALL, "");
    // Only the character type: dates and numbers keep the program's own forms.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

bool LoadQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}
