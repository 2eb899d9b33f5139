#include "storage/scrambledtext.h"

#include "qtprint.h"

#include <gtest/gtest.h>

TEST(ScrambledText, TextsComeBackFromTheirUnits) {
    for (const char* text : {"Справка", "О программе", "Vellumora.pdf", "Ёлка и ёжик: 1 000,50 руб."}) {
        const QString t = QString::fromUtf8(text);
        const std::vector<std::uint16_t> units = Scramble(t);
        EXPECT_EQ(units.size(), size_t(t.size()));
        EXPECT_EQ(Unscramble(units), t);
    }
    // The same letter at different places is stored differently.
    const auto units = Scramble(QStringLiteral("ааа"));
    EXPECT_NE(units[0], units[1]);
    EXPECT_EQ(Unscramble({42, 109, 67, 182, 239, 218, 39}), "Справка");
}
