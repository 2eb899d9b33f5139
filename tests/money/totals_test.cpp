#include "moneyfixture.h"

#include "ledger/tbaseloader.h"
#include "ledger/toperationswithnumbers.h"
#include "testfolders.h"

namespace {

using Totals = MoneyTest;

TEST_F(Totals, RecomputeCountsSumsTimesRatesPerPurseAndToday) {
    Expense(kToday, "100", "A");
    Expense(kYesterday, "10,5", "B");
    Expense(" 15.5.2024 ", "1", "B");  // another form of today's date
    Expense("30.12.1899", "2", "A");   // the stand-in for today
    Expense(kToday, "1000", "удален"); // no purse: rate 0, no per-purse row
    Expense("", "abc", "A");           // not a number: 0
    NewRecordRow(TTableKind::Rashod);
    money.calc.RecomputeTable(TTableKind::Rashod);
    const TDataGrid& g = Grid(TTableKind::Rashod);
    EXPECT_EQ(g.total, 100 + 21 + 2 + 2);
    EXPECT_EQ(g.todayTotal, 100 + 2 + 2);
    EXPECT_EQ(Rows(g.perPurse), (std::vector<QStringList>{{"A", "102"}, {"B", "11,5"}}));
    EXPECT_EQ(Rows(g.perPurseToday), (std::vector<QStringList>{{"A", "102"}, {"B", "1"}}));
}

TEST_F(Totals, AnExpenseTakesFromItsPurseAndMovesWithIt) {
    const int row = AddRow(TTableKind::Rashod, {kToday, "Еда", "Хлеб"});
    state.purseDefault = false;
    Commit(TTableKind::Rashod, row, 3, "100");
    Commit(TTableKind::Rashod, row, 4, "A");
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 100);
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurse, "A"), "100");
    Commit(TTableKind::Rashod, row, 4, "B");
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "-100");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 200);
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurse, "A"), "0");
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurse, "B"), "100");
    EXPECT_EQ(state.totalMoney, 1000 - 200);
    // A new sum in the same purse moves the difference.
    Commit(TTableKind::Rashod, row, 3, "30,25");
    EXPECT_EQ(Amount("B"), "-30,25");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 60.5L);
}

TEST_F(Totals, WithTheCheckBoxASumCommittedIntoABlankPurseTakesTheBasePurse) {
    const int row = AddRow(TTableKind::Dohod, {kToday, "Зарплата"});
    Commit(TTableKind::Dohod, row, 2, "250");
    EXPECT_EQ(Table(TTableKind::Dohod).Row(row)->Cell(3), "A");
    EXPECT_EQ(Amount("A"), "1250");
    EXPECT_EQ(Grid(TTableKind::Dohod).total, 250);
    EXPECT_EQ(Grid(TTableKind::Dohod).todayTotal, 250);
}

TEST_F(Totals, ADateChangeMovesARecordIntoAndOutOfToday) {
    const int row = Expense(kYesterday, "40", "A");
    Recompute();
    const TPanelGrid before = TItogi::TotalsGrid(state, TTableKind::Rashod);
    EXPECT_EQ(before.rows,
              (std::vector<QStringList>{
                  {"Потрачено", "Сегодня", "Всего"}, {"A", "0", "40"}, {"Итого (A)", "0", "40"}}));
    Commit(TTableKind::Rashod, row, 0, kToday);
    EXPECT_EQ(Grid(TTableKind::Rashod).todayTotal, 40);
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 40);
    EXPECT_EQ(Amount("A"), "1000"); // a date moves no money
    Commit(TTableKind::Rashod, row, 0, "01.01.2024");
    EXPECT_EQ(Grid(TTableKind::Rashod).todayTotal, 0);
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurseToday, "A"), "0");
}

TEST_F(Totals, APerPurseRowBackToZeroLeavesTheTotalsGrid) {
    const int row = Expense(kToday, "", "B");
    Commit(TTableKind::Rashod, row, 3, "0,1");
    Commit(TTableKind::Rashod, row, 3, "0,3");
    Expense(kToday, "5", "A");
    Recompute();
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::Rashod).RowCount(), 4);
    Commit(TTableKind::Rashod, 0, 3, "0");
    const TPanelGrid grid = TItogi::TotalsGrid(state, TTableKind::Rashod);
    EXPECT_EQ(grid.rows, (std::vector<QStringList>{
                             {"Потрачено", "Сегодня", "Всего"}, {"A", "5", "5"}, {"Итого (A)", "5", "5"}}));
    EXPECT_EQ(grid.bold, (std::vector<bool>{true, false, true}));
}

TEST_F(Totals, PlansNeverMoveMoney) {
    const int row = PlanExpense(kToday, "", "");
    Commit(TTableKind::PlanRashod, row, 4, "300");
    Commit(TTableKind::PlanRashod, row, 5, "B");
    money.calc.RecordRemoved(TTableKind::PlanRashod, row, true);
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "0");
    EXPECT_EQ(Grid(TTableKind::PlanRashod).total, 0);
}

TEST_F(Totals, RemovingARecordTakesItOutAndGivesTheMoneyBackWhenAsked) {
    Expense(kToday, "100", "A");
    Income(kToday, "40", "B");
    Expense(kYesterday, "7", "A");
    NewRecordRow(TTableKind::Rashod);
    Recompute();
    money.DeleteRecord(TTableKind::Rashod, 0);
    EXPECT_EQ(Amount("A"), "1100");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 7);
    EXPECT_EQ(Grid(TTableKind::Rashod).todayTotal, 0);
    EXPECT_EQ(Table(TTableKind::Rashod).RowCount(), 2);
    EXPECT_EQ(Grid(TTableKind::Rashod).GridRowCount(), 3);
    money.calc.RecordRemoved(TTableKind::Dohod, 0, false);
    EXPECT_EQ(Amount("B"), "0");
    EXPECT_EQ(Grid(TTableKind::Dohod).total, 0);
    // The only row is the last one: emptied, not removed.
    EXPECT_EQ(Table(TTableKind::Dohod).Row(0)->Cells(), QStringList({kToday, "", "", "", "", ""}));
    // The new-record row is emptied, not removed, and gets the default date back.
    Table(TTableKind::Rashod).Row(1)->SetCells({"01.01.2024", "Еда", "Соль", "3", "A", "", ""});
    Grid(TTableKind::Rashod).DefaultDate = QDate(2024, 5, 10);
    Recompute();
    money.DeleteRecord(TTableKind::Rashod, 1);
    EXPECT_EQ(Table(TTableKind::Rashod).Row(1)->Cells(), QStringList({"10.05.2024", "", "", "", "", "", ""}));
    EXPECT_EQ(Amount("A"), "1103");
}

TEST_F(Totals, RemovalUnderAFilterKeepsTheRowMapPointingAtTheSameRecords) {
    for (int i = 0; i < 5; ++i)
        Expense(kToday, QString::number(i + 1), "A");
    TDataGrid& g = Grid(TTableKind::Rashod);
    g.RowMap = {0, 2, 4, 5}; // rows 1, 3 and 4 shown
    money.calc.RecordRemoved(TTableKind::Rashod, 3, true);
    EXPECT_EQ(g.RowMap, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(g.RowAt(2)->Cell(3), "5");
}

TEST_F(Totals, DebtTotalsShowLentBorrowedReturnsAndWhatIsOwed) {
    const int lent = Debt(cells::kLent, "1000", "A", cells::kShown);
    AddReturn(lent, kToday, "300", "A");
    const int borrowed = Debt(cells::kBorrowed, "50", "B", cells::kNotShown);
    AddReturn(borrowed, kToday, "20", "B");
    Debt(cells::kLent, "10", "C", cells::kShown); // no such purse
    Recompute();
    const TPanelGrid grid = TItogi::TotalsGrid(state, TTableKind::Returns);
    EXPECT_EQ(grid.columns, 7);
    const std::vector<QStringList> expected = {
        {"Долги", "Всего", "", "Возврат", "долга", "Остаток", ""},
        {"", "Дано", "Взято", "Я вернул", "Мне вернули", "Я должен", "Мне должны"},
        {"A", "1000", "0", "0", "300", "0", "700"},
        {"B", "0", "50", "20", "0", "30", "0"},
        {"Итого (A)", "1000", "100", "40", "300", "60", "700"},
    };
    EXPECT_EQ(grid.rows, expected);
    EXPECT_EQ(grid.bold, (std::vector<bool>{true, true, false, false, true}));
}

TEST_F(Totals, OneDebtsOverpaymentIsNotNettedAgainstWhatOtherDebtsOwe) {
    // A debtor who returned 1500 of 1000 does not make another who still owes 1500 owe 1000; nor does
    // 300 returned of a loan of 200 (B at rate 2) lessen another loan still owed.
    Debt(cells::kLent, "1500", "A", cells::kNotShown);
    const int overpaid = Debt(cells::kLent, "1000", "A", cells::kNotShown);
    AddReturn(overpaid, kToday, "1500", "A");
    const int overpaidLoan = Debt(cells::kBorrowed, "200", "B", cells::kNotShown);
    AddReturn(overpaidLoan, kToday, "300", "B");
    Debt(cells::kBorrowed, "100", "A", cells::kNotShown);
    Recompute();
    const std::vector<QStringList> expected = {
        {"Долги", "Всего", "", "Возврат", "долга", "Остаток", ""},
        {"", "Дано", "Взято", "Я вернул", "Мне вернули", "Я должен", "Мне должны"},
        {"A", "2500", "100", "0", "1500", "100", "1500"},
        {"B", "0", "200", "300", "0", "0", "0"},
        {"Итого (A)", "2500", "500", "600", "1500", "100", "1500"},
    };
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::Dolg).rows, expected);
    // Once the debtor owes again, his debt counts as it stands.
    Table(TTableKind::Dolg).Row(overpaid)->SetCell(col::dolg::Sum, "2000");
    Recompute();
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::Dolg).rows[2].back(), "2000");
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::Dolg).rows.back().back(), "2000");
}

TEST_F(Totals, ThePursesGridAndTheFilterGrid) {
    SetPurses({{"A", "1", "10,125"}, {"B", "2", "0"}, {"C", "3", "-1"}});
    TTotalsPanelData panel = money.TotalsPanel(TTableKind::Dohod);
    EXPECT_TRUE(panel.drawn);
    EXPECT_EQ(
        panel.purses.rows,
        (std::vector<QStringList>{{"В кошельке", ""}, {"A", "10,12"}, {"C", "-1"}, {"Итого (A)", "7,12"}}));
    EXPECT_FALSE(panel.filterShown);
    EXPECT_EQ(panel.noFilterText, "Фильтр отсутствует");
    EXPECT_EQ(panel.totalsCaption, "Итоги по расходам");

    TDataGrid& g = Grid(TTableKind::Dohod);
    g.filterActive = true;
    g.filteredPerPurse.AddRow()->SetCells({"A", "1", "12,5"});
    g.filteredPerPurse.AddRow()->SetCells({"B", "2", "0"});
    g.filteredTotal = 12.5L;
    panel = money.TotalsPanel(TTableKind::Dohod);
    EXPECT_TRUE(panel.filterShown);
    EXPECT_EQ(panel.filter.rows,
              (std::vector<QStringList>{{"Фильтр", ""}, {"A", "12,5"}, {"B", "0"}, {"Итого (A)", "12,5"}}));

    TDataGrid& d = Grid(TTableKind::Dolg);
    d.filterActive = true;
    d.filteredPerPurse.AddRow()->SetCells({"A", "1", "100"});
    d.filteredBorrowedPerPurse.AddRow()->SetCells({"A", "1", "40"});
    d.filteredTotal = 140;
    d.filteredLentTotal = 100;
    panel = money.TotalsPanel(TTableKind::Dolg);
    EXPECT_EQ(panel.filter.rows, (std::vector<QStringList>{{"Фильтр", "В долг", ""},
                                                           {"Кошелек", "Дано", "Взято"},
                                                           {"A", "100", "40"},
                                                           {"Итого (A)", "100", "40"}}));
    EXPECT_FALSE(money.TotalsPanel(TTableKind::Purse).drawn);
}

TEST_F(Totals, TheOtherLedgersTitles) {
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::Dohod).rows.front().front(), "Доходы");
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::PlanRashod).rows.front().front(), "Запланировано");
    EXPECT_EQ(TItogi::TotalsGrid(state, TTableKind::PlanDohod).rows.front().front(), "Запланировано");
}

// The clearing dialog.
class Clearing : public MoneyTest {
protected:
    TClearRequest Request(QDate from, QDate to) {
        TClearRequest r;
        r.Reopen();
        r.from = from;
        r.to = to;
        return r;
    }
    const TMessage kQuestion = Question({"Будет произведено удаление всех записей",
                                         "в выделенных таблицах в указанном диапазоне дат",
                                         "Восстановление будет невозможно.", "Продолжить?"},
                                        TMsgButton::No);
    int dropped = 0;
    std::function<void()> drop = [this] { ++dropped; };
};

TEST_F(Clearing, ReopeningResetsTheDatesAndThePurseBoxButNotTheTables) {
    TClearRequest r;
    r.rashod = true;
    r.recalc = true;
    r.from = QDate(2020, 1, 1);
    r.Reopen();
    EXPECT_EQ(r.from, QDate(2024, 5, 15));
    EXPECT_EQ(r.to, QDate(2024, 5, 15));
    EXPECT_FALSE(r.recalc);
    EXPECT_TRUE(r.rashod);
}

TEST_F(Clearing, NoLeavesEverythingAndAFromDateAfterTheToDateRemovesNothing) {
    Expense(kToday, "1", "A");
    TClearRequest r = Request(QDate(2024, 5, 1), QDate(2024, 5, 31));
    r.rashod = true;
    EXPECT_FALSE(money.ClearTablesByPeriod(r, drop)); // the default answer is "No"
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{kQuestion});
    EXPECT_EQ(dropped, 0);
    r = Request(QDate(2024, 5, 31), QDate(2024, 5, 1));
    r.rashod = true;
    boxes.AnswerYes();
    EXPECT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(Table(TTableKind::Rashod).RowCount(), 1);
}

TEST_F(Clearing, ExpensesWithAndWithoutGivingTheMoneyBack) {
    Expense("30.04.2024", "1", "A");
    Expense("01.05.2024", "10", "A");
    Expense("", "1000", "A"); // an empty date reads as 30.12.1900
    Expense("15.05.2024", "20", "B");
    Expense("16.05.2024", "7", "A");
    NewRecordRow(TTableKind::Rashod);
    Recompute();
    TClearRequest r = Request(QDate(2024, 5, 1), QDate(2024, 5, 15));
    r.rashod = true;
    boxes.AnswerYes();
    ASSERT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(Rows(Table(TTableKind::Rashod)).size(), 4u);
    EXPECT_EQ(Table(TTableKind::Rashod).Row(2)->Cell(0), "16.05.2024");
    EXPECT_EQ(Table(TTableKind::Rashod).Row(3)->Cell(0), kToday); // the new-record row stays
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "0");
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 1008);
    EXPECT_EQ(Grid(TTableKind::Rashod).GridRowCount(), 5);

    r = Request(QDate(1900, 1, 1), QDate(2024, 4, 30));
    r.rashod = true;
    r.recalc = true;
    boxes.AnswerYes();
    ASSERT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(Table(TTableKind::Rashod).RowCount(), 2);
    EXPECT_EQ(Amount("A"), "2001");
    EXPECT_EQ(state.totalMoney, 2001);
    EXPECT_EQ(Grid(TTableKind::Rashod).total, 7);
}

TEST_F(Clearing, ManyRowsAtOnceEndWithTheSameTotalsAsOneByOne) {
    for (int i = 0; i < 200; ++i)
        Expense(i % 2 ? "10.05.2024" : "20.05.2024", QString::number(i) + ",25", i % 3 ? "A" : "B");
    Income("10.05.2024", "5", "A");
    NewRecordRow(TTableKind::Rashod);
    NewRecordRow(TTableKind::Dohod);
    Recompute();
    TClearRequest r = Request(QDate(2024, 5, 10), QDate(2024, 5, 10));
    r.rashod = true;
    r.dohod = true;
    r.recalc = true;
    boxes.AnswerYes();
    ASSERT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(Table(TTableKind::Rashod).RowCount(), 101);
    EXPECT_EQ(Table(TTableKind::Dohod).RowCount(), 1);
    long double a = 0, b = 0, total = 0;
    for (int i = 0; i < 200; i += 2) {
        (i % 3 ? a : b) += i + 0.25L;
        total += (i + 0.25L) * (i % 3 ? 1 : 2);
    }
    long double back = 0, backB = 0;
    for (int i = 1; i < 200; i += 2)
        (i % 3 ? back : backB) += i + 0.25L;
    EXPECT_EQ(Amount("A"), FloatToText(1000 + back - 5));
    EXPECT_EQ(Amount("B"), FloatToText(backB));
    EXPECT_EQ(Grid(TTableKind::Rashod).total, total);
    EXPECT_EQ(PerPurse(Grid(TTableKind::Rashod).perPurse, "A"), FloatToText(a));
}

TEST_F(Clearing, TransfersKeepTheirEffectUnlessTakenBackWithTheLongReport) {
    const int t1 = Transfer("A", "1", "B", "2", "100", "10.05.2024");
    const int t2 = Transfer("A", "1", "X", "1", "5", "11.05.2024");
    Transfer("A", "1", "B", "2", "1", "20.05.2024");
    money.purse.ApplyTransfer(t1);
    boxes.Reset();
    Q_UNUSED(t2);
    TClearRequest r = Request(QDate(2024, 5, 10), QDate(2024, 5, 10));
    r.transfer = true;
    boxes.AnswerYes();
    ASSERT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(Table(TTableKind::Transfer).RowCount(), 2);
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Amount("B"), "50");

    Table(TTableKind::Transfer).Row(0)->SetCell(0, "10.05.2024");
    const int again = Transfer("A", "1", "B", "2", "100", "10.05.2024");
    money.purse.ApplyTransfer(again);
    r.recalc = true;
    boxes.Reset();
    boxes.AnswerYes();
    ASSERT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(Table(TTableKind::Transfer).RowCount(), 1);
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Amount("B"), "50");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].lines.size(), 8);
    EXPECT_EQ(boxes.Boxes()[1].lines[1], "из кошелька \"A\" в кошелек \"X\"");
}

TEST_F(Clearing, DebtsGoWithTheirReturns) {
    const int d1 = Debt(cells::kLent, "100", "A", cells::kShown, "10.05.2024");
    AddReturn(d1, "11.05.2024", "30", "B");
    const int d2 = Debt(cells::kLent, "5", "A", cells::kShown, "20.05.2024");
    AddReturn(d2, "21.05.2024", "1", "A");
    NewRecordRow(TTableKind::Dolg);
    Recompute();
    TClearRequest r = Request(QDate(2024, 5, 1), QDate(2024, 5, 10));
    r.dolg = true;
    r.recalc = true;
    boxes.AnswerYes();
    ASSERT_TRUE(money.ClearTablesByPeriod(r, drop));
    EXPECT_EQ(Table(TTableKind::Dolg).RowCount(), 2);
    EXPECT_EQ(Amount("A"), "1100");
    EXPECT_EQ(Amount("B"), "-30");
    EXPECT_EQ(NumberOf(0), 0);
    EXPECT_EQ(Returns(0).Row(0)->Cell(1), "1");
    EXPECT_EQ(state.returns.size(), 2u);
    EXPECT_EQ(state.currentDebt, 0);
    EXPECT_EQ(PerPurse(state.debtTotals.returnsToMe, "B"), "0");
    EXPECT_EQ(Grid(TTableKind::Dolg).total, 5);
}

TEST_F(Totals, EverythingIsRecomputedAfterABaseIsOpened) {
    TTestDataHome home;
    state.paths.dataRoot = home.Path() + "/";
    state.baseFolder = home.Path() + "/BASE/Семья";
    Expense(kToday, "100", "B");
    Income(kYesterday, "40", "A");
    const int d = Debt(cells::kBorrowed, "500", "A", cells::kShown, kToday, "01.06.2024");
    AddReturn(d, kToday, "200", "B");
    PlanExpense(kToday, "9", "A");
    AddRow(TTableKind::PlanDohod, {"Зарплата", kToday, kToday, "11", "B"});
    Recompute();
    TBaseLoader::SaveBase(state);
    TBaseLoader::SaveKindsAndPurses(state);

    TMyType opened;
    opened.paths = state.paths;
    opened.baseFolder = state.baseFolder;
    TBaseLoader::OpenBase(opened);
    TMoney openedMoney(opened);
    openedMoney.RecomputeAfterLoad();
    for (TTableKind k : LedgerKinds()) {
        EXPECT_EQ(opened.Grid(k).total, Grid(k).total) << int(k);
        EXPECT_EQ(opened.Grid(k).todayTotal, Grid(k).todayTotal) << int(k);
        EXPECT_EQ(Rows(opened.Grid(k).perPurse), Rows(Grid(k).perPurse)) << int(k);
    }
    EXPECT_EQ(opened.debtTotals.myReturnsTotal, 400);
    EXPECT_EQ(opened.totalMoney, 1000);
    EXPECT_EQ(opened.ReturnsTable(opened.currentDebt).Row(0)->Cells(),
              QStringList({kToday, "200", "B", "100"}));
    EXPECT_EQ(opened.Grid(TTableKind::Returns).Table, &opened.ReturnsTable(opened.currentDebt));
}

} // namespace
