#include "ledger/ttablesortert.h"

#include "ledger/tdatereader.h"
#include "ledger/toperationswithnumbers.h"
#include "storage/tmemtable.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

namespace {

QString CellAt(const TMemTable& table, int row, int column) {
    const TTableRow* r = table.Row(row);
    return r ? r->Cell(column) : QString();
}

template <class T> int CompareValues(const T& a, const T& b) {
    return (b < a) - (a < b);
}

struct TTextKey {
    using Type = QString;
    static Type Read(QString&& cell) { return std::move(cell); }
    static int Compare(const Type& a, const Type& b) { return CompareText(a, b); }
};

struct TDateKey {
    using Type = TDateValue;
    static Type Read(QString&& cell) { return ParseCellDate(cell); }
    static int Compare(Type a, Type b) { return CompareValues(a, b); }
};

struct TNumberKey {
    using Type = long double;
    static Type Read(QString&& cell) { return NumberSortKey(cell); }
    static int Compare(Type a, Type b) { return CompareValues(a, b); }
};

// An unknown comparison counts every two rows as equal.
struct TNoKey {
    using Type = int;
    static Type Read(QString&&) { return 0; }
    static int Compare(Type, Type) { return 0; }
};

// Reads each key once, then sorts (key, position) pairs; the position breaks ties, so the order is
// fully determined and descending is the exact reverse of ascending.
template <class K>
void SortKeys(const TMemTable& table, int count, int column, bool descending, std::vector<int>& order) {
    std::vector<std::pair<typename K::Type, int>> keys;
    keys.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        keys.emplace_back(K::Read(CellAt(table, i, column)), i);
    auto less = [](const auto& a, const auto& b) {
        const int c = K::Compare(a.first, b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    };
    if (descending)
        std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) { return less(b, a); });
    else
        std::sort(keys.begin(), keys.end(), less);
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = keys[size_t(i)].second;
}

// Dates fit in 32 bits with room to spare, so date and position pack into one integer key.
void SortDateKeys(const TMemTable& table, int count, int column, bool descending, std::vector<int>& order) {
    constexpr std::int64_t kBias = std::int64_t(1) << 31;
    std::vector<std::uint64_t> keys(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::int64_t date = ParseCellDate(CellAt(table, i, column));
        keys[size_t(i)] = (std::uint64_t(date + kBias) << 32) | std::uint32_t(i);
    }
    if (descending)
        std::sort(keys.begin(), keys.end(), std::greater<>());
    else
        std::sort(keys.begin(), keys.end());
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = int(keys[size_t(i)] & 0xFFFFFFFFu);
}

bool KnownComparison(int comparison) {
    if (comparison == SortByText || comparison == SortByDate || comparison == SortByNumber) return true;
    Q_ASSERT_X(false, "TTableSortert", "Метод сравнения не известен!!!");
    return false;
}

template <class K> int ResortKeyed(TMemTable& table, int row, int limit, int column, bool descending) {
    const typename K::Type key = K::Read(CellAt(table, row, column));
    // Binary search over the other rows, taken in table order without the edited one.
    int lo = 0;
    int hi = limit - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const int other = mid < row ? mid : mid + 1;
        const int c = K::Compare(K::Read(CellAt(table, other, column)), key);
        const bool before = c == 0 ? other < row : (descending ? c > 0 : c < 0);
        if (before)
            lo = mid + 1;
        else
            hi = mid;
    }
    table.MoveRow(row, lo);
    return lo;
}

} // namespace

int ComparisonForLetter(QChar letter) {
    if (letter == u'D') return SortByDate;
    if (letter == u'I') return SortByNumber;
    return SortByText;
}

int CompareText(QStringView a, QStringView b) {
    const std::u16string_view x(a.utf16(), size_t(a.size()));
    const std::u16string_view y(b.utf16(), size_t(b.size()));
    const int c = x.compare(y);
    return (c > 0) - (c < 0);
}

long double NumberSortKey(QStringView cell) {
    if (cell.isEmpty() || cell == u" " || cell == u"-") return 0;
    return ParseNumber(cell).value;
}

std::vector<int> SortTableRows(TMemTable& table, int column, int comparison, bool descending,
                               TSortRange range, bool wholeRows) {
    const int n = table.RowCount();
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[size_t(i)] = i;
    const int count = range == TSortRange::KeepNewRow ? n - 1 : n;
    if (count < 2) return order;
    if (!KnownComparison(comparison))
        SortKeys<TNoKey>(table, count, column, descending, order);
    else if (comparison == SortByDate)
        SortDateKeys(table, count, column, descending, order);
    else if (comparison == SortByNumber)
        SortKeys<TNumberKey>(table, count, column, descending, order);
    else
        SortKeys<TTextKey>(table, count, column, descending, order);

    if (wholeRows) {
        table.Reorder(order);
    } else {
        std::vector<QString> cells(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            cells[size_t(i)] = CellAt(table, i, column);
        for (int i = 0; i < count; ++i) {
            if (order[size_t(i)] != i) table.Row(i)->SetCell(column, cells[size_t(order[size_t(i)])]);
        }
    }
    return order;
}

int ResortRow(TMemTable& table, int row, int column, int comparison, bool descending, TSortRange range) {
    const int n = table.RowCount();
    const int limit = range == TSortRange::KeepNewRow ? n - 1 : n;
    if (row < 0 || row >= limit) return row;
    if (!KnownComparison(comparison)) return ResortKeyed<TNoKey>(table, row, limit, column, descending);
    if (comparison == SortByDate) return ResortKeyed<TDateKey>(table, row, limit, column, descending);
    if (comparison == SortByNumber) return ResortKeyed<TNumberKey>(table, row, limit, column, descending);
    return ResortKeyed<TTextKey>(table, row, limit, column, descending);
}

void TTableSortert::SortTable() {
    if (Table)
        m_positions =
            SortTableRows(*Table, Column, Comparison, Descending, TSortRange::KeepNewRow, WholeRows);
}

void TTableSortert::SortAll() {
    if (Table)
        m_positions = SortTableRows(*Table, Column, Comparison, Descending, TSortRange::AllRows, WholeRows);
}

int TTableSortert::ResortRow(int row) {
    if (!Table) return row;
    return ::ResortRow(*Table, row, Column, Comparison, Descending, TSortRange::KeepNewRow);
}

void ChooseSortColumn(TSortState& state, int column) {
    state.Ascending = column == state.Column ? !state.Ascending : true;
    state.Column = column;
}

void SortLedgerByColumn(TMemTable& table, TSortState& state, int column, QChar schemaLetter) {
    ChooseSortColumn(state, column);
    SortTableRows(table, column, ComparisonForLetter(schemaLetter), !state.Ascending, TSortRange::KeepNewRow);
}

void SortKindNames(TMemTable& kinds, int kind, bool ascending) {
    TTableRow* row = kinds.Row(kind);
    if (!row) return;
    QStringList cells = row->Cells();
    const int n = int(cells.size());
    if (n - 1 < 2) return;
    auto outOfOrder = [ascending](const QString& a, const QString& b) {
        if (ascending) return !a.isEmpty() && !b.isEmpty() && CompareText(a, b) > 0;
        return CompareText(a, b) < 0;
    };
    bool changed = false;
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 1; i <= n - 2; ++i) {
            if (!outOfOrder(cells[i], cells[i + 1])) continue;
            cells.swapItemsAt(i, i + 1);
            swapped = changed = true;
            for (int j = i; j > 1 && outOfOrder(cells[j - 1], cells[j]); --j)
                cells.swapItemsAt(j - 1, j);
        }
    }
    if (changed) row->SetCells(cells);
}

void SortKindNames(TMemTable& kinds, int kind, TSortState& state, bool forceAscending) {
    state.Ascending = forceAscending || kind != state.Column ? true : !state.Ascending;
    state.Column = kind;
    SortKindNames(kinds, kind, state.Ascending);
}
