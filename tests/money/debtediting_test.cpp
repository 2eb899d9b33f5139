#include "money/debtediting.h"

#include "ledger/tdatagrid.h"

#include <gtest/gtest.h>

TEST(DebtEditing, EnterAndDoubleClickOpenNothingInADebtsUserColumnOnly) {
    TDataGrid debts;
    debts.Define(TableDef(TTableKind::Dolg));
    TDataGrid expenses;
    expenses.Define(TableDef(TTableKind::Rashod));
    const struct {
        const TDataGrid* grid;
        int column;
        QChar key;
        bool startsNoEdit;
    } cases[] = {
        {&debts, debts.UserColumn, QChar(), true},        {&debts, debts.UserColumn, QChar(u'a'), false},
        {&debts, debts.UserColumn - 1, QChar(), false},   {&debts, 0, QChar(), false},
        {&expenses, expenses.UserColumn, QChar(), false},
    };
    ASSERT_GT(debts.UserColumn, 0);
    for (const auto& c : cases)
        EXPECT_EQ(DebtCellStartsNoEdit(*c.grid, c.column, c.key), c.startsNoEdit)
            << int(c.grid->kind) << " column " << c.column << " key " << int(c.key.unicode());
}
