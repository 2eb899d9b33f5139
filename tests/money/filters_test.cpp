#include "money/tfilters.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "storage/textrules.h"
#include "storage/tsettingsfiles.h"

#include "testfolders.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QString D(QDate d) {
    return d.toString("dd.MM.yyyy");
}

// A base with three purses (rate 1, 2 and 90) and tables filled per test; today is fixed.
class Filters : public ::testing::Test {
protected:
    Filters() {
        state.Table(TTableKind::Purse).AddRow()->SetCells({"рубль", "1", "0", "1"});
        state.Table(TTableKind::Purse).AddRow()->SetCells({"карта", "2", "0", "0"});
        state.Table(TTableKind::Purse).AddRow()->SetCells({"доллар", "90", "0", "0"});
        filters.onChanged = [this](TTableKind) { ++changes; };
    }

    // The rows, then the new-record row the loader appends, every row shown.
    void Fill(TTableKind kind, const std::vector<QStringList>& rows) {
        TMemTable& t = state.Table(kind);
        t.Clear();
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        TBaseLoader::AppendNewRecordRow(state, state.Grid(kind));
        state.Grid(kind).ResetRowMap();
    }
    // An expense: date, kind, name, sum, purse, note, user.
    static QStringList Expense(QDate date, const QString& sum, const QString& purse = "рубль",
                               const QString& kind = "Продукты", const QString& name = "Хлеб",
                               const QString& user = "Мама") {
        return {date.isNull() ? QString() : D(date), kind, name, sum, purse, "", user};
    }

    // The given column of every grid row under the caption.
    QStringList Column(TTableKind kind, int col) const {
        const TDataGrid& g = const_cast<TMyType&>(state).Grid(kind);
        QStringList out;
        for (int r = 1; r < g.GridRowCount(); ++r)
            out << (g.RowAt(r) ? g.RowAt(r)->Cell(col) : QString("<none>"));
        return out;
    }
    static QStringList PerPurse(const TMemTable& t) {
        QStringList out;
        for (int i = 0; i < t.RowCount(); ++i)
            out << t.Row(i)->Cells().join('|');
        return out;
    }
    TDataGrid& Grid(TTableKind kind) { return state.Grid(kind); }

    QDate today{2024, 3, 13};
    TTodayOverride m_today{today};
    TMyType state;
    TFilters filters{state};
    int changes = 0;
};

TEST(FilterPeriods, BoundariesOfEachType) {
    struct Case {
        int type;
        QDate today, from, to;
    } const cases[] = {
        {filtertype::Today, {2024, 3, 13}, {2024, 3, 13}, {2024, 3, 13}},
        {filtertype::Week, {2024, 3, 10}, {2024, 3, 4}, {2024, 3, 10}}, // a Sunday: the six days before
        {filtertype::Week, {2024, 3, 4}, {2024, 3, 4}, {2024, 3, 10}},  // a Monday: the six days after
        {filtertype::Week, {2024, 1, 3}, {2024, 1, 1}, {2024, 1, 7}},
        {filtertype::Week, {2023, 12, 31}, {2023, 12, 25}, {2023, 12, 31}},
        {filtertype::Last7Days, {2024, 3, 1}, {2024, 2, 24}, {2024, 3, 1}},
        {filtertype::Month, {2024, 2, 13}, {2024, 2, 1}, {2024, 2, 29}},
        {filtertype::Month, {2023, 12, 31}, {2023, 12, 1}, {2023, 12, 31}},
        {filtertype::Last30Days, {2024, 3, 13}, {2024, 2, 13}, {2024, 3, 13}}, // today and 29 days before
    };
    for (const Case& c : cases) {
        const auto p = PeriodBounds(c.type, c.today);
        ASSERT_TRUE(p.has_value()) << c.type;
        EXPECT_EQ(p->from, c.from) << c.type << " " << D(c.today).toStdString();
        EXPECT_EQ(p->to, c.to) << c.type << " " << D(c.today).toStdString();
    }
    EXPECT_FALSE(PeriodBounds(filtertype::None, QDate(2024, 3, 13)));
    EXPECT_FALSE(PeriodBounds(filtertype::Custom, QDate(2024, 3, 13)));
}

TEST(FilterTexts, TitlesAndRadioItems) {
    EXPECT_EQ(FilterRadioItems(), QStringList({"Нет", "Сегодня", "Текущая неделя", "Последние 7 дней",
                                               "Текущий месяц", "Последние 30 дней", "Настраиваемый"}));
    struct Case {
        TTableKind kind;
        int type;
        const char* title;
    } const cases[] = {
        {TTableKind::Rashod, 0, "Таблица расходов"},
        {TTableKind::Dohod, 1, "Таблица доходов  Фильтр : Сегодня"},
        {TTableKind::Dolg, 5, "Таблица долгов  Фильтр : 30 дней"},
        {TTableKind::PlanRashod, 6, "Таблица планов  Фильтр : Настраиваемый"},
        {TTableKind::PlanDohod, 2, "Таблица планов  Фильтр : Текущая неделя"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterPageTitle(c.kind, c.type), QString(c.title));
}

// Each radio choice on expenses dated around a fixed today: which dates stay listed.
TEST(FilterChoice, PeriodsShowTheirDays) {
    struct Case {
        QDate today;
        int type;
        std::vector<int> offsets; // record dates as days from today
        QStringList shown;        // the dates listed, the new-record row's last
    };
    const QDate sunday(2024, 3, 10), monday(2024, 3, 4), wed(2024, 3, 13);
    const Case cases[] = {
        {wed, filtertype::Today, {-1, 0, 0, 1}, {D(wed), D(wed), D(wed)}},
        {sunday, filtertype::Week, {-7, -6, 0, 1}, {D(sunday.addDays(-6)), D(sunday), D(sunday)}},
        {monday, filtertype::Week, {-1, 0, 6, 7}, {D(monday), D(monday.addDays(6)), D(monday)}},
        {wed, filtertype::Last30Days, {-30, -29, 0, 1}, {D(wed.addDays(-29)), D(wed), D(wed)}},
    };
    for (const Case& c : cases) {
        TTodayOverride fixed(c.today);
        TMyType st;
        TFilters f(st);
        st.Grid(TTableKind::Rashod).DefaultDate = c.today;
        TMemTable& t = st.Table(TTableKind::Rashod);
        for (int off : c.offsets)
            t.AddRow()->SetCells({D(c.today.addDays(off)), "Продукты", "Хлеб", "10", "рубль", "", "Мама"});
        TBaseLoader::AppendNewRecordRow(st, st.Grid(TTableKind::Rashod));
        st.Grid(TTableKind::Rashod).ResetRowMap();
        st.current = &st.Grid(TTableKind::Rashod);
        const TFilterChoiceResult r = f.ChooseFilter(c.type);
        EXPECT_EQ(r.action, TFilterChoiceAction::Done);
        EXPECT_TRUE(r.clearSearch);
        EXPECT_EQ(r.checkedItem, c.type);
        QStringList dates;
        const TDataGrid& g = st.Grid(TTableKind::Rashod);
        for (int row = 1; row < g.GridRowCount(); ++row)
            dates << g.RowAt(row)->Cell(0);
        EXPECT_EQ(dates, c.shown) << "type " << c.type << " on " << D(c.today).toStdString();
        EXPECT_EQ(g.filterChoice, c.type);
        EXPECT_TRUE(g.filterActive);
    }
}

TEST_F(Filters, TodayListsOnlyTodaysRecordsWithTheirPerPurseSums) {
    Fill(TTableKind::Rashod, {Expense(today.addDays(-1), "500"), Expense(today, "100"),
                              Expense(today, "12,5", "карта"), Expense(today, "7", "кошелек, которого нет"),
                              Expense(QDate(), "1000"), Expense(today.addDays(1), "3", "доллар")});
    filters.ApplyPeriod(TTableKind::Rashod, today, today);
    const TDataGrid& g = Grid(TTableKind::Rashod);
    EXPECT_EQ(Column(TTableKind::Rashod, 3), QStringList({"100", "12,5", "7", ""}));
    // The new-record row follows the complete records and maps to the table's last row.
    EXPECT_EQ(g.RowMap.back(), state.Table(TTableKind::Rashod).RowCount());
    EXPECT_EQ(PerPurse(g.filteredPerPurse), QStringList({"рубль|1|100", "карта|2|12,5", "доллар|90|0"}));
    EXPECT_EQ(double(g.filteredTotal), 125.0); // the unknown purse counts with rate 0
    EXPECT_TRUE(g.filterActive);
    EXPECT_EQ(changes, 1);

    // A record without a date stays hidden whatever the period.
    filters.ApplyPeriod(TTableKind::Rashod, QDate(1900, 1, 1), QDate(2100, 1, 1));
    EXPECT_FALSE(Column(TTableKind::Rashod, 3).contains("1000"));
}

TEST_F(Filters, NoNewRecordRowFollowsAnIncompleteListedRecord) {
    Fill(TTableKind::Rashod, {Expense(today, "5"), Expense(today, "", "рубль", "Продукты", "")});
    filters.ApplyPeriod(TTableKind::Rashod, today, today);
    EXPECT_EQ(Column(TTableKind::Rashod, 1), QStringList({"Продукты", "Продукты"}));

    // A complete last row gets a fresh new-record row, dated by default.
    Fill(TTableKind::Rashod, {Expense(today, "5")});
    state.Table(TTableKind::Rashod).DeleteRow(1);
    filters.ApplyPeriod(TTableKind::Rashod, today, today);
    EXPECT_EQ(state.Table(TTableKind::Rashod).RowCount(), 2);
    EXPECT_EQ(Column(TTableKind::Rashod, 3), QStringList({"5", ""}));
    EXPECT_EQ(Column(TTableKind::Rashod, 0), QStringList({D(today), D(today)}));
}

TEST_F(Filters, CustomCriteria) {
    Fill(TTableKind::Rashod,
         {Expense(today, "99,99"), Expense(today, "100"), Expense(today, "150", "карта"),
          Expense(today, "200"), Expense(today, "200,01"), Expense(today.addDays(-3), "150"),
          Expense(today, "0"), Expense(today, "150", "рубль", "Продукты и вода"),
          Expense(today, "150", "рубль", "ПРОДУКТЫ", "Хлеб", "Папа")});
    struct Case {
        const char* what;
        TFilterDialogFields fields;
        QStringList sums;
    };
    auto fields = [&](QString s0, QString s1, QString kind = "", QString user = "", QString purse = "") {
        TFilterDialogFields f;
        f.from = today;
        f.to = today;
        f.sumFrom = s0;
        f.sumTo = s1;
        f.kind = kind;
        f.user = user;
        f.purse = purse;
        return f;
    };
    const Case cases[] = {
        // A lower-case kind matches the capitalised word, not the word followed by more text.
        {"both -1: dates and texts only",
         fields("-1", "-1", "продукты"),
         {"99,99", "100", "150", "200", "200,01", "0", "150", ""}},
        {"100 to 200 inclusive", fields("100", "200", "продукты"), {"100", "150", "200", "150", ""}},
        {"-1 alone is an ordinary bound", fields("-1", "100", "продукты"), {"99,99", "100", "0", ""}},
        {"an empty sum reads as 0", fields("", "-1", "продукты"), {""}},
        {"unparsable reads as 0", fields("abc", "0"), {"0", ""}},
        {"user and purse", fields("-1", "-1", "", "папа", "РУБЛЬ"), {"150", ""}},
    };
    for (const Case& c : cases) {
        filters.AcceptDialog(TTableKind::Rashod, c.fields);
        EXPECT_EQ(Column(TTableKind::Rashod, 3), c.sums) << c.what;
    }
}

TEST_F(Filters, DialogOpensResetAndItsOutcomes) {
    struct Case {
        TTableKind kind;
        const char* kindLabel;
        const char* nameLabel;
        bool nameVisible;
    } const cases[] = {
        {TTableKind::Rashod, "Вид расхода", "Название расхода", true},
        {TTableKind::Dohod, "Вид дохода", "Название расхода", false},
        {TTableKind::Dolg, "Категория", "Дебитор/Кредитор", true},
        {TTableKind::PlanRashod, "Вид расхода", "Название расхода", true},
        {TTableKind::PlanDohod, "Вид дохода", "Название расхода", false},
    };
    for (const Case& c : cases) {
        const TFilterDialogSetup s = TFilters::DialogSetup(c.kind);
        EXPECT_EQ(s.kindLabel, QString(c.kindLabel));
        EXPECT_EQ(s.nameLabel, QString(c.nameLabel));
        EXPECT_EQ(s.nameVisible, c.nameVisible);
        EXPECT_EQ(s.fields.from, today);
        EXPECT_EQ(s.fields.to, today);
        EXPECT_EQ(s.fields.sumFrom, "-1");
        EXPECT_EQ(s.fields.sumTo, "-1");
        EXPECT_TRUE(s.fields.kind.isEmpty() && s.fields.name.isEmpty() && s.fields.purse.isEmpty() &&
                    s.fields.user.isEmpty());
    }

    Fill(TTableKind::Dohod, {{D(today), "Зарплата", "100", "рубль", "", "Мама"}});
    state.current = &Grid(TTableKind::Dohod);
    const TFilterChoiceResult chosen = filters.ChooseFilter(filtertype::Custom);
    EXPECT_EQ(chosen.action, TFilterChoiceAction::OpenDialog);
    EXPECT_EQ(Grid(TTableKind::Dohod).filterChoice, filtertype::Custom);

    TFilterDialogFields f = TFilters::DialogSetup(TTableKind::Dohod).fields;
    f.user = "Мама";
    EXPECT_EQ(filters.AcceptDialog(TTableKind::Dohod, f), "Таблица доходов  Фильтр : Настраиваемый");
    EXPECT_EQ(Grid(TTableKind::Dohod).criteria.user, "Мама");
    EXPECT_EQ(Grid(TTableKind::Dohod).criteria.sumFrom, -1.0L);
    EXPECT_TRUE(Grid(TTableKind::Dohod).filterActive);

    const TFilterChoiceResult cancelled = filters.CancelDialog(TTableKind::Dohod);
    EXPECT_EQ(cancelled.title, "Таблица доходов");
    EXPECT_EQ(cancelled.checkedItem, 0);
    EXPECT_EQ(Grid(TTableKind::Dohod).filterChoice, 0);
    EXPECT_FALSE(Grid(TTableKind::Dohod).filterActive);
    EXPECT_TRUE(Grid(TTableKind::Dohod).criteria.IsEmpty());

    // On the debt returns grid a choice only sends the focus to the debts.
    Grid(TTableKind::Dolg).filterChoice = filtertype::Today;
    state.current = &Grid(TTableKind::Returns);
    const TFilterChoiceResult onReturns = filters.ChooseFilter(filtertype::Week);
    EXPECT_EQ(onReturns.action, TFilterChoiceAction::FocusDebtGrid);
    EXPECT_EQ(Grid(TTableKind::Dolg).filterChoice, filtertype::Today);
}

TEST_F(Filters, DebtsSplitLentAndBorrowed) {
    // Category, date, term, person, sum, purse, note, in purse, user.
    Fill(TTableKind::Dolg,
         {{"дано в долг", D(today), D(today), "Брат", "100", "карта", "", "отображать", "Мама"},
          {"взято в долг", D(today), D(today), "Сосед", "30", "карта", "", "отображать", "Мама"},
          {"дано в долг", D(today), D(today), "Сосед", "5", "рубль", "", "отображать", "Мама"}});
    filters.ApplyPeriod(TTableKind::Dolg, today, today);
    const TDataGrid& g = Grid(TTableKind::Dolg);
    EXPECT_EQ(PerPurse(g.filteredPerPurse), QStringList({"рубль|1|5", "карта|2|100", "доллар|90|0"}));
    EXPECT_EQ(PerPurse(g.filteredBorrowedPerPurse), QStringList({"рубль|1|0", "карта|2|30", "доллар|90|0"}));
    EXPECT_EQ(double(g.filteredTotal), 265.0);
    EXPECT_EQ(double(g.filteredLentTotal), 205.0);

    // A change of kind moves the debt from lent to borrowed.
    filters.RecordChanged(TTableKind::Dolg, 0, {"100", "карта", "дано в долг"},
                          {"100", "карта", "взято в долг"});
    EXPECT_EQ(PerPurse(g.filteredPerPurse).value(1), "карта|2|0");
    EXPECT_EQ(PerPurse(g.filteredBorrowedPerPurse).value(1), "карта|2|130");
    EXPECT_EQ(double(g.filteredLentTotal), 5.0);
    EXPECT_EQ(double(g.filteredTotal), 265.0);
}

TEST_F(Filters, FilteredTotalsFollowRecordChanges) {
    Fill(TTableKind::Rashod,
         {Expense(today, "100"), Expense(today.addDays(-1), "40"), Expense(today, "10", "карта")});
    filters.ApplyPeriod(TTableKind::Rashod, today, today);
    const TDataGrid& g = Grid(TTableKind::Rashod);
    ASSERT_EQ(double(g.filteredTotal), 120.0);

    // A listed record's new sum, then its new purse.
    filters.RecordChanged(TTableKind::Rashod, 0, {"100", "рубль", ""}, {"150", "рубль", ""});
    EXPECT_EQ(PerPurse(g.filteredPerPurse).value(0), "рубль|1|150");
    EXPECT_EQ(double(g.filteredTotal), 170.0);
    filters.RecordChanged(TTableKind::Rashod, 0, {"150", "рубль", ""}, {"150", "доллар", ""});
    EXPECT_EQ(PerPurse(g.filteredPerPurse), QStringList({"рубль|1|0", "карта|2|10", "доллар|90|150"}));
    EXPECT_EQ(double(g.filteredTotal), 13520.0);

    // A hidden record changes nothing; a deleted listed one takes its part out.
    filters.RecordChanged(TTableKind::Rashod, 1, {"40", "рубль", ""}, {"4000", "рубль", ""});
    EXPECT_EQ(double(g.filteredTotal), 13520.0);
    filters.RecordRemoved(TTableKind::Rashod, 2);
    EXPECT_EQ(PerPurse(g.filteredPerPurse).value(1), "карта|2|0");
    EXPECT_EQ(double(g.filteredTotal), 13500.0);

    // Typing into the listed new-record row counts, and nothing moves without a filter.
    const int newRow = state.Table(TTableKind::Rashod).RowCount() - 1;
    filters.RecordChanged(TTableKind::Rashod, newRow, {"", "", ""}, {"1", "рубль", ""});
    EXPECT_EQ(double(g.filteredTotal), 13501.0);
    filters.RemoveFilter(TTableKind::Rashod, true);
    filters.RecordChanged(TTableKind::Rashod, 0, {"150", "доллар", ""}, {"1", "доллар", ""});
    EXPECT_EQ(double(g.filteredTotal), 0.0);
}

TEST_F(Filters, RemoveFilterDropsIncompleteRecordsAndResets) {
    Fill(TTableKind::Rashod, {Expense(today, "100"), Expense(today, "", "", "Продукты", ""),
                              Expense(today, "20", "рубль", "Продукты", "")});
    TMemTable& t = state.Table(TTableKind::Rashod);
    t.Row(3)->SetCells(Expense(QDate(), "", "", "Дом", "")); // the last row, being typed
    filters.ApplyPeriod(TTableKind::Rashod, today, today);
    changes = 0;

    Grid(TTableKind::Rashod).DefaultDate = today.addDays(-2);
    filters.RemoveFilter(TTableKind::Rashod, true);
    // The incomplete record without a sum is gone; the one carrying 20 stays; the last row stays.
    EXPECT_EQ(Column(TTableKind::Rashod, 3), QStringList({"100", "20", ""}));
    EXPECT_EQ(Column(TTableKind::Rashod, 1), QStringList({"Продукты", "Продукты", "Дом"}));
    const TDataGrid& g = Grid(TTableKind::Rashod);
    EXPECT_FALSE(g.filterActive);
    EXPECT_EQ(double(g.filteredTotal), 0.0);
    EXPECT_EQ(PerPurse(g.filteredPerPurse), QStringList({"рубль|1|0", "карта|2|0", "доллар|90|0"}));
    EXPECT_EQ(changes, 1);

    // An empty last row gets the default date; a complete one gets a new row after it.
    t.Row(2)->SetCells(QStringList(7, QString()));
    filters.RemoveFilter(TTableKind::Rashod, false);
    EXPECT_EQ(t.Row(2)->Cell(0), D(today.addDays(-2)));
    EXPECT_EQ(changes, 1);

    Fill(TTableKind::Dolg,
         {{"дано в долг", D(today), "", "Брат", "", "", "", "", ""},
          {"дано в долг", D(today), D(today), "Брат", "5", "рубль", "", "отображать", "Мама"}});
    state.Table(TTableKind::Dolg).DeleteRow(2);
    filters.RemoveFilter(TTableKind::Dolg, true);
    EXPECT_EQ(Column(TTableKind::Dolg, 4), QStringList({"5", ""}));
    EXPECT_EQ(PerPurse(Grid(TTableKind::Dolg).filteredBorrowedPerPurse),
              QStringList({"рубль|1|0", "карта|2|0", "доллар|90|0"}));
}

// Removing a filter reads again only the rows that changed since it was last removed: a row that became
// incomplete meanwhile, wherever it stands, goes as surely as on the first removal, and so does a debt
// that stayed only for returns that are gone since.
TEST_F(Filters, RemovingAgainSeesEveryChangeSinceTheLastRemoval) {
    Fill(TTableKind::Rashod, {Expense(today, "1"), Expense(today, "2"), Expense(today, "3"),
                              Expense(today, "4"), Expense(today, "5")});
    TMemTable& t = state.Table(TTableKind::Rashod);
    state.current = &Grid(TTableKind::Rashod);
    const QStringList incomplete = Expense(today, "", "", "Продукты", "");
    struct Step {
        const char* what;
        std::function<void()> change;
        QStringList sums; // the sums of the rows after the next removal, the new-record row last
    } const steps[] = {
        {"nothing changed", [] {}, {"1", "2", "3", "4", "5", ""}},
        {"a row emptied in place", [&] { t.Row(1)->SetCells(incomplete); }, {"1", "3", "4", "5", ""}},
        {"rows moved, then one emptied",
         [&] {
             t.Reorder({3, 2, 1, 0, 4});
             t.Row(0)->SetCell(2, "");
             t.Row(0)->SetCell(3, "");
         },
         {"4", "3", "1", ""}},
        {"several incomplete rows between others",
         [&] {
             for (int at : {3, 2, 0})
                 t.InsertRow(at)->SetCells(incomplete);
         },
         {"4", "3", "1", ""}},
        {"a row given a sum while incomplete stays",
         [&] {
             t.InsertRow(1)->SetCells(incomplete);
             t.Row(1)->SetCell(3, "7");
         },
         {"4", "7", "3", "1", ""}},
    };
    for (const Step& step : steps) {
        step.change();
        // The window's way: the choice removes the old filter over every record, then applies the new one.
        filters.ChooseFilter(filtertype::Today);
        filters.ChooseFilter(filtertype::None);
        EXPECT_EQ(Column(TTableKind::Rashod, 3), step.sums) << step.what;
    }

    // The empty last row already holding the default date is left as it is: nothing is there to save.
    Grid(TTableKind::Rashod).DefaultDate = today;
    filters.ChooseFilter(filtertype::None);
    EXPECT_EQ(t.Row(t.RowCount() - 1)->Cell(0), D(today));
    t.MarkUnmodified();
    filters.ChooseFilter(filtertype::Today);
    filters.ChooseFilter(filtertype::None);
    EXPECT_FALSE(t.Modified());

    // A debt without a person and a sum stays while it has returns, and goes once they are gone.
    Fill(TTableKind::Dolg, {{"дано в долг", D(today), "", "Брат", "5", "рубль", "", "", "Мама", "3"},
                            {"дано в долг", D(today), "", "", "", "", "", "", "Мама", "4"}});
    state.ReturnsTable(4).AddRow()->SetCells({D(today), "2", "рубль", "Мама"});
    filters.RemoveFilter(TTableKind::Dolg, false);
    EXPECT_EQ(state.Table(TTableKind::Dolg).RowCount(), 3);
    filters.RemoveFilter(TTableKind::Dolg, false);
    EXPECT_EQ(state.Table(TTableKind::Dolg).RowCount(), 3);
    state.ReturnsTable(4).Clear();
    filters.RemoveFilter(TTableKind::Dolg, false);
    EXPECT_EQ(Column(TTableKind::Dolg, 4), QStringList({"5", ""}));
}

// A period reads each record's date from the cell's bytes: every form of date the cells can hold gives
// the same list as the date read from the cell's text.
TEST_F(Filters, PeriodReadsEveryFormOfDate) {
    const QStringList dates = {D(today),
                               "13/03/2024",
                               "2024-03-13",
                               "13.3.24",
                               " " + D(today),
                               "13.03.24",
                               "nil",
                               "",
                               "  ",
                               "31.02.2024",
                               "13.03.2024 ",
                               "١٣.03.2024",
                               "13.03.2024г",
                               "00.00.0000",
                               D(today.addDays(-1)),
                               "12.03.2024"};
    std::vector<QStringList> rows;
    for (const QString& d : dates)
        rows.push_back({d, "Продукты", "Хлеб", "1", "рубль", d, "Мама"});
    Fill(TTableKind::Rashod, rows);
    for (const auto& [from, to] : {std::pair{today, today}, std::pair{today.addDays(-1), today}}) {
        filters.ApplyPeriod(TTableKind::Rashod, from, to);
        QStringList expected;
        for (const QString& d : dates)
            if (IsNotBlank(d) && ParseCellDate(d) >= DateFromQDate(from) &&
                ParseCellDate(d) <= DateFromQDate(to))
                expected << d;
        expected << QString(); // the new-record row
        EXPECT_EQ(Column(TTableKind::Rashod, 5), expected) << D(from).toStdString();
    }
}

TEST_F(Filters, ReapplyUsesTodayAndTheStoredCriteria) {
    Fill(TTableKind::PlanRashod,
         {{"Продукты", "Хлеб", D(today), D(today.addDays(30)), "10", "рубль", "", "Мама"},
          {"Дом", "Мебель", D(today.addDays(-40)), D(today), "20", "рубль", "", "Мама"}});
    Grid(TTableKind::PlanRashod).filterChoice = filtertype::Last30Days;
    filters.ReapplyFilter(TTableKind::PlanRashod);
    EXPECT_EQ(Column(TTableKind::PlanRashod, 4), QStringList({"10", ""}));

    TFilterCriteria c;
    c.kind = "дом";
    Grid(TTableKind::PlanRashod).criteria = c;
    Grid(TTableKind::PlanRashod).filterChoice = filtertype::Custom;
    filters.ReapplyFilter(TTableKind::PlanRashod);
    EXPECT_EQ(Column(TTableKind::PlanRashod, 4), QStringList({"20", ""}));
}

TEST_F(Filters, SettingsRoundTrip) {
    TTestDataHome home;
    Fill(TTableKind::Rashod, {Expense(today, "1", "рубль", "Продукты", "Хлеб", "Мама"),
                              Expense(today.addDays(-400), "2", "рубль", "Продукты", "Хлеб", "Папа")});
    TFilterCriteria onlyUser;
    onlyUser.user = "Мама";
    Grid(TTableKind::Rashod).criteria = onlyUser;
    Grid(TTableKind::Rashod).filterChoice = filtertype::Custom;
    TFilterCriteria full;
    full.from = QDate(2024, 1, 1);
    full.to = QDate(2024, 1, 31);
    full.sumFrom = 12.5L;
    full.sumTo = -1;
    full.purse = "карта";
    Grid(TTableKind::Dohod).criteria = full;
    Grid(TTableKind::Dohod).filterChoice = filtertype::Custom;
    Grid(TTableKind::Dolg).filterChoice = filtertype::Custom; // no criteria: stored as no filter
    Grid(TTableKind::PlanRashod).filterChoice = filtertype::Month;

    TBaseSettings s;
    filters.StoreInSettings(s);
    EXPECT_EQ(s.filterIndex, (std::array<int, 5>{6, 6, 0, 4, 0}));
    EXPECT_EQ(s.filterFields[0], QStringList({"", "", "", "", "", "", "", "Мама"}));
    EXPECT_EQ(s.filterFields[1],
              QStringList({"01.01.2024", "31.01.2024", "12,5", "-1", "", "", "карта", ""}));
    ASSERT_TRUE(WriteBaseSettings(home.Path(), s));
    EXPECT_TRUE(ReadFileBytes(home.Path() + "/Tarnwell.ini")
                    .contains(QString("FilterRashodArray=\t\t\t\t\t\t\tМама\t\r\n").toUtf8()));

    TMyType other;
    other.Table(TTableKind::Rashod).CopyFrom(state.Table(TTableKind::Rashod));
    other.Grid(TTableKind::Rashod).ResetRowMap();
    TFilters back(other);
    back.RestoreFromSettings(ReadBaseSettings(home.Path()));
    const TDataGrid& g = other.Grid(TTableKind::Rashod);
    EXPECT_EQ(g.filterChoice, filtertype::Custom);
    EXPECT_TRUE(g.criteria.from.isNull() && g.criteria.to.isNull());
    EXPECT_FALSE(g.criteria.sumFrom || g.criteria.sumTo);
    EXPECT_EQ(g.criteria.user, "Мама");
    // Applied again: no date bound and no sum bound, only the user.
    EXPECT_TRUE(g.filterActive);
    EXPECT_EQ(g.GridRowCount(), 3);
    EXPECT_EQ(g.RowAt(1)->Cell(6), "Мама");
    const TDataGrid& d = other.Grid(TTableKind::Dohod);
    EXPECT_EQ(d.criteria.from, full.from);
    EXPECT_EQ(d.criteria.to, full.to);
    EXPECT_EQ(d.criteria.sumFrom, 12.5L);
    EXPECT_EQ(d.criteria.sumTo, -1.0L);
    EXPECT_EQ(d.criteria.purse, "карта");
    EXPECT_EQ(other.Grid(TTableKind::Dolg).filterChoice, 0);
    EXPECT_EQ(other.Grid(TTableKind::PlanRashod).filterChoice, filtertype::Month);
    EXPECT_TRUE(other.Grid(TTableKind::PlanRashod).filterActive);
}

// The fast path of the case-blind comparison gives the collator's answer for every pair of plain letters.
TEST(TextCompare, FastPathAgreesWithTheCollator) {
    QString plain;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        plain += QChar(c);
    for (char16_t c = 0x410; c <= 0x44F; ++c)
        plain += QChar(c);
    plain += QChar(0x401);
    plain += QChar(0x451);
    for (QChar a : plain)
        for (QChar b : plain) {
            const QString x(a), y(b);
            ASSERT_EQ(SameTextIgnoringCase(x, y), CollatorSameIgnoringCase(x, y))
                << int(a.unicode()) << " " << int(b.unicode());
        }
    EXPECT_TRUE(SameTextIgnoringCase("ёлка", "ЁЛКА"));
    EXPECT_FALSE(SameTextIgnoringCase("ёлка", "елка"));
    EXPECT_TRUE(SameTextIgnoringCase("Café", "CAFÉ")); // through the collator
    EXPECT_EQ(UpperText("straße ёж"), "STRASSE ЁЖ");
}

} // namespace
