#include "analysis/tanalysis.h"

#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "qtprint.h"
#include "storage/tabledefs.h"
#include "tablerows.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace {

struct TRowIn {
    TTableKind table;
    QStringList cells;
};

// One record of each table, its cells put in place by name.
TRowIn Expense(const QString& date, const QString& kind, const QString& name, const QString& sum,
               const QString& purse = "руб", const QString& note = "") {
    QStringList c(col::rashod::Count);
    c[col::rashod::Date] = date, c[col::rashod::Kind] = kind, c[col::rashod::Name] = name;
    c[col::rashod::Sum] = sum, c[col::rashod::Purse] = purse, c[col::rashod::Note] = note;
    return {TTableKind::Rashod, c};
}
TRowIn Income(const QString& date, const QString& kind, const QString& sum, const QString& note = "") {
    QStringList c(col::dohod::Count);
    c[col::dohod::Date] = date, c[col::dohod::Kind] = kind, c[col::dohod::Sum] = sum;
    c[col::dohod::Purse] = "руб", c[col::dohod::Note] = note;
    return {TTableKind::Dohod, c};
}
TRowIn Plan(const QString& from, const QString& kind, const QString& name, const QString& sum,
            const QString& purse = "руб", const QString& note = "") {
    QStringList c(col::planrashod::Count);
    c[col::planrashod::Kind] = kind, c[col::planrashod::Name] = name, c[col::planrashod::From] = from;
    c[col::planrashod::To] = "31.05.2024", c[col::planrashod::Sum] = sum;
    c[col::planrashod::Purse] = purse, c[col::planrashod::Note] = note;
    return {TTableKind::PlanRashod, c};
}
TRowIn PlanIncome(const QString& from, const QString& kind, const QString& sum, const QString& note = "") {
    QStringList c(col::plandohod::Count);
    c[col::plandohod::Kind] = kind, c[col::plandohod::From] = from, c[col::plandohod::To] = "31.05.2024";
    c[col::plandohod::Sum] = sum, c[col::plandohod::Purse] = "руб", c[col::plandohod::Note] = note;
    return {TTableKind::PlanDohod, c};
}

const QString kDay = "15.05.2024";
const QString kNoData = ": данных для анализа c указанными параметрами не существует";

struct TCase {
    const char* name;
    std::vector<TRowIn> rows{};
    int kind = KindRashodByKind;
    int format = FormatNumber;
    // Non-null: the name selection applies, every box checked and then changed by this.
    void (*select)(TNameSelection&) = nullptr;
    QDate start = QDate(2024, 5, 1);
    QDate end = QDate(2024, 5, 31);
    std::vector<QStringList> table{}; // data rows, then the total row
    QString noData{};
    QString titleEnd{};
    std::optional<QStringList> chart{}; // "point label" of every chart value
    bool pieRefused = false;
    std::vector<long double> amounts{}; // checked when the case gives them
};

// A base with the purses "руб" (the base purse) and "долл" at 30, and the expense kinds "Еда" (names
// "Хлеб", "Молоко") and "Дом" ("Свет"); today is 15.05.2024.
class AnalysisTest : public ::testing::Test {
protected:
    AnalysisTest() {
        state.Table(TTableKind::Purse).AddRow()->SetCells({"руб", "1", "0", "1"});
        state.Table(TTableKind::Purse).AddRow()->SetCells({"долл", "30", "0", "0"});
        state.basePurse = "руб";
        state.vidRashod.AddRow()->SetCells({"Еда", "Хлеб", "Молоко"});
        state.vidRashod.AddRow()->SetCells({"Дом", "Свет"});
    }
    void Fill(const std::vector<TRowIn>& rows) {
        for (TTableKind kind : LedgerKinds())
            state.Table(kind).Clear();
        for (const TRowIn& r : rows)
            state.Table(r.table).AddRow()->SetCells(r.cells);
    }

    TTodayOverride today{QDate(2024, 5, 15)};
    TMyType state;
    TAnalysis analysis{state};
};

TEST_F(AnalysisTest, GroupsComparesAndLaysOutTheResult) {
    const TCase cases[] = {
        {.name = "an expense of 100 at rate 30 counts as 3000",
         .rows = {Expense(kDay, "Еда", "Хлеб", "100", "долл")},
         .table = {{"1", "Еда", "3000", "0", "-3000"}, {" ", "Итого:", "3000", "0", "-3000"}}},
        {.name = "blank and unknown purses: expenses skipped, plans add 0",
         .rows = {Expense(kDay, "Еда", "Хлеб", "10"), Expense(kDay, "Еда", "Хлеб", "5", ""),
                  Expense(kDay, "Дом", "Свет", "7", "евро"), Plan(kDay, "Еда", "Хлеб", "30"),
                  Plan(kDay, "Еда", "Хлеб", "20", "евро"), Plan(kDay, "Дом", "Свет", "8", "")},
         .table = {{"1", "Еда", "10", "30", "20"}, {" ", "Итого:", "10", "30", "20"}}},
        {.name = "a period that starts after its end has no data",
         .rows = {Expense(kDay, "Еда", "Хлеб", "10")},
         .start = QDate(2024, 5, 31),
         .end = QDate(2024, 5, 1),
         .noData = "Анализ по видам расходов" + kNoData},
        {.name = "dates: both ends count, blanks are today, an empty date and a zero sum add nothing",
         .rows = {Expense("   ", "Еда", "Хлеб", "10"), Expense("", "Еда", "Хлеб", "20"),
                  Expense("01.05.2024", "Еда", "Хлеб", "1"), Expense("31.05.2024", "Еда", "Хлеб", "2"),
                  Expense("30.04.2024", "Еда", "Хлеб", "40"), Expense("01.06.2024", "Еда", "Хлеб", "80"),
                  Expense(kDay, "Дом", "Свет", "0"), Expense(kDay, "", "Свет", "5")},
         .table = {{"1", "Еда", "13", "0", "-13"}, {" ", "Итого:", "13", "0", "-13"}}},
        {.name = "blank dates are today: outside a period without today",
         .rows = {Expense("   ", "Еда", "Хлеб", "10"), Expense("01.06.2024", "Дом", "Свет", "3")},
         .start = QDate(2024, 6, 1),
         .end = QDate(2024, 6, 30),
         .table = {{"1", "Дом", "3", "0", "-3"}, {" ", "Итого:", "3", "0", "-3"}}},
        {.name = "a group whose records cancel out keeps a difference of 0, not -0",
         .rows = {Expense(kDay, "Еда", "Хлеб", "100"), Expense(kDay, "Еда", "Молоко", "-100")},
         .table = {{"1", "Еда", "0", "0", "0"}, {" ", "Итого:", "0", "0", "0"}}},
        {.name = "kind 0 by numbers: difference, plan without expenses last, expense without plan",
         .rows = {Expense(kDay, "Еда", "Хлеб", "120"), Expense(kDay, "Дом", "Свет", "120"),
                  Plan(kDay, "Еда", "Хлеб", "100"), Plan(kDay, "Авто", "Бензин", "100")},
         .table = {{"1", "Дом", "120", "0", "-120"},
                   {"2", "Еда", "120", "100", "-20"},
                   {"3", "Авто", "0", "100", "100"},
                   {" ", "Итого:", "240", "200", "-40"}},
         .titleEnd = " по 31.05.2024. Сравнение с планами.",
         .chart = QStringList{"1 Дом: 120", "2 Еда: 120"},
         .amounts = {120, 120, 0}},
        {.name = "a difference of 2,5 shows 2 and one of 3,5 shows 4",
         .rows = {Expense(kDay, "Еда", "Хлеб", "10"), Plan(kDay, "Еда", "Хлеб", "12,5"),
                  Expense(kDay, "Дом", "Свет", "10"), Plan(kDay, "Дом", "Свет", "13,5")},
         .table = {{"1", "Дом", "10", "13,5", "4"},
                   {"2", "Еда", "10", "12,5", "2"},
                   {" ", "Итого:", "20", "26", "6"}}},
        {.name = "kind 1 groups each name of a kind",
         .rows = {Expense(kDay, "Еда", "Хлеб", "10"), Expense(kDay, "Еда", "Молоко", "20"),
                  Plan(kDay, "Еда", "Хлеб", "15"), Plan(kDay, "Еда", "Молоко", "25")},
         .kind = KindRashodByName,
         .table = {{"1", "Еда , Молоко", "20", "25", "5"},
                   {"2", "Еда , Хлеб", "10", "15", "5"},
                   {" ", "Итого:", "30", "40", "10"}},
         .titleEnd = ". Сравнение с планами."},
        {.name = "kind 1: a cleared name and a name not in the list leave expenses and plans",
         .rows = {Expense(kDay, "Еда", "Хлеб", "10"), Expense(kDay, "Еда", "Молоко", "20"),
                  Expense(kDay, "Еда", "Сыр", "50"), Plan(kDay, "Еда", "Хлеб", "15"),
                  Plan(kDay, "Еда", "Молоко", "25")},
         .kind = KindRashodByName,
         .select = [](TNameSelection& s) { s.SetName(0, 1, false); },
         .table = {{"1", "Еда , Хлеб", "10", "15", "5"}, {" ", "Итого:", "10", "15", "5"}}},
        {.name = "kind 1: a cleared kind clears its names; nothing left is no data",
         .rows = {Expense(kDay, "Дом", "Свет", "10"), Plan(kDay, "Дом", "Свет", "15")},
         .kind = KindRashodByName,
         .select = [](TNameSelection& s) { s.SetKind(1, false); },
         .noData = "Анализ по наименованиям расходов" + kNoData},
        {.name = "kind 2: every income kind with ---- and the totals of incomes and expenses",
         .rows = {Income(kDay, "Зарплата", "1000"), Income(kDay, "Подарок", "2000"),
                  Expense(kDay, "Еда", "Хлеб", "300")},
         .kind = KindDohodByKind,
         .table = {{"1", "Зарплата", "1000", "----", "----"},
                   {"2", "Подарок", "2000", "----", "----"},
                   {" ", "Итого:", "3000", "300", "2700"}},
         .titleEnd = " по 31.05.2024. Сравнение с расходами."},
        {.name = "kind 2 in percent: shares, the total compares expenses with incomes",
         .rows = {Income(kDay, "Зарплата", "300"), Income(kDay, "Подарок", "100"),
                  Expense(kDay, "Еда", "Хлеб", "50")},
         .kind = KindDohodByKind,
         .format = FormatPercent,
         .table = {{"1", "Зарплата", "75%", "----", "----"},
                   {"2", "Подарок", "25%", "----", "----"},
                   {" ", "Итого:", "400", "50", "12%"}}},
        {.name = "kind 3: plan minus expenses",
         .rows = {Plan(kDay, "Еда", "Хлеб", "100"), Expense(kDay, "Еда", "Хлеб", "120")},
         .kind = KindPlanRashod,
         .table = {{"1", "Еда", "100", "120", "-20"}, {" ", "Итого:", "100", "120", "-20"}},
         .titleEnd = ". Сравнение с расходами."},
        {.name = "kind 3 in percent: expenses as a share of the plan",
         .rows = {Plan(kDay, "Еда", "Хлеб", "4"), Expense(kDay, "Еда", "Хлеб", "1"),
                  Expense(kDay, "Дом", "Свет", "2")},
         .kind = KindPlanRashod,
         .format = FormatPercent,
         .table = {{"1", "Еда", "100%", "1", "25%"},
                   {"2", "Дом", "0%", "2", "0%"},
                   {" ", "Итого:", "4", "3", "75%"}}},
        {.name = "kind 0 in percent: shares, whole-number differences, the total as a share of the plans",
         .rows = {Expense(kDay, "Еда", "Хлеб", "2"), Expense(kDay, "Дом", "Свет", "1"),
                  Plan(kDay, "Еда", "Хлеб", "3"), Plan(kDay, "Авто", "Бензин", "5")},
         .format = FormatPercent,
         .table = {{"1", "Еда", "66,67%", "3", "67%"},
                   {"2", "Дом", "33,33%", "0", "0%"},
                   {"3", "Авто", "0%", "5", "0%"},
                   {" ", "Итого:", "3", "8", "38%"}},
         .chart = QStringList{"1 Еда: 66,67%", "2 Дом: 33,33%"},
         .amounts = {2, 1, 0}},
        {.name = "percent of a main total of 0: every share 0, no chart values",
         .rows = {Expense(kDay, "Еда", "Хлеб", "5", "руб", "а"),
                  Expense(kDay, "Еда", "Хлеб", "-5", "руб", "б")},
         .kind = KindRashodNote,
         .format = FormatPercent,
         .table = {{"1", "а", "0%"}, {"2", "б", "0%"}, {" ", "Итого:", "0"}},
         .chart = QStringList()},
        {.name = "a value of -0,5 refuses the pie",
         .rows = {Expense(kDay, "Еда", "Хлеб", "-0,5", "руб", "возврат"),
                  Expense(kDay, "Еда", "Хлеб", "10", "руб", "покупка")},
         .kind = KindRashodNote,
         .table = {{"1", "покупка", "10"}, {"2", "возврат", "-0,5"}, {" ", "Итого:", "9,5"}},
         .chart = QStringList{"1 покупка: 10", "2 возврат: -0,5"},
         .pieRefused = true},
        {.name = "values of 0 or more draw the pie; a group summed to 0 stays without a chart value",
         .rows = {Expense(kDay, "Еда", "Хлеб", "5", "руб", "а"),
                  Expense(kDay, "Еда", "Хлеб", "-5", "руб", "а"),
                  Expense(kDay, "Еда", "Хлеб", "3", "руб", "б"),
                  Expense(kDay, "Еда", "Хлеб", "3", "руб", "  ")},
         .kind = KindRashodNote,
         .table = {{"1", "б", "3"}, {"2", "а", "0"}, {" ", "Итого:", "3"}},
         .chart = QStringList{"1 б: 3"}},
        {.name = "kind 4: plans of incomes by amount, counted from the start of their period",
         .rows = {PlanIncome(kDay, "Аванс", "100"), PlanIncome(kDay, "Бонус", "300"),
                  PlanIncome(kDay, "Премия", "200"), PlanIncome("30.04.2024", "Аванс", "1000")},
         .kind = KindPlanDohod,
         .table =
             {{"1", "Бонус", "300"}, {"2", "Премия", "200"}, {"3", "Аванс", "100"}, {" ", "Итого:", "600"}},
         .titleEnd = "  Анализ по планированию доходов за период с 01.05.2024 по 31.05.2024"},
        {.name = "kind 6: notes of incomes by amount",
         .rows = {Income(kDay, "Зарплата", "10", "аа"), Income(kDay, "Зарплата", "30", "бб"),
                  Income(kDay, "Зарплата", "5")},
         .kind = KindDohodNote,
         .table = {{"1", "бб", "30"}, {"2", "аа", "10"}, {" ", "Итого:", "40"}}},
        {.name = "kind 7: notes of expense plans by amount",
         .rows = {Plan(kDay, "Еда", "Хлеб", "1", "руб", "аа"), Plan(kDay, "Еда", "Хлеб", "2", "руб", "бб"),
                  Plan("30.04.2024", "Еда", "Хлеб", "9", "руб", "вв")},
         .kind = KindPlanRashodNote,
         .table = {{"1", "бб", "2"}, {"2", "аа", "1"}, {" ", "Итого:", "3"}}},
        {.name = "kind 8: notes of income plans, equal amounts in UTF-16 order",
         .rows = {PlanIncome(kDay, "Аванс", "7", "бб"), PlanIncome(kDay, "Аванс", "7", "аа"),
                  PlanIncome(kDay, "Аванс", "7", "Яя"), PlanIncome(kDay, "Аванс", "9", "вв")},
         .kind = KindPlanDohodNote,
         .table =
             {{"1", "вв", "9"}, {"2", "Яя", "7"}, {"3", "аа", "7"}, {"4", "бб", "7"}, {" ", "Итого:", "30"}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(c.rows);
        TNameSelection selection;
        if (c.select) {
            selection = TNameSelection::AllChecked(state.vidRashod);
            selection.applies = true;
            c.select(selection);
        }
        analysis.Run({c.start, c.end, c.kind, c.format, ChartPie}, selection);
        EXPECT_EQ(Rows(analysis.Table()), c.table);
        EXPECT_EQ(analysis.NoDataLine(), c.noData);
        EXPECT_EQ(analysis.DataRowCount(), c.table.empty() ? 0 : int(c.table.size()) - 1);
        EXPECT_TRUE(analysis.Title().startsWith("  " + TAnalysis::KindTitle(c.kind) + " за период с "));
        if (!c.titleEnd.isEmpty()) {
            EXPECT_TRUE(analysis.Title().endsWith(c.titleEnd)) << analysis.Title().toStdString();
        }
        EXPECT_EQ(analysis.PieRefused(), c.pieRefused);
        if (c.chart) {
            QStringList chart;
            for (const TChartPoint& p : analysis.ChartPoints())
                chart << QString::number(p.point) + " " + p.label;
            EXPECT_EQ(chart, *c.chart);
        }
        if (!c.amounts.empty()) {
            EXPECT_EQ(analysis.RowAmounts(), c.amounts);
        }
    }
}

TEST_F(AnalysisTest, KeepsTheUnroundedTotals) {
    Fill({Expense(kDay, "Еда", "Хлеб", "1"), Expense(kDay, "Дом", "Свет", "2"),
          Plan(kDay, "Еда", "Хлеб", "0,25"), Plan(kDay, "Еда", "Хлеб", "0,5")});
    analysis.Run({QDate(2024, 5, 1), QDate(2024, 5, 31), KindRashodByKind, FormatPercent, ChartBars}, {});
    EXPECT_EQ(analysis.MainTotal(), 3.0L);
    EXPECT_EQ(analysis.ComparisonTotal(), 0.75L);
    EXPECT_EQ(analysis.RowAmounts(), (std::vector<long double>{2, 1}));
    // Every run starts afresh.
    Fill({});
    analysis.Run({QDate(2024, 5, 1), QDate(2024, 5, 31), KindRashodByKind, FormatPercent, ChartBars}, {});
    EXPECT_EQ(analysis.Table().RowCount(), 0);
    EXPECT_EQ(analysis.MainTotal(), 0);
    EXPECT_EQ(analysis.ComparisonTotal(), 0);
    EXPECT_TRUE(analysis.RowAmounts().empty());
}

TEST_F(AnalysisTest, TheChartTakesAtMostAThousandRows) {
    std::vector<TRowIn> rows;
    for (int i = 0; i < 1002; ++i)
        rows.push_back(Expense(kDay, "Еда", "Хлеб", QString::number(2000 - i), "руб", QString::number(i)));
    Fill(rows);
    analysis.Run({QDate(2024, 5, 1), QDate(2024, 5, 31), KindRashodNote, FormatNumber, ChartLine}, {});
    EXPECT_EQ(analysis.DataRowCount(), 1002);
    ASSERT_EQ(analysis.ChartPoints().size(), 1000u);
    EXPECT_EQ(analysis.ChartPoints().back().point, 1000);
    EXPECT_EQ(analysis.ChartPoints().back().label, "999: 1001");
}

TEST(AnalysisKinds, CaptionsAndTitles) {
    const struct {
        int kind;
        QStringList captions;
        QString title;
    } cases[] = {
        {0, {"№/цвет", "Наименование", "Расходы", "Планы", "Разница"}, "Анализ по видам расходов"},
        {1, {"№/цвет", "Наименование", "Расходы", "Планы", "Разница"}, "Анализ по наименованиям расходов"},
        {2, {"№/цвет", "Наименование", "Доходы", "Расходы", "Разница"}, "Анализ по видам доходов"},
        {3, {"№/цвет", "Наименование", "Планы", "Расходы", "Разница"}, "Анализ по планированию расходов"},
        {4, {"№/цвет", "Наименование", "Планы"}, "Анализ по планированию доходов"},
        {5, {"№/цвет", "Наименование", "Сумма"}, "Анализ по примечанию в таблице расходов"},
        {6, {"№/цвет", "Наименование", "Сумма"}, "Анализ по примечанию в таблице доходов"},
        {7, {"№/цвет", "Наименование", "Сумма"}, "Анализ по примечанию в таблице планирования расходов"},
        {8, {"№/цвет", "Наименование", "Сумма"}, "Анализ по примечанию в таблице планирования доходов"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TAnalysis::Captions(c.kind), c.captions) << c.kind;
        EXPECT_EQ(TAnalysis::KindTitle(c.kind), c.title) << c.kind;
    }
    EXPECT_EQ(PieRefusalLines(),
              (QStringList{"Круговая диаграмма не поддерживается", "для отрицательных значений.",
                           "Выберите другой вид диаграммы."}));
}

TEST(NameSelection, BoxesOfKindsAndNames) {
    TMemTable kinds;
    kinds.AddRow()->SetCells({"Еда", "Хлеб", "Молоко"});
    kinds.AddRow()->SetCells({"Дом"});
    TNameSelection s = TNameSelection::AllChecked(kinds);
    EXPECT_FALSE(s.applies);
    EXPECT_EQ(s.kinds, (std::vector<bool>{true, true}));
    EXPECT_EQ(s.names, (std::vector<std::vector<bool>>{{true, true}, {}}));
    s.SetKind(0, false);
    EXPECT_EQ(s.names[0], (std::vector<bool>{false, false}));
    s.SetName(0, 1, true);
    EXPECT_TRUE(s.NameChecked(0, 1));
    EXPECT_FALSE(s.NameChecked(0, 0));
    EXPECT_FALSE(s.NameChecked(0, 2));
    EXPECT_FALSE(s.NameChecked(5, 0));
    s.SetAll(true);
    EXPECT_EQ(s.kinds, (std::vector<bool>{true, true}));
    EXPECT_EQ(s.names[0], (std::vector<bool>{true, true}));
}

} // namespace

// What the grid shows of the result: no number on a row without an amount, red differences below zero,
// the pie's colours only where there is an amount.
TEST_F(AnalysisTest, TheGridsLookOfTheResult) {
    Fill({Expense(kDay, "Еда", "Хлеб", "120"), Plan(kDay, "Еда", "Хлеб", "100"),
          Plan(kDay, "Дом", "Свет", "8")});
    for (const int format : {int(FormatNumber), int(FormatPercent)}) {
        SCOPED_TRACE(format);
        analysis.Run({QDate(2024, 5, 1), QDate(2024, 5, 31), KindRashodByKind, format, ChartPie}, {});
        ASSERT_EQ(analysis.DataRowCount(), 2);
        const bool percent = format == FormatPercent;
        EXPECT_EQ(analysis.ShownCell(0, 0), "1");
        EXPECT_EQ(analysis.ShownCell(1, 0), percent ? "2" : "");
        EXPECT_EQ(analysis.ShownCell(1, 2), percent ? "0%" : "0");
        EXPECT_EQ(analysis.ShownCell(2, 0), " ");
        EXPECT_FALSE(analysis.IsTotalRow(1));
        EXPECT_TRUE(analysis.IsTotalRow(2));
        EXPECT_TRUE(analysis.TakesSliceColour(0));
        EXPECT_FALSE(analysis.TakesSliceColour(1));
        EXPECT_FALSE(analysis.TakesSliceColour(2));
        // Number format: -20 and the total 108 - 120; percent: 120 %, 0 % and 111 %.
        EXPECT_EQ(analysis.CellInRed(0, 4), !percent);
        EXPECT_FALSE(analysis.CellInRed(1, 4));
        EXPECT_EQ(analysis.CellInRed(2, 4), !percent);
        EXPECT_FALSE(analysis.CellInRed(0, 2));
    }
    EXPECT_EQ(analysis.ShownCell(5, 0), "");
}

TEST(AnalysisSettings, StoredByTheTextsOfTheLists) {
    const QDate today(2024, 5, 15);
    TAnalysisSettings current;
    current.kind = KindDohodByKind;
    current.format = FormatPercent;
    current.chart = ChartLine;
    // Nothing stored: the last thirty days and the current choices.
    TAnalysisSettings s = RestoreAnalysisSettings(TBaseSettings(), current, today);
    EXPECT_EQ(s.start, QDate(2024, 4, 15));
    EXPECT_EQ(s.end, today);
    EXPECT_EQ(s.kind, int(KindDohodByKind));
    EXPECT_EQ(s.format, int(FormatPercent));
    EXPECT_EQ(s.chart, int(ChartLine));

    TBaseSettings stored;
    StoreAnalysisSettings({QDate(2024, 1, 2), QDate(2024, 3, 4), KindPlanDohodNote, FormatNumber, ChartBars},
                          stored);
    EXPECT_EQ(stored.analisFrom, QString("02.01.2024"));
    EXPECT_EQ(stored.analisTo, QString("04.03.2024"));
    EXPECT_EQ(stored.analisVid, QString("По примечанию в планах доходов"));
    EXPECT_EQ(stored.analisFormat, QString("Числовой"));
    EXPECT_EQ(stored.analisChart, QString("Прямоугольная"));
    s = RestoreAnalysisSettings(stored, current, today);
    EXPECT_EQ(s.start, QDate(2024, 1, 2));
    EXPECT_EQ(s.end, QDate(2024, 3, 4));
    EXPECT_EQ(s.kind, int(KindPlanDohodNote));
    EXPECT_EQ(s.format, int(FormatNumber));
    EXPECT_EQ(s.chart, int(ChartBars));

    // A text not in its list selects the first entry.
    stored.analisVid = "Видам";
    stored.analisChart = "";
    stored.analisFrom = "вчера";
    s = RestoreAnalysisSettings(stored, current, today);
    EXPECT_EQ(s.kind, int(KindRashodByKind));
    EXPECT_EQ(s.chart, int(ChartPie));
    EXPECT_EQ(s.start, QDate(2024, 4, 15));
    EXPECT_EQ(AnalysisKindNames().size(), int(AnalysisKindCount));
    EXPECT_EQ(AnalysisFormatNames(), QStringList({"Числовой", "Процентный"}));
    EXPECT_EQ(AnalysisChartNames(), QStringList({"Круговая", "Прямоугольная", "Линейная"}));
}
