#include "moneyfixture.h"

#include "ledger/toperationswithnumbers.h"
#include "money/pursetable.h"

namespace {

using Purses = MoneyTest;

TEST_F(Purses, TotalMoneyIsAmountTimesRateOverThePursesAndItsLabelIsRounded) {
    SetPurses({{"рубль", "1", "100,5"}, {"доллар", "90,25", "2"}, {"пусто", "3", ""}});
    EXPECT_EQ(state.totalMoney, 100.5L + 90.25L * 2);
    EXPECT_EQ(money.purse.TotalMoneyLabel(), "Общая сумма в кошельке : 281 (рубль)");
    Table(TTableKind::Purse).Row(0)->SetCell(2, "100,125");
    money.purse.TotalMoney();
    // Halves go to the even kopeck.
    EXPECT_EQ(money.purse.TotalMoneyLabel(), "Общая сумма в кошельке : 280,62 (рубль)");
}

TEST_F(Purses, RefusedEditsLeaveTheCellAsItWas) {
    struct Case {
        int row, column;
        const char* typed;
        std::vector<TMessage> boxes;
    };
    const Case cases[] = {
        {0, 1, "2", {Error({"Курс базового кошелька всегда равен 1"})}},
        {0, 1, "0", {Error({"Курс базового кошелька всегда равен 1"})}},
        {1, 1, "0", {Error({"Курс кошелька не может быть равен нулю"})}},
        {1, 1, "1-1", {Error({"Курс кошелька не может быть равен нулю"})}},
        {1, 0, "a", {Error({"Кошелек \"a\" уже существует"})}},
        {1, 0, " A ", {Error({"Кошелек \"A\" уже существует"})}},
        {1, 0, "   ", {}},
        {1, 2, "", {}},
    };
    for (const Case& c : cases) {
        boxes.Reset();
        const QString before = Table(TTableKind::Purse).Row(c.row)->Cell(c.column);
        const TPurseEdit edit = money.purse.CommitPurseCell(c.row, c.column, c.typed);
        EXPECT_FALSE(edit.stored) << c.typed;
        EXPECT_EQ(boxes.Boxes(), c.boxes) << c.typed;
        EXPECT_EQ(Table(TTableKind::Purse).Row(c.row)->Cell(c.column), before) << c.typed;
    }
    EXPECT_EQ(money.purse.CommitPurseCell(1, 0, "a").duplicateRow, 0);
}

TEST_F(Purses, ARateChangeCorrectsTheTotalsAtOnce) {
    Expense(kToday, "10", "B");
    Expense(kYesterday, "5", "B");
    Income(kToday, "3", "B");
    Recompute();
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 30);
    EXPECT_EQ(Grid(TTableKind::Rashod).todayTotal, 20);
    EXPECT_TRUE(money.purse.CommitPurseCell(1, 1, "4,5").stored);
    EXPECT_EQ(Rate("B"), "4,5");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 67.5L);
    EXPECT_EQ(Grid(TTableKind::Rashod).todayTotal, 45);
    EXPECT_EQ(Grid(TTableKind::Dohod).total, 13.5L);
    EXPECT_EQ(state.totalMoney, 1000 + 4.5L * NumberValue(Amount("B")));
}

TEST_F(Purses, AnAmountTypedIsStoredNormalised) {
    EXPECT_TRUE(money.purse.CommitPurseCell(1, 2, "10+2,5").stored);
    EXPECT_EQ(Amount("B"), "12,5");
    EXPECT_EQ(state.totalMoney, 1025);
}

TEST_F(Purses, RenamingAPurseRenamesItEverywhere) {
    Expense(kToday, "10", "B");
    Income(kToday, "3", "B");
    const int debt = Debt(cells::kLent, "100", "B", cells::kShown);
    AddReturn(debt, kToday, "30", "B");
    PlanExpense(kToday, "7", "B");
    Transfer("A", "1", "B", "2", "10");
    Transfer("B", "2", "A", "1", "10");
    Recompute();
    const int listBefore = spy.list;
    // Blanks typed around the name are not part of it.
    EXPECT_TRUE(money.purse.CommitPurseCell(1, 0, " Карта ").stored);
    EXPECT_EQ(Table(TTableKind::Purse).Row(1)->Cell(0), "Карта");
    EXPECT_EQ(Table(TTableKind::Rashod).Row(0)->Cell(4), "Карта");
    EXPECT_EQ(Table(TTableKind::Dohod).Row(0)->Cell(3), "Карта");
    EXPECT_EQ(Table(TTableKind::Dolg).Row(debt)->Cell(5), "Карта");
    EXPECT_EQ(Returns(debt).Row(0)->Cell(2), "Карта");
    EXPECT_EQ(Table(TTableKind::PlanRashod).Row(0)->Cell(5), "Карта");
    EXPECT_EQ(Table(TTableKind::Transfer).Row(0)->Cell(3), "Карта");
    EXPECT_EQ(Table(TTableKind::Transfer).Row(1)->Cell(1), "Карта");
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurse, "Карта"), "10");
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "Карта"), "30");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 20);
    EXPECT_GT(spy.list, listBefore);

    // The base purse's name follows its purse.
    EXPECT_TRUE(money.purse.CommitPurseCell(0, 0, "Рубли").stored);
    EXPECT_EQ(state.basePurse, "Рубли");
}

TEST_F(Purses, RenamingOntoANameThatRecordsStillUseCountsThoseRecords) {
    Expense(kToday, "10", "B");
    Expense(kToday, "4", "старый");
    Recompute();
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 20);
    EXPECT_TRUE(money.purse.CommitPurseCell(1, 0, "старый").stored);
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurse, "старый"), "14");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 28);
}

TEST_F(Purses, ANewPurseNamedLikeADeletedOneOffersTheRecordsThatNameIt) {
    Income(kToday, "50", "Копилка");
    Income(kYesterday, "25", "Копилка");
    PlanExpense(kToday, "999", "Копилка");
    Expense(kToday, "10", "Копилка");
    Recompute();
    EXPECT_EQ(Grid(TTableKind::Dohod).total, 0);
    Table(TTableKind::Purse).AddRow()->SetCells({"", "", "", ""}); // the purse grid's empty row
    boxes.AnswerNo();                                              // the expenses
    boxes.AnswerYes();                                             // the incomes
    EXPECT_TRUE(money.purse.CommitPurseCell(2, 0, "Копилка").stored);
    EXPECT_EQ(Table(TTableKind::Purse).Row(2)->Cells(), QStringList({"Копилка", "1", "75", "0"}));
    const std::vector<TMessage> expected = {
        Question({"В таблице расходов по кошельку \"Копилка\"", "найдены записи на сумму 10 (\"Копилка\")",
                  "Пересчитать сумму в кошельке", "с учетом этой суммы?"},
                 TMsgButton::Yes),
        Question({"В таблице доходов по кошельку \"Копилка\"", "найдены записи на сумму 75 (\"Копилка\")",
                  "Пересчитать сумму в кошельке", "с учетом этой суммы?"},
                 TMsgButton::Yes),
    };
    EXPECT_EQ(boxes.Boxes(), expected); // plans never ask
    // Every table that names it was recomputed, whatever the answer.
    EXPECT_EQ(Grid(TTableKind::Dohod).total, 75);
    EXPECT_EQ(Grid(TTableKind::Dohod).todayTotal, 50);
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 10);
    EXPECT_EQ(Grid(TTableKind::PlanRashod).total, 999);
    EXPECT_EQ(state.totalMoney, 1075);
    EXPECT_EQ(money.purse.PurseList(), QStringList({"A", "B", "Копилка"}));
}

TEST_F(Purses, TheRecalculationQuestionCountsShownDebtsReturnsAndTransfers) {
    Debt(cells::kLent, "100", "X", cells::kShown);    // -100
    Debt(cells::kBorrowed, "40", "X", cells::kShown); // +40
    Debt(cells::kBorrowed, "1000", "X", cells::kNotShown);
    const int lent = Debt(cells::kLent, "500", "A", cells::kShown);
    AddReturn(lent, kToday, "20", "X");
    AddReturn(lent, kToday, "5", "A");
    const int borrowed = Debt(cells::kBorrowed, "500", "A", cells::kShown);
    AddReturn(borrowed, kToday, "8", "X");
    Transfer("X", "1", "A", "1", "30");   // -30
    Transfer("A", "2", "X", "4", "10");   // +5
    Transfer("X", "1", "X", "1", "1000"); // same purse: nothing
    Recompute();
    SetPurses({{"A", "1", "0"}, {"X", "1", "0"}});
    boxes.AnswerYes();
    boxes.AnswerYes();
    boxes.AnswerYes();
    money.calc.AskPurseRecalculation("X");
    const std::vector<TMessage> expected = {
        Question({"В таблице долгов по кошельку \"X\"", "найдены записи на сумму -60 (\"X\")",
                  "Пересчитать сумму в кошельке", "с учетом этой суммы?"},
                 TMsgButton::Yes),
        Question({"В таблице возврата долга по кошельку \"X\"", "найдены записи.",
                  "Пересчитать сумму в кошельке", "с учетом этих записей?"},
                 TMsgButton::Yes),
        Question({"В таблице переноса денег по кошельку \"X\"", "найдены записи на сумму -25 (\"X\")",
                  "Пересчитать сумму в кошельке", "с учетом этой суммы?"},
                 TMsgButton::Yes),
    };
    EXPECT_EQ(boxes.Boxes(), expected);
    // -60, then the returns +20 and -8, then the transfers -25.
    EXPECT_EQ(Amount("X"), "-73");
}

TEST_F(Purses, ChangingTheBasePurseDividesRatesAndTotalsByItsRate) {
    SetPurses({{"A", "1", "100"}, {"B", "40", "1"}, {"C", "80", "0"}});
    Expense(kToday, "400", "A");
    Expense(kYesterday, "1", "B");
    const int debt = Debt(cells::kLent, "80", "A", cells::kShown);
    AddReturn(debt, kToday, "40", "A");
    Recompute();
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 440);
    EXPECT_EQ(Returns(debt).Row(0)->Cell(3), "40");
    ASSERT_TRUE(money.purse.ChangeBasePurse("B"));
    EXPECT_EQ(
        Rows(Table(TTableKind::Purse)),
        (std::vector<QStringList>{{"A", "0,025", "100", "0"}, {"B", "1", "1", "1"}, {"C", "2", "0", "0"}}));
    EXPECT_EQ(state.basePurse, "B");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 11);
    EXPECT_EQ(Grid(TTableKind::Rashod).todayTotal, 10);
    EXPECT_EQ(Grid(TTableKind::Dolg).total, 2);
    EXPECT_EQ(state.debtTotals.lentTotal, 2);
    EXPECT_NEAR(double(state.debtTotals.returnsToMeTotal), 1, 1e-12);
    EXPECT_EQ(Returns(debt).Row(0)->Cell(3), "1");
    EXPECT_NEAR(double(state.totalMoney), 3.5, 1e-12);
    EXPECT_EQ(money.purse.TotalMoneyLabel(), "Общая сумма в кошельке : 3,5 (B)");
    EXPECT_EQ(TItogi::TotalCell(state), "Итого (B)");
}

TEST_F(Purses, AZeroRateStopsAChangeOfBasePurse) {
    SetPurses({{"A", "1", "100"}, {"B", "0", "1"}, {"C", "x", "y"}});
    EXPECT_FALSE(money.purse.ChangeBasePurse("B"));
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Error({"Курс кошелька не может быть равен нулю"})}));
    EXPECT_EQ(state.basePurse, "A");
    // A purse whose cells are no numbers gets rate 1 and amount 0 and becomes the base at rate 1.
    EXPECT_TRUE(money.purse.ChangeBasePurse("C"));
    EXPECT_EQ(Rows(Table(TTableKind::Purse)),
              (std::vector<QStringList>{{"A", "1", "100", "0"}, {"B", "0", "1", "0"}, {"C", "1", "0", "1"}}));
}

TEST_F(Purses, TheBasePurseCannotBeDeleted) {
    EXPECT_FALSE(money.purse.DeletePurse(0));
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Error({"Базовый кошелек удалять нельзя"})}));
    EXPECT_EQ(Table(TTableKind::Purse).RowCount(), 2);
}

TEST_F(Purses, DeletingAPurseUsedByTwoExpensesAsksOnceAndReportsTheExpenseTable) {
    Expense(kToday, "10", "B");
    Expense(kYesterday, "5", "B");
    Recompute();
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 30);
    boxes.AnswerYes();
    boxes.AnswerYes();
    EXPECT_TRUE(money.purse.DeletePurse(1));
    const std::vector<TMessage> expected = {
        Question({"Вы действительно хотите удалить кошелек?"}, TMsgButton::Yes),
        Question({"Существуют расходы, связанные с удаляемым кошельком.",
                  "Вы действительно хотите удалить кошелек?"},
                 TMsgButton::Yes),
        Info({"Кошелек удален.", "Записи с удаленным кошельком остались", "в таблице расходов.",
              "Итоги посчитаны без учета этих записей."}),
    };
    EXPECT_EQ(boxes.Boxes(), expected);
    EXPECT_EQ(money.purse.PurseList(), QStringList({"A"}));
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 0);
    EXPECT_EQ(Grid(TTableKind::Rashod).perPurse.RowCount(), 1);
    EXPECT_EQ(Grid(TTableKind::Dohod).perPurse.RowCount(), 1);
    EXPECT_EQ(Table(TTableKind::Rashod).Row(0)->Cell(4), "B"); // records keep the name
    EXPECT_EQ(state.totalMoney, 1000);
}

TEST_F(Purses, DeletionReportNamesEveryLinkedGroupInItsOrder) {
    Expense(kToday, "10", "B");
    Income(kToday, "10", "B");
    const int debt = Debt(cells::kLent, "1", "A", cells::kNotShown);
    AddReturn(debt, kToday, "1", "B"); // returns count for the debts
    PlanExpense(kToday, "1", "B");
    AddRow(TTableKind::PlanDohod, {"Зарплата", kToday, kToday, "1", "B"});
    Transfer("B", "2", "A", "1", "1");
    Recompute();
    for (int i = 0; i < 7; ++i)
        boxes.AnswerYes();
    EXPECT_TRUE(money.purse.DeletePurse(1));
    const QString q = "Вы действительно хотите удалить кошелек?";
    const std::vector<TMessage> expected = {
        Question({q}, TMsgButton::Yes),
        Question({"Существуют расходы, связанные с удаляемым кошельком.", q}, TMsgButton::Yes),
        Question({"Существуют доходы, связанные с удаляемым кошельком.", q}, TMsgButton::Yes),
        Question({"Существуют планы по доходам, связанные с удаляемым кошельком.", q}, TMsgButton::Yes),
        Question({"Существуют планы по расходам, связанные с удаляемым кошельком.", q}, TMsgButton::Yes),
        Question({"Существует перенос денег, связанный с удаляемым кошельком.", q}, TMsgButton::Yes),
        Question({"Существует возврат долга, связанный с удаляемым кошельком.", q}, TMsgButton::Yes),
        Info({"Кошелек удален.", "Записи с удаленным кошельком остались",
              "в таблице расходов,  доходов,  долгов,  планов,  переноса денег.",
              "Итоги посчитаны без учета этих записей."}),
    };
    EXPECT_EQ(boxes.Boxes(), expected);
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "B"), "0");
    EXPECT_EQ(state.debtTotals.returnsToMe.RowCount(), 1);
}

TEST_F(Purses, NoToAnyQuestionKeepsThePurse) {
    Expense(kToday, "10", "B");
    Income(kToday, "10", "B");
    Recompute();
    boxes.AnswerYes();
    boxes.AnswerYes();
    boxes.AnswerNo();
    EXPECT_FALSE(money.purse.DeletePurse(1));
    EXPECT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(money.purse.PurseList(), QStringList({"A", "B"}));
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 20);
}

TEST_F(Purses, AnUnusedPurseGoesWithoutReportAndTheFilterIsReappliedForLinkedTables) {
    std::vector<TTableKind> reapplied;
    money.purse.reapplyFilter = [&](TTableKind k) { reapplied.push_back(k); };
    SetPurses({{"A", "1", "0"}, {"B", "1", "5"}, {"C", "1", "0"}});
    boxes.AnswerYes();
    EXPECT_TRUE(money.purse.DeletePurse(2));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(state.totalMoney, 5);

    Expense(kToday, "1", "B");
    Grid(TTableKind::Rashod).filterActive = true;
    boxes.AnswerYes();
    boxes.AnswerYes();
    EXPECT_TRUE(money.purse.DeletePurse(1));
    EXPECT_EQ(reapplied, std::vector<TTableKind>{TTableKind::Rashod});
}

} // namespace
