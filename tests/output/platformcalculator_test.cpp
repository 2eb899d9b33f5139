#include "output/platformcalculator.h"

#include <gtest/gtest.h>

#include "qtprint.h"

TEST(PlatformCalculator, TriesTheDesktopCalculatorsInOrderUntilOneStarts) {
    const QStringList all = {"gnome-calculator", "kcalc",         "mate-calc",
                             "galculator",       "qalculate-gtk", "xcalc"};
    EXPECT_EQ(PlatformCalculators(), all);

    const struct {
        const char* installed;
        bool started;
        int tried;
    } cases[] = {{"gnome-calculator", true, 1}, {"mate-calc", true, 3}, {"xcalc", true, 6}, {"", false, 6}};
    for (const auto& c : cases) {
        QStringList tried;
        const bool started = StartPlatformCalculator([&](const QString& program) {
            tried << program;
            return program == QLatin1String(c.installed);
        });
        EXPECT_EQ(started, c.started) << c.installed;
        EXPECT_EQ(tried, all.mid(0, c.tried)) << c.installed;
    }
}
