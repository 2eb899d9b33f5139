#include "ledger/clipboardcells.h"

#include "ledger/tdatagrid.h"
#include "messagerecorder.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

// Expenses: D V V I C S P.
struct TExpenses {
    TDataGrid grid;
    TExpenses() { grid.Define(TableDef(TTableKind::Rashod)); }
};

} // namespace

TEST(ClipboardCells, OnlyNumberAndTextColumnsTakeCopyAndPaste) {
    TExpenses e;
    const bool expected[] = {false, false, false, true, false, true, false};
    ASSERT_EQ(e.grid.ColumnCount(), int(std::size(expected)));
    for (int col = 0; col < e.grid.ColumnCount(); ++col)
        EXPECT_EQ(IsClipboardColumn(e.grid, col), expected[col]) << "column " << col;
    EXPECT_FALSE(IsClipboardColumn(e.grid, -1));
    EXPECT_FALSE(IsClipboardColumn(e.grid, e.grid.ColumnCount()));
}

TEST(ClipboardCells, ANumberColumnTakesThePastedFormulaAsItsNumberAndATextColumnAsItIs) {
    TExpenses e;
    const int sum = 3;
    const int note = 5;
    const struct {
        int column;
        const char* clipboard;
        const char* opened;
    } cases[] = {
        {sum, "12.5", "12,5"},
        {sum, "(1+2", "3"},
        {sum, "(-2)", "error"},
        {sum, "7", "7"},
        // What the sum cell refuses opens untouched, for its commit to say why: never a quiet 0.
        {sum, "abc", "abc"},
        {sum, "10/0", "10/0"},
        {sum, "123456789012345678", "123456789012345678"},
        {note, "12.5", "12.5"},
        {note, "(-2)", "(-2)"},
        {note, "abc", "abc"},
        {note, "", ""},
    };
    for (const auto& c : cases) {
        TMessageRecorder boxes;
        EXPECT_EQ(PastedCellText(e.grid, c.column, QString::fromUtf8(c.clipboard)),
                  QString::fromUtf8(c.opened))
            << "column " << c.column << " clipboard " << c.clipboard;
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}
