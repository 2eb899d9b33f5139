#include "ledger/columnsizing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

TEST(ColumnSizing, ColumnsFitTheirTextsWhenTheWidthAllowsIt) {
    using W = std::vector<int>;
    const struct {
        const char* name;
        W designed, needed, fitted;
    } cases[] = {
        {"everything fits: the design stands",
         {40, 200, 120, 80, 40},
         {30, 90, 60, 50, 40},
         {40, 200, 120, 80, 40}},
        // The analysis grid by its weights 1, 5, 3, 2 and 1: "Разница" and "-8138,13" need 62.
        {"a narrow last column takes from the wide ones",
         {41, 205, 123, 82, 41},
         {48, 120, 70, 50, 62},
         {48, 190, 115, 77, 62}},
        {"only columns with room to spare give", {50, 50, 100}, {50, 70, 40}, {50, 70, 80}},
        {"no room to spare: the design stands", {100, 10, 10}, {100, 40, 60}, {100, 10, 10}},
        {"too little room: the spare room goes to the lacking ones",
         {60, 30, 30},
         {40, 60, 90},
         {40, 36, 44}},
        {"no texts at all", {10, 20}, {}, {10, 20}},
        {"no columns", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const W fitted = FitToContents(c.designed, c.needed);
        EXPECT_EQ(fitted, c.fitted);
        EXPECT_EQ(std::accumulate(fitted.begin(), fitted.end(), 0),
                  std::accumulate(c.designed.begin(), c.designed.end(), 0));
    }
}
