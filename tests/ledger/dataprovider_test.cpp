#include "ledger/tdataprovider.h"
#include "ledger/ttablesortert.h"
#include "storage/tmemtable.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList ColumnOf(const TDataProvider& provider, int column) {
    QStringList out;
    for (int row = 0; row < provider.RowCount(); ++row)
        out << provider.Cell(row, column);
    return out;
}

class Providers : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<QStringList> rows{
            {"a.txt", "R", "3"}, {"b.txt", "", "1"}, {"c.txt", "R", "2"}, {"d.txt", "R", "1"}, {"e.txt"}};
        for (const QStringList& cells : rows)
            table.AddRow()->SetCells(cells);
    }
    TMemTable table;
};

TEST_F(Providers, TableProviderReadsCellsAndEmptyOutsideTheTable) {
    TMemTableProvider provider(&table);
    EXPECT_EQ(provider.RowCount(), 5);
    EXPECT_EQ(provider.ColumnCount(), 3);
    EXPECT_EQ(provider.Cell(2, 0), QStringLiteral("c.txt"));
    EXPECT_EQ(provider.Cell(4, 2), QString());
    EXPECT_EQ(provider.Cell(5, 0), QString());
    EXPECT_EQ(provider.Cell(-1, 0), QString());
    EXPECT_EQ(provider.Cell(0, -1), QString());
    TMemTableProvider narrow(&table, 2);
    EXPECT_EQ(narrow.ColumnCount(), 2);
    EXPECT_EQ(narrow.Cell(0, 2), QString());
}

TEST_F(Providers, FilterKeepsMatchingRowsSortsThemAndMapsColumns) {
    TMemTableProvider provider(&table);
    TDataFilter filter(&provider);
    EXPECT_EQ(filter.RowCount(), 5); // nothing set: every row passes through
    filter.SetCellEquals(1, QStringLiteral("R"));
    filter.Rebuild();
    EXPECT_EQ(ColumnOf(filter, 0), QStringList({"a.txt", "c.txt", "d.txt"}));

    // Ties keep the source order.
    filter.SetComparison([](const TDataProvider& source, int a, int b) {
        return int(NumberSortKey(source.Cell(a, 2)) - NumberSortKey(source.Cell(b, 2)));
    });
    filter.SetPredicate({});
    filter.Rebuild();
    EXPECT_EQ(ColumnOf(filter, 0), QStringList({"e.txt", "b.txt", "d.txt", "c.txt", "a.txt"}));
    EXPECT_EQ(filter.SourceRow(1), 1);
    EXPECT_EQ(filter.SourceRow(5), -1);

    filter.SetColumnMap({2, 0});
    EXPECT_EQ(filter.ColumnCount(), 2);
    EXPECT_EQ(filter.Cell(4, 0), QStringLiteral("3"));
    EXPECT_EQ(filter.Cell(4, 1), QStringLiteral("a.txt"));
    EXPECT_EQ(filter.Cell(4, 2), QString());
    EXPECT_EQ(filter.Cell(9, 0), QString());
    filter.ClearColumnMap();
    EXPECT_EQ(filter.ColumnCount(), 3);
}

TEST_F(Providers, ChangesReachEveryProviderBuiltOnTheTable) {
    TMemTableProvider provider(&table);
    TDataFilter marked(&provider);
    marked.SetCellEquals(1, QStringLiteral("R"));
    marked.Rebuild();
    TDataFilter oneRow(&marked);
    oneRow.SetCellEquals(2, QStringLiteral("1"));
    oneRow.Rebuild();
    int providerCalls = 0, filterCalls = 0;
    provider.OnChange = [&] { ++providerCalls; };
    oneRow.OnChange = [&] { ++filterCalls; };
    EXPECT_EQ(ColumnOf(oneRow, 0), QStringList({"d.txt"}));

    table.Row(1)->SetCell(1, QStringLiteral("R"));
    provider.Changed();
    EXPECT_EQ(providerCalls, 1);
    EXPECT_EQ(filterCalls, 1);
    EXPECT_EQ(ColumnOf(marked, 0), QStringList({"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(ColumnOf(oneRow, 0), QStringList({"b.txt", "d.txt"}));
}

TEST_F(Providers, AFilterWhoseSourceIsGoneReadsEmpty) {
    auto provider = std::make_unique<TMemTableProvider>(&table);
    TDataFilter filter(provider.get());
    filter.SetCellEquals(1, QStringLiteral("R"));
    filter.Rebuild();
    EXPECT_EQ(filter.RowCount(), 3);
    provider.reset();
    EXPECT_EQ(filter.RowCount(), 0);
    EXPECT_EQ(filter.Cell(0, 0), QString());
    filter.Rebuild();
    EXPECT_EQ(filter.RowCount(), 0);
}

} // namespace
