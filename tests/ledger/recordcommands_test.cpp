#include "ledger/recordcommands.h"

#include <gtest/gtest.h>

TEST(LedgerRecordCommands, EditWaitsInTheLastColumnAndDeleteUnderAnOpenEditor) {
    const struct {
        bool lastColumn, editorOpen;
        bool edit, deleteShown;
    } cases[] = {
        {false, false, true, true},
        {true, false, false, true},
        {false, true, true, false},
        {true, true, false, false},
    };
    for (const auto& c : cases) {
        const TRecordCommands r = LedgerRecordCommands(c.lastColumn, c.editorOpen);
        EXPECT_EQ(r.editEnabled, c.edit) << c.lastColumn << c.editorOpen;
        EXPECT_EQ(r.deleteShown, c.deleteShown) << c.lastColumn << c.editorOpen;
    }
}
