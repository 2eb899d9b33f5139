#include "output/platformcalculator.h"

#include <QProcess>

const QStringList& PlatformCalculators() {
    static const QStringList names = {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                      QStringLiteral("mate-calc"),        QStringLiteral("galculator"),
                                      QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
    return names;
}

bool StartPlatformCalculator(const TProgramStarter& start) {
    const TProgramStarter starter =
        start ? start : [](const QString& program) { return QProcess::startDetached(program, {}); };
    for (const QString& name : PlatformCalculators()) {
        if (starter(name)) return true;
    }
    return false;
}
