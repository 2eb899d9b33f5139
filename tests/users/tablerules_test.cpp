// The editor with every table's rules registered as the program registers them: the purse and
// transfer rules of the money layer and the users table's rules.
#include "users/tusertablerules.h"

#include "commitpath.h"
#include "ledger/tdatereader.h"
#include "usersfixture.h"

#include <gtest/gtest.h>

namespace {

class TableRules : public ::testing::Test {
protected:
    TableRules() {
        path.general.SetTableRules(TTableKind::User, userTable);
        b.SetBases({"Семья"});
        b.Open("Мама", "Семья");
    }
    void Fill(TTableKind kind, const TRows& rows) {
        TMemTable& t = kind == TTableKind::User ? b.state.users : b.state.Table(kind);
        t.Clear();
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        b.state.Grid(kind).ResetRowMap();
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TMessageRecorder boxes;
    TBooks b;
    TMoney money{b.state};
    TCommitPath path{b.state, money};
    TUsersLogic users{b.state};
    TUserTableRules userTable{b.state, users};
};

} // namespace

TEST_F(TableRules, ACommitThatMakesTheLastRowWholeLeavesTheRowForTheNextRecord) {
    const struct {
        const char* what;
        TTableKind kind;
        TRows rows;
        int col;
        bool choice;
        const char* value;
        bool newRow;
    } cases[] = {
        {"a user's base",
         TTableKind::User,
         {{"Мама", "Семья", "Администратор", "0"}, {"Дочь", "", "Обычный пользователь", "0"}},
         1,
         true,
         "Семья",
         true},
        {"a user's role, the base still blank",
         TTableKind::User,
         {{"Мама", "Семья", "Администратор", "0"}, {"Дочь", "", "", "0"}},
         2,
         true,
         "Обычный пользователь",
         false},
        {"a purse's name",
         TTableKind::Purse,
         {{"рубль", "1", "1000", "1"}, {"", "", "", ""}},
         0,
         false,
         "евро",
         true},
        {"a transfer's second purse",
         TTableKind::Transfer,
         {{"10.12.2026", "рубль", "1", "", "", "", ""}},
         3,
         true,
         "рубль",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fill(TTableKind::Purse, {{"рубль", "1", "1000", "1"}});
        Fill(c.kind, c.rows);
        TDataGrid& grid = b.state.Grid(c.kind);
        const int last = grid.GridRowCount() - 1;
        const TCommitResult r = c.choice
                                    ? path.edit.CommitChoice(grid, c.col, last, c.value)
                                    : path.edit.CommitText(grid, c.col, last, TEditorKind::Text, c.value);
        EXPECT_TRUE(r.stored);
        EXPECT_EQ(grid.RowAt(last)->Cell(c.col), QString(c.value));
        ASSERT_EQ(grid.GridRowCount(), last + 1 + (c.newRow ? 1 : 0));
        if (c.newRow) {
            EXPECT_EQ(grid.RowAt(last + 1)->Cells().mid(1).join(QString()), QString());
        }
    }
}

TEST_F(TableRules, ContinuousEntryOpensTheNextPurseCellWithItsTextSelected) {
    // A new purse's rate holds "1" when its name is committed; the rate typed next replaces it.
    Fill(TTableKind::Purse, {{"рубль", "1", "1000", "1"}, {"евро", "1", "", "0"}});
    TDataGrid& purses = b.state.Grid(TTableKind::Purse);
    purses.col = 0;
    purses.row = 2;
    const TEditRequest rate = path.edit.AfterEnter(purses);
    EXPECT_EQ(rate.kind, TEditorKind::Number);
    EXPECT_EQ(rate.col, 1);
    EXPECT_EQ(rate.text, "1");
    EXPECT_TRUE(rate.selectAll);
}
