#pragma once

#include "storage/tabledefs.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <utility>
#include <vector>

class TMemTable;

// How a column's cells compare.
enum TSortComparison : int {
    SortByText = 0,   // UTF-16 code units, no locale, no case folding; a proper prefix first
    SortByDate = 1,   // through ParseCellDate: empty dates first, "nil" last
    SortByNumber = 2, // through ParseNumber; "", " ", "-" and unreadable cells are 0
};

// A ledger column's comparison by its kind: dates as dates, numbers as numbers, everything else as text.
int ComparisonForColumn(TColumnKind column);

// The keys the comparisons use, for callers that compare cells themselves.
int CompareText(QStringView a, QStringView b);
long double NumberSortKey(QStringView cell);

// A number's sort key packed with a row's position: 80 bits of key and 32 of position in two words,
// compared as a pair, so that equal numbers keep their rows' order.
std::pair<std::uint64_t, std::uint64_t> PackedNumberKey(long double value, int position);

// Which rows a sort moves: a ledger keeps its trailing new row last, the analysis tables have none.
enum class TSortRange { KeepNewRow, AllRows };

// Sorts the rows of a table by one column. Each key is read once; equal keys keep the order the rows
// had before (the position tie-break), and descending is the exact reverse of ascending, equal rows
// included. Returns the positions: entry i is the index row i had before the sort.
std::vector<int> SortTableRows(TMemTable& table, int column, int comparison, bool descending,
                               TSortRange range = TSortRange::KeepNewRow, bool wholeRows = true);

// Puts one edited row of an otherwise sorted table where it belongs and returns its new index. The
// place is found by binary search over the other rows, which keep their order; the trailing new row
// (TSortRange::KeepNewRow) stays last and is never moved. Ascending, the result is exactly what
// SortTableRows gives. Descending it is the same order except that runs of equal keys are left as
// they stand: a full descending sort reverses every such run each time it runs, which would make
// rows of the same day swap places on every edit.
int ResortRow(TMemTable& table, int row, int column, int comparison, bool descending,
              TSortRange range = TSortRange::KeepNewRow);

// The table sorter: one shared object whose fields say what the next sort does.
class TTableSortert {
public:
    TMemTable* Table = nullptr;
    int Column = 0;
    int Comparison = SortByText;
    bool Descending = false;
    // True: rows move whole. False: only the cells of the column change places.
    bool WholeRows = true;

    // Every row except the last one, the trailing new row.
    void SortTable();
    // Every row (tables without a new row).
    void SortAll();
    // Re-sorts one edited row of a ledger; returns its new index.
    int ResortRow(int row);
    // Position before the last sort of each row, by its index after it.
    const std::vector<int>& Positions() const { return m_positions; }

private:
    std::vector<int> m_positions;
};

// The view's sort state after a caption click or menu choice on `column`: the same column reverses
// the direction, another column starts ascending.
struct TSortState {
    int Column = 0;
    bool Ascending = true;
};
void ChooseSortColumn(TSortState& state, int column);

// The items of the "Сортировка" menu for a view: one radio item per column ("Name" and the column
// index, the column's caption, checked for the sorted column), the separator "MySeparator", and
// "В обратном порядке" ("MyReturn"), checked while the view is sorted descending.
struct TSortMenuItem {
    QString Name;
    QString Caption;
    bool Checked = false;
    bool Radio = false;
};
std::vector<TSortMenuItem> SortMenuItems(const QStringList& captions, const TSortState& state);
// The column a menu item sorts by: its own column, or for "В обратном порядке" the checked one
// (choosing either again reverses the order). -1 for the separator or an unknown name.
int SortMenuColumn(const QString& itemName, const TSortState& state);

// The data side of sorting a ledger by a column: the direction from the view's state, the comparison
// from the column's kind, then the sort that keeps the new row last.
void SortLedgerByColumn(TMemTable& table, TSortState& state, int column, TColumnKind kind);

// Sorts the names of one kind of a kinds table (row `kind`: cell 0 the kind, then its names) by an
// insertion sort of adjacent swaps. Ascending never moves an empty name; descending moves empty names
// to the end. Fewer than two names: nothing happens.
void SortKindNames(TMemTable& kinds, int kind, bool ascending);
// The same with the list's sort state: ascending when forced or for another kind, else reversed.
void SortKindNames(TMemTable& kinds, int kind, TSortState& state, bool forceAscending);
