#include "moneyfixture.h"

#include "ledger/toperationswithnumbers.h"
#include "storage/tbasefiles.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using Debts = MoneyTest;

// A debt typed cell by cell into the new-record row of the debt table.
class TypedDebts : public MoneyTest {
protected:
    int Typed(const QString& kind, const QString& sum, const QString& purse) {
        const int row = NewRecordRow(TTableKind::Dolg);
        Commit(TTableKind::Dolg, row, col::dolg::Category, kind);
        Commit(TTableKind::Dolg, row, col::dolg::Date, kToday);
        Commit(TTableKind::Dolg, row, col::dolg::Due, "01.06.2024");
        Commit(TTableKind::Dolg, row, col::dolg::Party, "Петров");
        Commit(TTableKind::Dolg, row, col::dolg::Purse, purse);
        Commit(TTableKind::Dolg, row, col::dolg::Sum, sum);
        return row;
    }
    // A return typed into the debt's returns table: purse first, then the sum.
    void TypedReturn(int debtRow, const QString& sum, const QString& purse) {
        TMemTable& t = Returns(debtRow);
        t.AddRow()->SetCells({kToday, "", "", ""});
        const int row = t.RowCount() - 1;
        CommitReturn(debtRow, row, col::returns::Purse, purse);
        CommitReturn(debtRow, row, col::returns::Sum, sum);
    }
};

TEST_F(TypedDebts, ALentDebtMovesItsPurseOnlyWhileShown) {
    SetPurses({{"A", "1", "0"}, {"B", "1", "0"}});
    const int row = Typed(cells::kLent, "1000", "A");
    EXPECT_EQ(Table(TTableKind::Dolg).Row(row)->Cell(col::dolg::InPurse), cells::kNotShown);
    EXPECT_EQ(Amount("A"), "0");
    EXPECT_EQ(Grid(TTableKind::Dolg).total, 1000);
    EXPECT_EQ(state.debtTotals.lentTotal, 1000);
    Commit(TTableKind::Dolg, row, col::dolg::InPurse, cells::kShown);
    EXPECT_EQ(Amount("A"), "-1000");
    EXPECT_EQ(state.totalMoney, -1000);
    Commit(TTableKind::Dolg, row, col::dolg::InPurse, cells::kNotShown);
    EXPECT_EQ(Amount("A"), "0");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(TypedDebts, ChangingTheKindOfAShownDebtMovesTwiceItsSumAndItsReturns) {
    SetPurses({{"A", "1", "0"}, {"B", "1", "0"}});
    const int row = Typed(cells::kLent, "1000", "A");
    Commit(TTableKind::Dolg, row, col::dolg::InPurse, cells::kShown);
    TypedReturn(row, "300", "B");
    EXPECT_EQ(Amount("A"), "-1000");
    EXPECT_EQ(Amount("B"), "300");
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "B"), "300");
    EXPECT_EQ(state.debtTotals.returnsToMeTotal, 300);

    Commit(TTableKind::Dolg, row, col::dolg::Category, cells::kBorrowed);
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "-300");
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "B"), "0");
    EXPECT_EQ(PerPurse(state.debtTotals.myReturns, "B"), "300");
    EXPECT_EQ(state.debtTotals.myReturnsTotal, 300);
    EXPECT_EQ(state.debtTotals.returnsToMeTotal, 0);
    EXPECT_EQ(state.debtTotals.lentTotal, 0);
    EXPECT_EQ(Grid(TTableKind::Dolg).total, 1000);

    // Hidden again, a borrowed debt takes its sum back out and its return back in.
    Commit(TTableKind::Dolg, row, col::dolg::InPurse, cells::kNotShown);
    EXPECT_EQ(Amount("A"), "0");
    EXPECT_EQ(Amount("B"), "0");
}

TEST_F(TypedDebts, SumAndPurseChangesOfAShownDebt) {
    SetPurses({{"A", "1", "0"}, {"B", "2", "0"}});
    const int lent = Typed(cells::kLent, "100", "A");
    Commit(TTableKind::Dolg, lent, col::dolg::InPurse, cells::kShown);
    TypedReturn(lent, "30", "A");
    EXPECT_EQ(Returns(lent).Row(0)->Cell(col::returns::Remainder), "70");
    Commit(TTableKind::Dolg, lent, col::dolg::Sum, "150");
    EXPECT_EQ(Amount("A"), "-120");
    EXPECT_EQ(Returns(lent).Row(0)->Cell(col::returns::Remainder), "120");
    Commit(TTableKind::Dolg, lent, col::dolg::Purse, "B");
    EXPECT_EQ(Amount("A"), "30");
    EXPECT_EQ(Amount("B"), "-150");
    EXPECT_EQ(Returns(lent).Row(0)->Cell(col::returns::Remainder), "270");

    const int borrowed = Typed(cells::kBorrowed, "10", "A");
    Commit(TTableKind::Dolg, borrowed, col::dolg::InPurse, cells::kShown);
    EXPECT_EQ(Amount("A"), "40");
    Commit(TTableKind::Dolg, borrowed, col::dolg::Sum, "4");
    EXPECT_EQ(Amount("A"), "34");
    Commit(TTableKind::Dolg, borrowed, col::dolg::Purse, "нет");
    EXPECT_EQ(Amount("A"), "30"); // a purse that does not exist takes no part
}

TEST_F(TypedDebts, ReturnsOfABorrowedDebtTakeMoneyOutAndMoveBetweenPurses) {
    SetPurses({{"A", "1", "0"}, {"B", "1", "0"}});
    const int row = Typed(cells::kBorrowed, "500", "A");
    Commit(TTableKind::Dolg, row, col::dolg::InPurse, cells::kShown);
    EXPECT_EQ(Amount("A"), "500");
    TypedReturn(row, "200", "A");
    EXPECT_EQ(Amount("A"), "300");
    CommitReturn(row, 0, col::returns::Purse, "B");
    EXPECT_EQ(Amount("A"), "500");
    EXPECT_EQ(Amount("B"), "-200");
    EXPECT_EQ(PerPurse(state.debtTotals.myReturns, "A"), "0");
    EXPECT_EQ(PerPurse(state.debtTotals.myReturns, "B"), "200");
    CommitReturn(row, 0, col::returns::Sum, "50");
    EXPECT_EQ(Amount("B"), "-50");
    EXPECT_EQ(state.debtTotals.myReturnsTotal, 50);
}

TEST_F(TypedDebts, AReturnTypedWithoutAPurseTakesTheBasePurse) {
    const int row = Typed(cells::kLent, "100", "B");
    Commit(TTableKind::Dolg, row, col::dolg::InPurse, cells::kShown);
    Returns(row).AddRow()->SetCells({kToday, "", "", ""});
    CommitReturn(row, 0, col::returns::Sum, "25");
    EXPECT_EQ(Returns(row).Row(0)->Cells(), QStringList({kToday, "25", "A", "175"}));
    EXPECT_EQ(Amount("A"), "1025");
}

TEST_F(TypedDebts, AReturnBeyondWhatIsLeftOfTheDebtIsAskedAboutAndKeptOnlyOnYes) {
    // A lent 1000 in A (rate 1) with a return of 300 in A: 700 are left. B has the rate 2.
    SetPurses({{"A", "1", "0"}, {"B", "2", "0"}});
    const auto asked = [](const char* left) {
        return Question({QString("Сумма возврата больше остатка долга (осталось ") + left + "). Записать?"},
                        TMsgButton::No);
    };
    struct TStep {
        int column;
        const char* value;
    };
    const struct {
        const char* what;
        bool purseFilled; // "Вставлять базовый кошелек в таблицы по умолчанию"
        std::vector<TStep> steps;
        std::vector<TMsgButton> answers;
        std::vector<TMessage> boxes;
        QStringList stored; // sum, purse and remainder of the new return
    } cases[] = {
        {"all that is left", true, {{1, "700"}}, {}, {}, {"700", "A", "0"}},
        {"more, refused by the default", true, {{1, "800"}}, {}, {asked("700")}, {"", "", ""}},
        // Returned beyond the debt (a gift, interest): the debt stays overpaid as recorded.
        {"more, taken on yes", true, {{1, "800"}}, {TMsgButton::Yes}, {asked("700")}, {"800", "A", "-100"}},
        {"more at the other purse's rate", true, {{2, "B"}, {1, "400"}}, {}, {asked("700")}, {"", "B", ""}},
        {"a purse that makes the sum too large",
         false,
         {{1, "400"}, {2, "B"}},
         {},
         {asked("700")},
         {"400", "", ""}},
        {"asked at the sum, not again at the same purse",
         false,
         {{1, "800"}, {2, "A"}},
         {TMsgButton::Yes},
         {asked("700")},
         {"800", "A", "-100"}},
        {"kopecks over the remainder", true, {{1, "700,01"}}, {}, {asked("700")}, {"", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Table(TTableKind::Dolg).Clear();
        state.returns.clear();
        state.purseDefault = c.purseFilled;
        const int row = Typed(cells::kLent, "1000", "A");
        AddReturn(row, kToday, "300", "A");
        Returns(row).AddRow()->SetCells({kToday, "", "", ""});
        Recompute();
        boxes.Reset();
        for (TMsgButton answer : c.answers)
            boxes.Answer(answer);
        TCommitResult last;
        for (const TStep& step : c.steps) {
            money.dolg.DebtRowSelected(row);
            path.Commit(TTableKind::Returns, 1, step.column, step.value, &last);
        }
        EXPECT_EQ(boxes.Boxes(), c.boxes);
        QStringList cells = Returns(row).Row(1)->Cells();
        cells.resize(4);
        EXPECT_EQ(cells.mid(1, 3), c.stored);
        const bool refused = c.stored.first().isEmpty() && c.steps.back().column == col::returns::Sum;
        // A sum not taken waits in its editor to be put right.
        EXPECT_EQ(last.reopen, refused);
        if (refused) {
            EXPECT_EQ(last.reopenText, c.steps.back().value);
        }
    }
}

TEST_F(Debts, RemaindersRunDownAndRestartAfterAnUnknownPurse) {
    const int row = Debt(cells::kLent, "1000", "A", cells::kShown);
    AddReturn(row, kToday, "300", "A");
    AddReturn(row, kToday, "200", "A");
    AddReturn(row, kToday, "", ""); // the new-record row: no sum, no remainder
    Recompute();
    EXPECT_EQ(Returns(row).Row(0)->Cell(3), "700");
    EXPECT_EQ(Returns(row).Row(1)->Cell(3), "500");
    EXPECT_EQ(Returns(row).Row(2)->Cell(3), "");

    const int other = Debt(cells::kLent, "100", "B", cells::kNotShown); // B at rate 2
    AddReturn(other, kToday, "10", "B");
    AddReturn(other, kToday, "5", "удален");
    AddReturn(other, kToday, "1", "A");
    AddReturn(other, kToday, "0,3", "B");
    Recompute();
    EXPECT_EQ(Rows(Returns(other)), (std::vector<QStringList>{{kToday, "10", "B", "180"},
                                                              {kToday, "5", "удален", ""},
                                                              {kToday, "1", "A", "-1"},
                                                              {kToday, "0,3", "B", "-1,6"}}));
}

TEST_F(Debts, DeletingAReturnRowAsksAndTakesItsMoneyOut) {
    const int row = Debt(cells::kLent, "1000", "A", cells::kShown);
    AddReturn(row, kToday, "300", "A");
    AddReturn(row, kToday, "200", "B");
    AddReturn(row, kToday, "", "");
    Recompute();
    boxes.AnswerNo();
    EXPECT_FALSE(money.dolg.DeleteReturnRow(NumberOf(row), 0));
    EXPECT_EQ(Returns(row).RowCount(), 3);
    boxes.AnswerYes();
    EXPECT_TRUE(money.dolg.DeleteReturnRow(NumberOf(row), 0));
    EXPECT_EQ(boxes.Boxes().back(), Question({"Вы действительно хотите удалить строку?"}, TMsgButton::Yes));
    EXPECT_EQ(Amount("A"), "700");
    EXPECT_EQ(Rows(Returns(row)),
              (std::vector<QStringList>{{kToday, "200", "B", "600"}, {kToday, "", "", ""}}));
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "A"), "0");
    EXPECT_EQ(state.debtTotals.returnsToMeTotal, 400);
    // The last row is only emptied.
    EXPECT_TRUE(money.dolg.DeleteReturnRow(NumberOf(row), 1, false));
    EXPECT_EQ(Returns(row).RowCount(), 2);
}

TEST_F(Debts, ADueDateBeforeTheDebtsDateIsReportedAndKept) {
    const int row = Debt(cells::kLent, "10", "A", cells::kNotShown, "10.05.2024");
    Commit(TTableKind::Dolg, row, col::dolg::Due, "09.05.2024");
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Info({"Срок возврата долга уже прошел"})}));
    EXPECT_EQ(Table(TTableKind::Dolg).Row(row)->Cell(col::dolg::Due), "09.05.2024");
    boxes.Reset();
    Commit(TTableKind::Dolg, row, col::dolg::Due, "10.05.2024");
    // A debt without a date (as a file may hold it) has no due date to miss.
    Table(TTableKind::Dolg).Row(row)->SetCell(col::dolg::Date, "");
    Commit(TTableKind::Dolg, row, col::dolg::Due, "01.05.2024");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Debts, TheReturnsGridFollowsTheSelectedDebtWithItsTitle) {
    const int first = Debt(cells::kLent, "1000", "A", cells::kNotShown);
    const int second = Debt(cells::kBorrowed, "", "", "");
    AddReturn(first, kToday, "1", "A");
    money.dolg.DebtRowSelected(first);
    EXPECT_EQ(state.currentDebt, NumberOf(first));
    EXPECT_EQ(Grid(TTableKind::Returns).Table, &Returns(first));
    EXPECT_EQ(Grid(TTableKind::Returns).GridRowCount(), 2);
    EXPECT_EQ(money.dolg.ReturnsTitle(), "  Возврат долга: дано в долг | Петров | 1000 | A | ");
    EXPECT_TRUE(money.dolg.CanEditReturns(1, 1));
    const int shownBefore = spy.returns;
    money.dolg.DebtRowSelected(second);
    EXPECT_GT(spy.returns, shownBefore);
    EXPECT_EQ(money.dolg.ReturnsTitle(), "  Возврат долга");
    EXPECT_FALSE(money.dolg.CanEditReturns(1, 1));
    ASSERT_EQ(boxes.Hints().size(), 1u);
    EXPECT_EQ(boxes.Hints()[0].text, "Долга нет");
    EXPECT_EQ(boxes.Hints()[0].gridId, 30);
}

TEST_F(Debts, ADebtIsGreyWhenReturnedInFullAndRedWhenOverdue) {
    SetPurses({{"A", "1", "0"}, {"USD", "100", "0"}});
    const int returned = Debt(cells::kLent, "1000", "A", cells::kShown, "01.05.2024", "10.05.2024");
    AddReturn(returned, kToday, "600", "A");
    AddReturn(returned, kToday, "4", "USD");
    const int partly = Debt(cells::kLent, "1000", "A", cells::kShown, "01.05.2024", "14.05.2024");
    AddReturn(partly, kToday, "999,99", "A");
    const int dueToday = Debt(cells::kLent, "1000", "A", cells::kShown, "01.05.2024", kToday);
    const int noDue = Debt(cells::kLent, "1000", "A", cells::kShown, "01.05.2024");
    EXPECT_EQ(money.dolg.StateOf(returned), TDebtState::Returned);
    EXPECT_EQ(money.dolg.StateOf(partly), TDebtState::Overdue);
    EXPECT_EQ(money.dolg.StateOf(dueToday), TDebtState::Open);
    EXPECT_EQ(money.dolg.StateOf(noDue), TDebtState::Open);
}

// Debts of a base on disk, with returns files.
class DebtFiles : public MoneyTest {
protected:
    DebtFiles() {
        state.paths.dataRoot = home.Path() + "/";
        state.baseFolder = home.Path() + "/BASE/Семья";
        QDir().mkpath(ReturnsFolder(state.baseFolder));
    }
    QString File(int n) { return ReturnsFilePath(state.baseFolder, n); }
    // What a returns file holds: the sum of each row.
    QStringList FileSums(int n) {
        TMemTable t;
        if (!t.LoadFromFile(File(n))) return {"(unreadable)"};
        QStringList sums;
        for (int i = 0; i < t.RowCount(); ++i)
            sums << t.Row(i)->Cell(1);
        return sums;
    }
    TTestDataHome home;
};

TEST_F(DebtFiles, DeletingADebtRenumbersTheLaterTablesAndTheSaveTheirFiles) {
    SetPurses({{"A", "1", "0"}, {"B", "1", "0"}});
    for (int i = 0; i < 4; ++i) {
        const int row =
            Debt(cells::kLent, QString::number(100 * (i + 1)), "A", cells::kShown, kToday, kToday);
        AddReturn(row, kToday, QString::number(i + 1), "B");
        ASSERT_TRUE(Returns(row).SaveToFile(File(i)));
    }
    Recompute();
    money.dolg.DebtRowSelected(3);
    EXPECT_EQ(state.currentDebt, 3);

    money.DeleteRecord(TTableKind::Dolg, 1); // the debt of 200 with its return of 2
    EXPECT_EQ(Amount("A"), "200");
    EXPECT_EQ(Amount("B"), "-2");
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(NumberOf(r), r);
    // Until the next save the files still match the debt table on disk.
    EXPECT_EQ(FileSums(1), QStringList({"2"}));
    ASSERT_EQ(state.returns.size(), 3u);
    EXPECT_EQ(Returns(1).Row(0)->Cell(1), "3");
    EXPECT_EQ(Returns(2).Row(0)->Cell(1), "4");
    // The debt on show keeps being shown under its new number.
    EXPECT_EQ(state.currentDebt, 2);
    EXPECT_EQ(Grid(TTableKind::Returns).Table, &Returns(2));
    EXPECT_EQ(Grid(TTableKind::Dolg).total, 100 + 300 + 400);
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "B"), "8");

    ASSERT_TRUE(SaveDebtsAndReturns(state.baseFolder, Table(TTableKind::Dolg), state.returns,
                                    state.returnsOnDisk, true));
    EXPECT_EQ(FileSums(0), QStringList({"1"}));
    EXPECT_EQ(FileSums(1), QStringList({"3"}));
    EXPECT_EQ(FileSums(2), QStringList({"4"}));
    EXPECT_FALSE(QFileInfo::exists(File(3)));

    // Without adjusting, the purses keep what the debt moved.
    money.dolg.DeleteDebt(0, false);
    EXPECT_EQ(Amount("A"), "200");
    ASSERT_TRUE(SaveDebtsAndReturns(state.baseFolder, Table(TTableKind::Dolg), state.returns,
                                    state.returnsOnDisk, true));
    EXPECT_EQ(FileSums(0), QStringList({"3"}));
    EXPECT_EQ(FileSums(1), QStringList({"4"}));
    EXPECT_FALSE(QFileInfo::exists(File(2)));
}

TEST_F(DebtFiles, DeletingTheShownDebtShowsTheFirstOne) {
    for (int i = 0; i < 3; ++i)
        Debt(cells::kLent, "1", "A", cells::kNotShown);
    Recompute();
    money.dolg.DebtRowSelected(1);
    money.dolg.DeleteDebt(1, true);
    EXPECT_EQ(state.currentDebt, 0);
    EXPECT_EQ(Grid(TTableKind::Returns).Table, &Returns(0));
}

TEST_F(DebtFiles, ANewDebtGetsTheNextNumberAndAnEmptyFile) {
    Debt(cells::kLent, "1", "A", cells::kNotShown);
    const int row = AddRow(TTableKind::Dolg, {});
    EXPECT_EQ(money.dolg.CreateDebtReturns(row), 1);
    EXPECT_EQ(Table(TTableKind::Dolg).Row(row)->Cell(col::dolg::DebtNumber), "1");
    EXPECT_EQ(state.returns.size(), 2u);
    EXPECT_TRUE(QFileInfo(File(1)).isFile());
    EXPECT_EQ(QFileInfo(File(1)).size(), 0);

    // A file already there is left as it is.
    TMemTable kept;
    kept.AddRow()->SetCells({kToday, "5", "A", ""});
    ASSERT_TRUE(kept.SaveToFile(File(2)));
    const int next = AddRow(TTableKind::Dolg, {});
    EXPECT_EQ(money.dolg.CreateDebtReturns(next), 2);
    EXPECT_EQ(FileSums(2), QStringList({"5"}));

    // Selecting a debt without a number gives it one.
    const int bare = AddRow(TTableKind::Dolg, {});
    money.dolg.DebtRowSelected(bare);
    EXPECT_EQ(NumberOf(bare), 3);
    EXPECT_EQ(state.currentDebt, 3);
}

TEST_F(DebtFiles, ANewDebtWritesNothingIntoADebtFolderThatIsALink) {
    const QString elsewhere = home.Path() + "/чужая папка";
    QDir().mkpath(elsewhere);
    QDir(ReturnsFolder(state.baseFolder)).removeRecursively();
    ASSERT_TRUE(QFile::link(elsewhere, ReturnsFolder(state.baseFolder)));
    Debt(cells::kLent, "1", "A", cells::kNotShown);
    const int row = AddRow(TTableKind::Dolg, {});
    EXPECT_EQ(money.dolg.CreateDebtReturns(row), 1);
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

} // namespace
