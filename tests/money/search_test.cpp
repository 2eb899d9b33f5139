#include "money/tsearch.h"

#include "ledger/tdatagrid.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "money/rowcells.h"
#include "money/tfilters.h"

#include "testfolders.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(SearchMatch, CellRules) {
    struct Case {
        const char* cell;
        const char* query;
        bool whole, matchCase;
        int start, length; // -1: no match
    } const cases[] = {
        {"Продукты", "про", false, false, 0, 3}, // case ignored
        {"Продукты", "про", false, true, -1, 0}, // "с учетом регистра"
        {"Продукты", "Про", false, true, 0, 3},
        {"Белый хлеб и хлеб", "ХЛЕБ", false, false, 6, 4}, // the first occurrence
        {"Продукты", "ПРОДУКТЫ", true, false, 0, 8},
        {"Продукты", "продукт", true, false, -1, 0}, // the whole cell only
        {"Продукты", "продукты", true, true, -1, 0},
        {"Продукты", "Продукты", true, true, 0, 8},
        {"ёж", "ЁЖ", false, false, 0, 2},
        {"еж", "ЁЖ", false, false, -1, 0},
        {"хлеб", "хлебы", false, false, -1, 0}, // a cell shorter than the query
        {"Café au lait", "CAFÉ", false, false, 0, 4},
        {"Café", "cafÉ", true, false, 0, 4},
        {"12,5", "2,5", false, false, 1, 3},
        {"Продукты", "   ", false, false, -1, 0}, // a blank query finds nothing
    };
    for (const Case& c : cases) {
        const auto m =
            MatchSearchCell(QString::fromUtf8(c.cell), QString::fromUtf8(c.query), c.whole, c.matchCase);
        if (c.start < 0) {
            EXPECT_FALSE(m.has_value()) << c.cell << " / " << c.query;
        } else {
            ASSERT_TRUE(m.has_value()) << c.cell << " / " << c.query;
            EXPECT_EQ(m->start, c.start) << c.cell << " / " << c.query;
            EXPECT_EQ(m->length, c.length) << c.cell << " / " << c.query;
        }
    }
}

// Expenses: three cells hold "хлеб" in some form, one of them in a row a filter hides.
class Search : public ::testing::Test {
protected:
    Search() {
        TMemTable& t = state.Table(TTableKind::Rashod);
        t.AddRow()->SetCells({"01.03.2024", "Продукты", "Хлеб", "10", "рубль", "хлеб белый", "Мама"});
        t.AddRow()->SetCells({"02.03.2024", "Дом", "Мебель", "20", "рубль", "для хлебницы", "Мама"});
        t.AddRow()->SetCells({"03.03.2024", "Продукты", "Хлебцы", "30", "рубль", "", "Папа"});
        t.AddRow()->SetCells({"04.03.2024", "Продукты", "Хлеб", "40", "рубль", "", "Папа"});
        t.AddRow()->SetCells({"05.03.2024", "", "", "", "", "", ""});
        grid().ResetRowMap();
        search.SetGrid(&grid());
    }
    TDataGrid& grid() { return state.Grid(TTableKind::Rashod); }
    static std::vector<std::pair<int, int>> Cells(const std::vector<TSearchMatch>& m) {
        std::vector<std::pair<int, int>> out;
        for (const TSearchMatch& x : m)
            out.emplace_back(x.col, x.row);
        return out;
    }

    TMyType state;
    TSearch search;
};

TEST_F(Search, StepsWrapBothWays) {
    search.SetWholeCell(true);
    TSearchStep s = search.SetQuery("хлеб");
    ASSERT_EQ(s.count, 2);
    search.SetWholeCell(false);
    EXPECT_FALSE(search.HasList());

    // Row-major, case ignored, parts of cells.
    s = search.SetQuery("хлеб");
    ASSERT_EQ(s.count, 5);
    EXPECT_EQ(Cells(search.Matches()),
              (std::vector<std::pair<int, int>>{{2, 1}, {5, 1}, {5, 2}, {2, 3}, {2, 4}}));

    // Three matches with the filter hiding the first row: forward 1, 2, 3, 1, then back to 3.
    TFilters filters(state);
    filters.ApplyPeriod(TTableKind::Rashod, QDate(2024, 3, 2), QDate(2024, 3, 5));
    search.Discard();
    std::vector<int> visited;
    for (int i = 0; i < 4; ++i)
        visited.push_back(search.Step(+1).index);
    s = search.Step(-1);
    visited.push_back(s.index);
    EXPECT_EQ(search.Matches().size(), 3u);
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 0, 2}));
    EXPECT_EQ(std::make_pair(s.col, s.row), std::make_pair(2, 3));
    EXPECT_EQ(grid().TableRow(3), 3); // under the filter grid row 3 shows table row 3, the second "Хлеб"

    // A changed query after a back step jumps to the last match.
    search.Step(-1);
    s = search.SetQuery("ХЛЕБ");
    EXPECT_EQ(s.index, s.count - 1);

    // The current match is green, the others yellow; the matched part starts at the first occurrence.
    const auto current = search.HighlightAt(s.col, s.row);
    ASSERT_TRUE(current.has_value());
    EXPECT_TRUE(current->current);
    const auto other = search.HighlightAt(5, 1);
    ASSERT_TRUE(other.has_value());
    EXPECT_FALSE(other->current);
    EXPECT_EQ(other->extent.start, 4); // "для хлебницы"
    EXPECT_EQ(other->extent.length, 4);
    EXPECT_FALSE(search.HighlightAt(1, 1).has_value());

    search.Escape();
    EXPECT_TRUE(search.Query().isEmpty());
    EXPECT_FALSE(search.HasList());
    EXPECT_FALSE(search.Step(+1).searched);
}

TEST_F(Search, LabelsAndNoMatch) {
    auto width = [](const QString& t) { return int(t.size()) * 6; };
    EXPECT_EQ(search.ResultLabel(1000, width), "");
    search.SetQuery("кефир");
    EXPECT_EQ(search.ResultLabel(1000, width), "Совпадений нет");
    EXPECT_FALSE(search.HighlightAt(2, 1).has_value());
    search.SetQuery("хлеб");
    // "Совпадений по запросу: " + "5" + "00000": 29 characters, 174 px, plus 5.
    EXPECT_EQ(search.ResultLabel(179, width), "Cовпадений по запросу: 5");
    EXPECT_EQ(search.ResultLabel(178, width), "Cовпадений: 5");
    EXPECT_EQ(QString("Cовпадений").at(0).unicode(), u'C');

    // At layout the number does not count in the measure, and a 0 leaves the label alone.
    EXPECT_EQ(SearchCountLabelOnLayout(12, 173, width), "Cовпадений по запросу: 12");
    EXPECT_EQ(SearchCountLabelOnLayout(12, 172, width), "Cовпадений: 12");
    EXPECT_FALSE(SearchCountLabelOnLayout(0, 172, width).has_value());
}

// The reused-string reader gives every cell as the table itself reads it, damaged rows included.
TEST(RowCells, ReadAsTheTableReads) {
    TMemTable t;
    ASSERT_TRUE(t.LoadFromBytes(Hex("07 02 01 61 03 E2 82 AC" // "a", "€"
                                    "05 02 01 FF 01 62"       // an undecodable cell, "b"
                                    "05 03 01 63 09 64"       // "c", then a length past the row's end
                                    "01 00")));               // no cells
    TRowCells cells;
    for (int r = 0; r < t.RowCount(); ++r) {
        const QStringList expected = t.Row(r)->Cells();
        ASSERT_EQ(cells.Read(t, r, 10), expected.size()) << r;
        for (int c = 0; c < expected.size(); ++c)
            EXPECT_EQ(cells[c], expected[c]) << r << " " << c;
        EXPECT_EQ(cells.Value(int(expected.size())), QString());
    }
    EXPECT_EQ(cells.Read(t, 0, 1), 1);
    EXPECT_EQ(cells.Value(1), QString());
}

// The list the search box makes, against the plain rule asked cell by cell over the grid's rows.
class SearchAgainstTheRule : public ::testing::Test {
protected:
    SearchAgainstTheRule() {
        grid().ResetRowMap();
        search.SetGrid(&grid());
    }
    TDataGrid& grid() { return state.Grid(TTableKind::Rashod); }
    TMemTable& table() { return state.Table(TTableKind::Rashod); }

    static std::string Describe(const std::vector<TSearchMatch>& list) {
        std::string out;
        for (const TSearchMatch& m : list)
            out += "(" + std::to_string(m.col) + "," + std::to_string(m.row) + " " +
                   std::to_string(m.extent.start) + "+" + std::to_string(m.extent.length) + ")";
        return out;
    }
    std::vector<TSearchMatch> ByTheRule(const QString& query) const {
        std::vector<TSearchMatch> out;
        const TDataGrid& g = const_cast<TMyType&>(state).Grid(TTableKind::Rashod);
        for (int r = 1; r < g.GridRowCount(); ++r) {
            const TTableRow* row = g.RowAt(r);
            if (!row) continue;
            const int n = std::min(row->CellCount(), g.ColumnCount());
            for (int c = 0; c < n; ++c)
                if (const auto e =
                        MatchSearchCell(row->Cell(c), query, search.WholeCell(), search.MatchCase()))
                    out.push_back({c, r, *e});
        }
        return out;
    }
    // Types the query into the box; the list must be the rule's.
    void Expect(const QString& query, const std::string& context) {
        const TSearchStep step = search.SetQuery(query);
        const std::vector<TSearchMatch> expected = ByTheRule(query);
        EXPECT_EQ(Describe(search.Matches()), Describe(expected))
            << context << " query \"" << query.toStdString() << "\" whole " << search.WholeCell() << " case "
            << search.MatchCase();
        EXPECT_EQ(step.count, int(expected.size()));
    }

    TMyType state;
    TSearch search;
};

// Cells where upper case changes lengths, letters that look alike, empty, blank and undecodable cells,
// and queries longer than a cell, with every combination of the two check boxes, each query typed a
// letter at a time as a user does (each letter narrows the letter before when it can).
TEST_F(SearchAgainstTheRule, TrickyCellsAndQueries) {
    // An undecodable cell and a row whose lengths break after its first cell, as a damaged file holds them.
    ASSERT_TRUE(table().LoadFromBytes(Hex("0C 07 01 61 02 C3 9F 01 FF 00 00 00 00" // "a", "ß", broken, ...
                                          "06 03 02 53 53 09 64")));               // "SS", past the end
    const QStringList rows[] = {
        {"Straße", "STRASSE", "ß", "ss", "ẞ", "", " "},
        {"ёлка", "ЁЛКА", "Елка", "елка", "ЁЁЁ", "ё", "Ё"},
        {"Cафе", "Сафе", "CAFE", "cafe", "Café", "CAFÉ", "café"}, // Latin C and Cyrillic С
        {"хлеб", "Хлебница", "ХЛЕБ", "хлеб и хлеб", "хле", "бхлеб", "Хлеб"},
        {"ﬀ", "FF", "ﬃx", "Ǆ", "ǆ", "ǅ", "İstanbul"},
        {"i̇", "I", "ı", "ΣΑΣ", "σας", "ς", "ǰ"},
        {"", "", "", "", "", "", ""},
        {"12,5", "2,5", "-", "  хлеб  ", "\t", "х", "ХХ"},
    };
    for (const QStringList& r : rows)
        table().AddRow()->SetCells(r);
    grid().ResetRowMap();
    const QString queries[] = {"ß",
                               "ss",
                               "SS",
                               "Straße",
                               "ẞ",
                               "ё",
                               "Ё",
                               "е",
                               "ёлка",
                               "c",
                               "с",
                               "сафе",
                               "cafe",
                               "café",
                               "хлеб",
                               "ХЛЕБ",
                               "хлеб!",
                               "ﬀ",
                               "ff",
                               "ǆ",
                               "ǅ",
                               "i",
                               "İ",
                               "ı",
                               "σ",
                               "ς",
                               "Σ",
                               "ǰ",
                               "a",
                               "2,5",
                               "хлеб и хлеб и",
                               "х",
                               "STRASSEN",
                               "ффф",
                               "  ",
                               "хлебница"};
    for (bool whole : {false, true})
        for (bool matchCase : {false, true}) {
            search.SetWholeCell(whole);
            search.SetMatchCase(matchCase);
            for (const QString& q : queries) {
                for (int n = 1; n <= q.size(); ++n)
                    Expect(q.left(n), "typed");
                Expect(q, "again");
            }
            // A query that is no longer a longer form of the last one.
            for (const char* q : {"ss", "ß", "ẞ", "SS", "хлебница", "хлеб", "лебн"})
                Expect(q, "replaced");
        }
}

// The cells the search keeps upper-cased follow every change of the table and of the rows shown,
// and a longer query narrows the last list only while nothing changed.
TEST_F(SearchAgainstTheRule, NeverStaleAfterAChange) {
    const QDate day(2024, 3, 13);
    TTodayOverride today{day};
    auto expense = [](const char* date, const char* name, const char* sum) {
        return QStringList{date, "Продукты", name, sum, "рубль", "", "Мама"};
    };
    table().AddRow()->SetCells(expense("13.03.2024", "Хлеб", "10"));
    table().AddRow()->SetCells(expense("12.03.2024", "Молоко", "20"));
    table().AddRow()->SetCells(expense("13.03.2024", "Хлебцы", "30"));
    table().AddRow()->SetCells(expense("11.03.2024", "Сыр", "40"));
    grid().ResetRowMap();
    TFilters filters(state);
    state.Table(TTableKind::Purse).AddRow()->SetCells({"рубль", "1", "0", "1"});
    const QByteArray otherBase = [&] {
        TMemTable other;
        other.AddRow()->SetCells(expense("01.01.2024", "Хлебопечка", "5000"));
        other.AddRow()->SetCells(expense("02.01.2024", "Хлопья", "50"));
        return other.ToBytes();
    }();
    struct Change {
        const char* what;
        std::function<void()> apply;
    } const changes[] = {
        {"a cell edited to match", [&] { table().Row(1)->SetCell(2, "Хлебное молоко"); }},
        {"a cell edited not to match", [&] { table().Row(0)->SetCell(2, "Батон"); }},
        {"a row inserted", [&] { table().InsertRow(1)->SetCells(expense("13.03.2024", "хлебушек", "1")); }},
        {"a row deleted", [&] { table().DeleteRow(0); }},
        {"rows deleted at once",
         [&] {
             table().DeleteRows({0, 2});
         }},
        {"a row appended", [&] { table().AddRow()->SetCells(expense("10.03.2024", "Хлеб ржаной", "7")); }},
        {"sorted",
         [&] {
             std::vector<int> order(size_t(table().RowCount()));
             for (size_t i = 0; i < order.size(); ++i)
                 order[i] = int(order.size() - 1 - i);
             table().Reorder(order);
         }},
        {"a row moved", [&] { table().MoveRow(0, table().RowCount() - 1); }},
        {"cells cut", [&] { table().Row(0)->SetCellCount(2); }},
        {"a period filter", [&] { filters.ApplyPeriod(TTableKind::Rashod, day, day); }},
        {"the filter removed", [&] { filters.RemoveFilter(TTableKind::Rashod, false); }},
        {"another base",
         [&] {
             ASSERT_TRUE(table().LoadFromBytes(otherBase));
             grid().ResetRowMap();
         }},
        {"the table cleared",
         [&] {
             table().Clear();
             grid().ResetRowMap();
         }},
    };
    for (const Change& change : changes) {
        // "х" and "хл" are typed before the change and the rest of the word after it; the grid shows
        // the table's rows as they are now, or the filter's.
        Expect("х", change.what);
        Expect("хл", change.what);
        change.apply();
        if (!grid().filterActive) grid().ResetRowMap();
        Expect("хле", change.what);
        Expect("хлеб", change.what);
    }
}

TEST(SearchKinds, ColumnWiseTable) {
    // Each table row is a grid column: the kind's name is row 0, its names rows 1, 2, ...
    TMemTable kinds;
    kinds.AddRow()->SetCells({"Продукты", "Хлеб", "Молоко"});
    kinds.AddRow()->SetCells({"Дом", "Хлебница"});
    kinds.AddRow()->SetCells({"Хлеб"});
    TSearch s;
    s.SetKindsList(&kinds);
    s.SetQuery("хлеб");
    std::vector<std::pair<int, int>> cells;
    for (const TSearchMatch& m : s.Matches())
        cells.emplace_back(m.col, m.row);
    EXPECT_EQ(cells, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
}

TEST(SearchLayout, CaptionsGeometryAndScroll) {
    auto width = [](const QString& t) { return int(t.size()) * 6; };
    // "Искать вперед" is 13 characters: 78 px, plus 10; "с учетом регистра0000" is 21: 126 px, plus 5.
    struct Case {
        int button, box;
        const char *forward, *back, *whole, *matchCase;
    } const cases[] = {
        {88, 131, "Искать вперед", "Искать назад", "ячейка целиком", "с учетом регистра"},
        {87, 130, "Вперед", "Назад", "целиком", "регистр"},
    };
    for (const Case& c : cases) {
        const TSearchCaptions caps = SearchCaptions(c.button, c.box, width);
        EXPECT_EQ(caps.forward, QString(c.forward));
        EXPECT_EQ(caps.back, QString(c.back));
        EXPECT_EQ(caps.wholeCell, QString(c.whole));
        EXPECT_EQ(caps.matchCase, QString(c.matchCase));
    }

    const TSearchGeometry wide = SearchGroupGeometry(600, 7);
    EXPECT_EQ(wide.boxWidth, 400 - kSearchGroupMargin);
    EXPECT_EQ(wide.buttonLeft, wide.boxLeft + wide.boxWidth + 10);
    EXPECT_EQ(wide.buttonWidth, 13 * 7 + kSearchGroupMargin);
    const TSearchGeometry narrow = SearchGroupGeometry(240, 7);
    EXPECT_EQ(narrow.buttonLeft + narrow.buttonWidth, 240 - kSearchGroupMargin); // narrowed to fit

    // Height 200 with rows of 19 px: 200 / 20 - 1 = 9 rows fit below the top row.
    struct Scroll {
        int match, top, expected;
    } const scrolls[] = {{3, 5, 3}, {5, 5, 5}, {13, 5, 5}, {14, 5, 14}, {40, 5, 40}};
    for (const Scroll& s : scrolls)
        EXPECT_EQ(SearchTopRow(s.match, s.top, 200, 19), s.expected) << s.match;
}

} // namespace
