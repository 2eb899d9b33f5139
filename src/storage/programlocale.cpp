#include "storage/programlocale.h"

#include <QByteArray>
#include <QLocale>

#include <optional>

void UseRussianLocale() {
    // The file dialog writes its dates and sizes in QLocale::system(), not in the default locale, and
    // takes its file types' names in the system's languages. Qt reads the system locale from the
    // environment once, at its first use, and a fresh login has no LANG at all ("11 Dec 2026"): Qt is
    // shown a Russian session while it reads it, and the session's own variables are put back before
    // the C library or any program started later sees them.
    std::optional<QByteArray> all;
    if (qEnvironmentVariableIsSet("LC_ALL")) all = qgetenv("LC_ALL");
    qputenv("LC_ALL", "ru_RU.UTF-8");
    (void)QLocale::system();
    if (all)
        qputenv("LC_ALL", *all);
    else
        qunsetenv("LC_ALL");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}
