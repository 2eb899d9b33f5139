#include "ledger/sortmark.h"
#include "ledger/tdatereader.h"
#include "ledger/ttablesortert.h"
#include "storage/tmemtable.h"

#include "qtprint.h"
#include "tablerows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

void Fill(TMemTable& table, const std::vector<QStringList>& rows) {
    table.Clear();
    for (const QStringList& cells : rows)
        table.AddRow()->SetCells(cells);
}

QStringList Column(const TMemTable& table, int column) {
    QStringList out;
    for (int i = 0; i < table.RowCount(); ++i)
        out << table.Row(i)->Cell(column);
    return out;
}

// Rows as (key cell, tag) so that the order of equal keys can be seen; the last row is the new row.
void FillKeyed(TMemTable& table, const std::vector<const char*>& keys) {
    std::vector<QStringList> rows;
    for (size_t i = 0; i < keys.size(); ++i)
        rows.push_back({QString::fromUtf8(keys[i]), QString::number(i)});
    rows.push_back({QStringLiteral("01.01.2000"), QStringLiteral("new")});
    Fill(table, rows);
}

TEST(SortTable, NumbersTreatEmptyDashAndUnreadableAsZeroInTheirOrder) {
    TMemTable table;
    FillKeyed(table, {"5", "", "-", "0", "-3", "abc", "2,5", " ", "10", "9"});
    TTableSortert sorter;
    sorter.Table = &table;
    sorter.Column = 0;
    sorter.Comparison = SortByNumber;
    sorter.SortTable();
    EXPECT_EQ(Column(table, 1), QStringList({"4", "1", "2", "3", "5", "7", "6", "0", "9", "8", "new"}));
    EXPECT_EQ(sorter.Positions(), (std::vector<int>{4, 1, 2, 3, 5, 7, 6, 0, 9, 8, 10}));
}

TEST(SortTable, DatesEmptyFirstNilLastAndDescendingIsTheExactReverse) {
    TTodayOverride today(QDate(2026, 3, 10));
    TMemTable table;
    FillKeyed(table, {"01.02.2013", "", "nil", "15.01.2013", "", "01.02.2013", "2013-01-20", "01.02.2013"});
    TTableSortert sorter;
    sorter.Table = &table;
    sorter.Comparison = SortByDate;
    sorter.SortTable();
    const QStringList ascending{"1", "4", "3", "6", "0", "5", "7", "2", "new"};
    EXPECT_EQ(Column(table, 1), ascending);

    sorter.Descending = true;
    sorter.SortTable();
    QStringList descending = ascending.mid(0, ascending.size() - 1);
    std::reverse(descending.begin(), descending.end());
    descending << QStringLiteral("new");
    EXPECT_EQ(Column(table, 1), descending);

    // Ascending again: equal dates keep the order they have now, the reverse of the first result.
    sorter.Descending = false;
    sorter.SortTable();
    EXPECT_EQ(Column(table, 1), QStringList({"4", "1", "3", "6", "7", "5", "0", "2", "new"}));
}

TEST(SortTable, TextByCodeUnits) {
    TMemTable table;
    FillKeyed(table, {"яблоко", "Банан", "ёж", "абрикос", "ab", "abc", "B", "a", "", "Ёлка"});
    SortTableRows(table, 0, SortByText, false);
    EXPECT_EQ(Column(table, 0), QStringList({"", "B", "a", "ab", "abc", "Ёлка", "Банан", "абрикос", "яблоко",
                                             "ёж", "01.01.2000"}));
}

// Cells as the file holds them: the keys are read from their bytes, and bytes the reader takes for
// the same text must sort as that text does (a long form of an ASCII letter, an undecodable cell that
// reads as empty, a cell too long for the short path).
TEST(SortTable, CellsSortAsTheTextTheirBytesReadAs) {
    const QByteArray longFive = QByteArray(69, '0') + "5";
    const struct {
        const char* name;
        int comparison;
        std::vector<QByteArray> keys;
        QStringList ascending; // tags of the rows; the new row stays last
    } cases[] = {
        {"text",
         SortByText,
         {"b", "\xC1\xA1", "", "\xFF", "a", "\xD0\xB1", "\xE0\x81\xA1"},
         {"2", "3", "1", "4", "6", "0", "5"}},
        {"number",
         SortByNumber,
         {"10", "\xC0\xB5", "\xFF", longFive, "5", "-1"},
         {"5", "2", "1", "3", "4", "0"}},
        {"date",
         SortByDate,
         {"02.01.2020",
          "\xC0\xB0"
          "1.01.2020",
          "01.01.2020"},
         {"1", "2", "0"}},
    };
    for (const auto& c : cases) {
        QByteArray file;
        auto addRow = [&file](const std::vector<QByteArray>& cells) {
            QByteArray row;
            memtable::AppendVarint(row, quint32(cells.size()));
            for (const QByteArray& cell : cells) {
                memtable::AppendVarint(row, quint32(cell.size()));
                row += cell;
            }
            memtable::AppendVarint(file, quint32(row.size()));
            file += row;
        };
        for (size_t i = 0; i < c.keys.size(); ++i)
            addRow({c.keys[i], QByteArray::number(qulonglong(i))});
        addRow({"", "new"});
        for (const bool descending : {false, true}) {
            TMemTable table;
            ASSERT_TRUE(table.LoadFromBytes(file)) << c.name;
            SortTableRows(table, 0, c.comparison, descending);
            QStringList expected = c.ascending;
            if (descending) std::reverse(expected.begin(), expected.end());
            expected << QStringLiteral("new");
            EXPECT_EQ(Column(table, 1), expected) << c.name << (descending ? " descending" : "");
        }
    }
}

TEST(SortTable, TheNewRowStaysLastAndSortAllMovesEveryRow) {
    TMemTable table;
    Fill(table, {{"03.01.2020"}, {"02.01.2020"}, {"01.01.2000"}});
    TTableSortert sorter;
    sorter.Table = &table;
    sorter.Comparison = SortByDate;
    sorter.SortTable();
    EXPECT_EQ(Column(table, 0), QStringList({"02.01.2020", "03.01.2020", "01.01.2000"}));
    sorter.SortAll();
    EXPECT_EQ(Column(table, 0), QStringList({"01.01.2000", "02.01.2020", "03.01.2020"}));

    TMemTable tiny;
    Fill(tiny, {{"x"}});
    SortTableRows(tiny, 0, SortByText, false);
    EXPECT_EQ(Column(tiny, 0), QStringList({"x"}));
    TMemTable empty;
    EXPECT_EQ(SortTableRows(empty, 0, SortByText, true), std::vector<int>{});
}

TEST(SortTable, ShortRowsAndCellsOnlyMode) {
    TMemTable table;
    Fill(table, {{"b", "1"}, {}, {"a", "2"}, {"c", "3"}, {"new", "4"}});
    SortTableRows(table, 0, SortByText, false);
    EXPECT_EQ(Column(table, 1), QStringList({"", "2", "1", "3", "4"}));

    Fill(table, {{"b", "1"}, {"c", "2"}, {"a", "3"}, {"new", "4"}});
    TTableSortert sorter;
    sorter.Table = &table;
    sorter.WholeRows = false;
    sorter.SortTable();
    EXPECT_EQ(Column(table, 0), QStringList({"a", "b", "c", "new"}));
    EXPECT_EQ(Column(table, 1), QStringList({"1", "2", "3", "4"}));
}

#ifdef QT_NO_DEBUG
TEST(SortTable, AnUnknownComparisonCountsRowsAsEqual) {
    TMemTable table;
    Fill(table, {{"b"}, {"a"}, {"c"}, {"new"}});
    SortTableRows(table, 0, 7, false);
    EXPECT_EQ(Column(table, 0), QStringList({"b", "a", "c", "new"}));
}
#endif

TEST(SortByColumn, DirectionAndComparisonFromTheView) {
    TMemTable table;
    Fill(table, {{"10", "b"}, {"9", "a"}, {"100", "c"}, {"", ""}});
    TSortState state{2, true};
    // Sorted by another column so far: a click on the sum starts ascending.
    SortLedgerByColumn(table, state, 0, TColumnKind::Number);
    EXPECT_TRUE(state.Ascending);
    EXPECT_EQ(Column(table, 0), QStringList({"9", "10", "100", ""}));
    SortLedgerByColumn(table, state, 0, TColumnKind::Number);
    EXPECT_FALSE(state.Ascending);
    EXPECT_EQ(Column(table, 0), QStringList({"100", "10", "9", ""}));
    SortLedgerByColumn(table, state, 1, TColumnKind::Text);
    EXPECT_TRUE(state.Ascending);
    EXPECT_EQ(state.Column, 1);
    EXPECT_EQ(Column(table, 1), QStringList({"a", "b", "c", ""}));

    EXPECT_EQ(ComparisonForColumn(TColumnKind::Date), SortByDate);
    EXPECT_EQ(ComparisonForColumn(TColumnKind::Number), SortByNumber);
    for (TColumnKind kind : {TColumnKind::Purse, TColumnKind::Category, TColumnKind::InPurse,
                             TColumnKind::User, TColumnKind::Text, TColumnKind::Kind, TColumnKind::Computed})
        EXPECT_EQ(ComparisonForColumn(kind), SortByText);
}

TEST(SortByColumn, TheSortMenu) {
    TSortState state{0, true};
    const QStringList captions{"Дата", "Вид расхода", "Сумма"};
    std::vector<TSortMenuItem> items = SortMenuItems(captions, state);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[2].Name, QStringLiteral("Name2"));
    EXPECT_EQ(items[2].Caption, QStringLiteral("Сумма"));
    EXPECT_TRUE(items[0].Checked && items[0].Radio && !items[1].Checked);
    EXPECT_EQ(items[3].Name, QStringLiteral("MySeparator"));
    EXPECT_EQ(items[4].Name, QStringLiteral("MyReturn"));
    EXPECT_EQ(items[4].Caption, QStringLiteral("В обратном порядке"));
    EXPECT_FALSE(items[4].Checked);

    // "В обратном порядке" sorts by the checked column again; twice returns to the first direction.
    EXPECT_EQ(SortMenuColumn(QStringLiteral("Name2"), state), 2);
    EXPECT_EQ(SortMenuColumn(QStringLiteral("MySeparator"), state), -1);
    ChooseSortColumn(state, SortMenuColumn(QStringLiteral("MyReturn"), state));
    EXPECT_TRUE(SortMenuItems(captions, state)[4].Checked);
    ChooseSortColumn(state, SortMenuColumn(QStringLiteral("MyReturn"), state));
    EXPECT_TRUE(state.Ascending);
    EXPECT_EQ(state.Column, 0);
}

// The reference order for one edited row: a full sort for ascending; for descending, the order of
// the other rows kept as it is with equal keys (a stable descending sort).
struct KeyOf {
    int comparison;
    int Compare(const QString& a, const QString& b) const {
        if (comparison == SortByDate)
            return (ParseCellDate(a) > ParseCellDate(b)) - (ParseCellDate(a) < ParseCellDate(b));
        if (comparison == SortByNumber)
            return (NumberSortKey(a) > NumberSortKey(b)) - (NumberSortKey(a) < NumberSortKey(b));
        return CompareText(a, b);
    }
};

std::vector<QStringList> ReferenceOrder(std::vector<QStringList> rows, int column, int comparison,
                                        bool descending) {
    const QStringList last = rows.back();
    rows.pop_back();
    const KeyOf key{comparison};
    std::stable_sort(rows.begin(), rows.end(), [&](const QStringList& a, const QStringList& b) {
        const int c = key.Compare(a.value(column), b.value(column));
        return descending ? c > 0 : c < 0;
    });
    rows.push_back(last);
    return rows;
}

QString RandomCell(std::mt19937& rng, int comparison) {
    if (comparison == SortByDate) {
        if (rng() % 20 == 0) return rng() % 2 ? QString() : QStringLiteral("nil");
        return FormatDate(DateFromYmd(2020, 1, 1) + int(rng() % 40));
    }
    if (comparison == SortByNumber) {
        if (rng() % 20 == 0) return rng() % 2 ? QStringLiteral("-") : QString();
        return QString::number(int(rng() % 30) - 10) + (rng() % 2 ? QStringLiteral(",5") : QString());
    }
    static const QStringList words{"Еда", "еда", "Транспорт", "ёлка", "", "Банан", "абрикос", "я", "Еда2"};
    return words[int(rng() % words.size())];
}

TEST(ResortRow, GivesTheOrderOfAFullSortOnRandomData) {
    TTodayOverride today(QDate(2026, 3, 10));
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 600; ++trial) {
        const int comparison = trial % 3;
        const bool descending = trial % 2;
        const int n = 1 + int(rng() % 40);
        TMemTable table;
        std::vector<QStringList> rows;
        for (int i = 0; i < n; ++i)
            rows.push_back({RandomCell(rng, comparison), QString::number(i)});
        rows.push_back({RandomCell(rng, comparison), QStringLiteral("new")});
        Fill(table, rows);
        SortTableRows(table, 0, comparison, descending);

        const int limit = table.RowCount() - 1;
        const int row = int(rng() % limit);
        table.Row(row)->SetCell(0, RandomCell(rng, comparison));
        const QString tag = table.Row(row)->Cell(1);
        const std::vector<QStringList> expected = ReferenceOrder(Rows(table), 0, comparison, descending);
        TMemTable full;
        Fill(full, Rows(table));
        SortTableRows(full, 0, comparison, descending);

        const int moved = ResortRow(table, row, 0, comparison, descending);
        ASSERT_EQ(Rows(table), expected) << "trial " << trial;
        ASSERT_EQ(table.Row(moved)->Cell(1), tag);
        if (!descending) {
            // Ascending, the full sort itself gives the very same order.
            ASSERT_EQ(Rows(full), Rows(table)) << "trial " << trial;
        }
    }
}

// Keys from every corner: wide date spans, signs, zeros, exponents, texts beyond the first code units.
QString WildCell(std::mt19937& rng, int comparison) {
    static const QStringList dates{"",           "nil",        "01.01.0001", "31.12.9999",
                                   "30.12.1899", "15.03",      "1.2.80",     "2013-02-01",
                                   "garbage",    "29.02.2024", "01.03.2024", "28.02.2024"};
    static const QStringList numbers{"",       " ",       "-",       "0",   "-0",   "1e300", "-1e300",
                                     "1E-300", "-1E-300", "1e99999", "2,5", "-2,5", "-2,4",  "2,50",
                                     "abc",    "0,1",     "0.1",     "1,5", "100",  "99,99"};
    static const QStringList texts{"",           "a",      "ab",  "abcd", "abcde", "abcdf",
                                   "abcd\u0001", "Б",      "а",   "ё",    "я",     "\U0001F600",
                                   "\uE000",     "\uFFFF", "Еда", "Еда2", "еда",   "Ёлка"};
    const QStringList& pool = comparison == SortByDate ? dates : comparison == SortByNumber ? numbers : texts;
    return pool[int(rng() % pool.size())];
}

TEST(SortTable, AgreesWithAStableSortOfTheKeys) {
    TTodayOverride today(QDate(2026, 3, 10));
    std::mt19937 rng(4242);
    for (int trial = 0; trial < 300; ++trial) {
        const int comparison = trial % 3;
        const bool descending = (trial / 3) % 2;
        std::vector<QStringList> rows;
        const int n = 1 + int(rng() % 60);
        for (int i = 0; i < n; ++i)
            rows.push_back({WildCell(rng, comparison), QString::number(i)});
        rows.push_back({QStringLiteral("01.01.2000"), QStringLiteral("new")});
        TMemTable table;
        Fill(table, rows);
        std::vector<QStringList> expected = ReferenceOrder(rows, 0, comparison, false);
        if (descending) std::reverse(expected.begin(), expected.end() - 1);
        SortTableRows(table, 0, comparison, descending);
        ASSERT_EQ(Rows(table), expected) << "trial " << trial;
    }
}

TEST(ResortRow, DescendingWithDistinctKeysEqualsTheFullSort) {
    std::mt19937 rng(99);
    for (int trial = 0; trial < 200; ++trial) {
        TMemTable table;
        std::vector<QStringList> rows;
        for (int i = 0; i < 30; ++i)
            rows.push_back({QString::number(i * 3 + int(rng() % 3))});
        rows.push_back({QStringLiteral("new")});
        Fill(table, rows);
        SortTableRows(table, 0, SortByNumber, true);
        const int row = int(rng() % 30);
        table.Row(row)->SetCell(0, QString::number(int(rng() % 100) * 3 + 1) + QStringLiteral(",5"));
        TMemTable full;
        Fill(full, Rows(table));
        SortTableRows(full, 0, SortByNumber, true);
        ResortRow(table, row, 0, SortByNumber, true);
        ASSERT_EQ(Rows(table), Rows(full));
    }
}

TEST(ResortRow, EdgesOfTheTable) {
    TMemTable table;
    Fill(table, {{"1"}, {"2"}, {"3"}, {"new"}});
    table.Row(0)->SetCell(0, QStringLiteral("9"));
    EXPECT_EQ(ResortRow(table, 0, 0, SortByNumber, false), 2);
    EXPECT_EQ(Column(table, 0), QStringList({"2", "3", "9", "new"}));
    table.Row(2)->SetCell(0, QStringLiteral("-1"));
    EXPECT_EQ(ResortRow(table, 2, 0, SortByNumber, false), 0);
    EXPECT_EQ(Column(table, 0), QStringList({"-1", "2", "3", "new"}));
    // The new row is never moved, whatever it holds.
    table.Row(3)->SetCell(0, QStringLiteral("-100"));
    EXPECT_EQ(ResortRow(table, 3, 0, SortByNumber, false), 3);
    EXPECT_EQ(ResortRow(table, 7, 0, SortByNumber, false), 7);
    // Without a new row the last row takes part.
    EXPECT_EQ(ResortRow(table, 3, 0, SortByNumber, false, TSortRange::AllRows), 0);
    EXPECT_EQ(Column(table, 0), QStringList({"-100", "-1", "2", "3"}));
    // An unchanged key stays where it is, also between equal keys.
    Fill(table, {{"5", "a"}, {"5", "b"}, {"5", "c"}, {"new"}});
    for (bool descending : {false, true}) {
        EXPECT_EQ(ResortRow(table, 1, 0, SortByNumber, descending), 1);
        EXPECT_EQ(Column(table, 1), QStringList({"a", "b", "c", ""}));
    }
}

TEST(SortKindNames, InsertionSortOfTheNamesOnly) {
    const struct {
        QStringList row;
        bool ascending;
        QStringList sorted;
    } cases[] = {
        {{"Еда", "в", "а", "б"}, true, {"Еда", "а", "б", "в"}},
        {{"Еда", "в", "а", "б"}, false, {"Еда", "в", "б", "а"}},
        {{"Еда", "б"}, true, {"Еда", "б"}},
        {{"Я"}, false, {"Я"}},
        {{"Еда", "в", "б", "", "а"}, true, {"Еда", "б", "в", "", "а"}}, // an empty name holds its place
        {{"Еда", "б", "", "а"}, false, {"Еда", "б", "а", ""}},          // descending moves it to the end
        {{"Еда", "я", "ё", "Б", "а"}, true, {"Еда", "Б", "а", "я", "ё"}},
        {{"K", "d", "c", "b", "a", "e"}, true, {"K", "a", "b", "c", "d", "e"}},
    };
    for (const auto& c : cases) {
        TMemTable kinds;
        Fill(kinds, {{"other", "z", "y"}, c.row});
        SortKindNames(kinds, 1, c.ascending);
        EXPECT_EQ(kinds.Row(1)->Cells(), c.sorted) << c.row.join(u' ').toStdString();
        EXPECT_EQ(kinds.Row(0)->Cells(), QStringList({"other", "z", "y"}));
    }
}

TEST(SortKindNames, ClicksOnTheSameKindReverse) {
    TMemTable kinds;
    Fill(kinds, {{"A", "b", "a", "c"}, {"B", "y", "x"}});
    TSortState state{0, true};
    SortKindNames(kinds, 0, state, true);
    EXPECT_EQ(kinds.Row(0)->Cells(), QStringList({"A", "a", "b", "c"}));
    SortKindNames(kinds, 0, state, false);
    EXPECT_FALSE(state.Ascending);
    EXPECT_EQ(kinds.Row(0)->Cells(), QStringList({"A", "c", "b", "a"}));
    SortKindNames(kinds, 1, state, false);
    EXPECT_TRUE(state.Ascending);
    EXPECT_EQ(state.Column, 1);
    EXPECT_EQ(kinds.Row(1)->Cells(), QStringList({"B", "x", "y"}));
    SortKindNames(kinds, 5, state, false); // no such kind: nothing to sort
}

TEST(SortMark, TriangleCornersAndEdgeColours) {
    using C = TSortMarkColour;
    const TSortMark up = SortMarkTriangle(100, 20, true);
    EXPECT_EQ(up.corners, (std::array<QPoint, 3>{QPoint(88, 32), QPoint(92, 24), QPoint(84, 24)}));
    EXPECT_EQ(up.edges[0].from, QPoint(88, 32));
    EXPECT_EQ(up.edges[0].to, QPoint(92, 24));
    EXPECT_EQ(up.edges[0].colour, C::ButtonHighlight);
    EXPECT_EQ(up.edges[1].colour, C::ButtonShadow);
    EXPECT_EQ(up.edges[2].colour, C::ButtonShadow);

    const TSortMark down = SortMarkTriangle(100, 20, false);
    EXPECT_EQ(down.corners, (std::array<QPoint, 3>{QPoint(88, 24), QPoint(92, 32), QPoint(84, 32)}));
    EXPECT_EQ(down.edges[0].colour, C::ButtonHighlight);
    EXPECT_EQ(down.edges[1].from, QPoint(92, 32));
    EXPECT_EQ(down.edges[1].to, QPoint(84, 32));
    EXPECT_EQ(down.edges[1].colour, C::ButtonHighlight);
    EXPECT_EQ(down.edges[2].to, QPoint(88, 24));
    EXPECT_EQ(down.edges[2].colour, C::ButtonShadow);
    for (const TSortMark& mark : {up, down}) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(mark.edges[size_t(i)].from, mark.corners[size_t(i)]);
            EXPECT_EQ(mark.edges[size_t(i)].to, mark.corners[size_t((i + 1) % 3)]);
        }
    }
}

} // namespace
