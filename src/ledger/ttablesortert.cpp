#include "ledger/ttablesortert.h"

#include "ledger/tdatereader.h"
#include "ledger/toperationswithnumbers.h"
#include "storage/tmemtable.h"

#include <QHash>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace {

// The 80 bits of an extended value as an unsigned number with the same order as the values: the sign
// and exponent above the 64-bit mantissa, negatives flipped. Both zeros give the same key.
std::pair<std::uint64_t, std::uint64_t> OrderedBits(long double value) {
    static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended precision expected");
    if (value == 0) value = 0;
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &value, sizeof value);
    std::uint64_t mantissa = 0;
    std::uint16_t signExponent = 0;
    std::memcpy(&mantissa, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
    if (signExponent & 0x8000) {
        signExponent = std::uint16_t(~signExponent);
        mantissa = ~mantissa;
    } else {
        signExponent |= 0x8000;
    }
    return {signExponent, mantissa};
}

} // namespace

std::pair<std::uint64_t, std::uint64_t> PackedNumberKey(long double value, int position) {
    const auto [high, low] = OrderedBits(value);
    return {(high << 48) | (low >> 16), ((low & 0xFFFF) << 32) | std::uint32_t(position)};
}

namespace {

QString CellAt(const TMemTable& table, int row, int column) {
    const TTableRow* r = table.Row(row);
    return r ? r->Cell(column) : QString();
}

// Reads a cell's text for one key without building a QString: a cell of plain ASCII bytes (dates and
// sums always are) is its own text, widened into a buffer; any other cell is decoded as usual. The
// view passed to `read` is the cell's exact text.
class TCellReader {
public:
    template <class Read> auto operator()(const TMemTable& table, int row, int column, Read read) {
        const TTableRow* r = table.Row(row);
        const QByteArrayView bytes = r ? r->CellBytes(column) : QByteArrayView();
        if (bytes.size() <= kShort) {
            bool ascii = true;
            for (qsizetype k = 0; k < bytes.size(); ++k) {
                const auto b = static_cast<unsigned char>(bytes[k]);
                ascii = ascii && b < 0x80;
                m_units[k] = char16_t(b);
            }
            if (ascii) return read(QStringView(m_units, bytes.size()));
        }
        m_text = CellAt(table, row, column);
        return read(QStringView(m_text));
    }

private:
    static constexpr qsizetype kShort = 64;
    char16_t m_units[kShort] = {};
    QString m_text;
};

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

// Every sort below reads each key once and orders (key, position) pairs: the position breaks ties, so
// the order is fully determined and descending is the exact reverse of ascending. The keys are packed
// into plain integers where they can be, which keeps the sort itself cheap.

void ReverseOrder(std::vector<int>& order, int count) {
    std::reverse(order.begin(), order.begin() + count);
}

// Rows that count as equal keep their order.
void SortEqualKeys(int count, bool descending, std::vector<int>& order) {
    if (descending) ReverseOrder(order, count);
}

// Dates span few distinct days, so a counting sort places them in linear time; being stable, it keeps
// equal dates in position order by itself. An unusually wide span falls back to a comparison sort.
void SortDateKeys(const TMemTable& table, int count, int column, bool descending, std::vector<int>& order) {
    std::vector<TDateValue> dates(static_cast<size_t>(count));
    TCellReader cell;
    for (int i = 0; i < count; ++i)
        dates[size_t(i)] = cell(table, i, column, ParseCellDate);
    const auto [lo, hi] = std::minmax_element(dates.begin(), dates.end());
    const TDateValue first = *lo;
    const std::int64_t span = std::int64_t(*hi) - first + 1;
    if (span <= std::max<std::int64_t>(1 << 20, 4 * std::int64_t(count))) {
        std::vector<int> start(size_t(span) + 1, 0);
        for (TDateValue d : dates)
            ++start[size_t(d - first) + 1];
        for (size_t k = 1; k < start.size(); ++k)
            start[k] += start[k - 1];
        for (int i = 0; i < count; ++i)
            order[size_t(start[size_t(dates[size_t(i)] - first)]++)] = i;
    } else {
        constexpr std::int64_t kBias = std::int64_t(1) << 31;
        std::vector<std::uint64_t> keys(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            keys[size_t(i)] = (std::uint64_t(dates[size_t(i)] + kBias) << 32) | std::uint32_t(i);
        std::sort(keys.begin(), keys.end());
        for (int i = 0; i < count; ++i)
            order[size_t(i)] = int(keys[size_t(i)] & 0xFFFFFFFFu);
    }
    if (descending) ReverseOrder(order, count);
}

void SortNumberKeys(const TMemTable& table, int count, int column, bool descending, std::vector<int>& order) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> keys(static_cast<size_t>(count));
    TCellReader cell;
    for (int i = 0; i < count; ++i)
        keys[size_t(i)] = PackedNumberKey(cell(table, i, column, NumberSortKey), i);
    std::sort(keys.begin(), keys.end());
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = int(keys[size_t(i)].second & 0xFFFFFFFFu);
    if (descending) ReverseOrder(order, count);
}

// The first four code units of a text as one number whose order agrees with the text's: most pairs
// are told apart without looking at the texts themselves.
std::uint64_t TextPrefix(const QString& text) {
    std::uint64_t prefix = 0;
    for (int k = 0; k < 4; ++k)
        prefix = (prefix << 16) | (k < text.size() ? text[k].unicode() : 0u);
    return prefix;
}

// A text column holds few distinct texts (kinds, names, purses, users), so the distinct texts are
// sorted once and each row gets the rank of its text; a stable counting sort by rank then keeps equal
// texts in position order. A column of all different texts costs one hash lookup per row more. The
// rows are told apart by their cells' bytes, and only the distinct ones are decoded: bytes that decode
// to the same text (an undecodable cell reads as empty) share a rank.
void SortTextKeys(const TMemTable& table, int count, int column, bool descending, std::vector<int>& order) {
    QHash<QByteArrayView, int> ids;
    ids.reserve(count);
    std::vector<QString> distinct;
    std::vector<int> id(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TTableRow* row = table.Row(i);
        const QByteArrayView bytes = row ? row->CellBytes(column) : QByteArrayView();
        auto it = ids.constFind(bytes);
        if (it == ids.constEnd()) {
            it = ids.insert(bytes, int(distinct.size()));
            distinct.push_back(CellAt(table, i, column));
        }
        id[size_t(i)] = it.value();
    }
    const int n = int(distinct.size());
    std::vector<std::pair<std::uint64_t, int>> byText(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        byText[size_t(k)] = {TextPrefix(distinct[size_t(k)]), k};
    std::sort(byText.begin(), byText.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return CompareText(distinct[size_t(a.second)], distinct[size_t(b.second)]) < 0;
    });
    std::vector<int> start(size_t(n) + 1, 0);
    std::vector<int> rank(static_cast<size_t>(n));
    for (int r = 0, k = 0; k < n; ++k) {
        const int at = byText[size_t(k)].second;
        if (k > 0 && distinct[size_t(at)] != distinct[size_t(byText[size_t(k - 1)].second)]) ++r;
        rank[size_t(at)] = r;
    }
    for (int i = 0; i < count; ++i)
        ++start[size_t(rank[size_t(id[size_t(i)])]) + 1];
    for (size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    for (int i = 0; i < count; ++i)
        order[size_t(start[size_t(rank[size_t(id[size_t(i)])])]++)] = i;
    if (descending) ReverseOrder(order, count);
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

int ComparisonForColumn(TColumnKind column) {
    if (column == TColumnKind::Date) return SortByDate;
    if (column == TColumnKind::Number) return SortByNumber;
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
        SortEqualKeys(count, descending, order);
    else if (comparison == SortByDate)
        SortDateKeys(table, count, column, descending, order);
    else if (comparison == SortByNumber)
        SortNumberKeys(table, count, column, descending, order);
    else
        SortTextKeys(table, count, column, descending, order);

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

std::vector<TSortMenuItem> SortMenuItems(const QStringList& captions, const TSortState& state) {
    std::vector<TSortMenuItem> items;
    for (int column = 0; column < captions.size(); ++column)
        items.push_back({QStringLiteral("Name") + QString::number(column), captions[column],
                         column == state.Column, true});
    items.push_back({QStringLiteral("MySeparator"), QStringLiteral("-"), false, false});
    items.push_back(
        {QStringLiteral("MyReturn"), QStringLiteral("В обратном порядке"), !state.Ascending, false});
    return items;
}

int SortMenuColumn(const QString& itemName, const TSortState& state) {
    if (itemName == u"MyReturn") return state.Column;
    if (!itemName.startsWith(u"Name")) return -1;
    bool ok = false;
    const int column = itemName.mid(4).toInt(&ok);
    return ok && column >= 0 ? column : -1;
}

void SortLedgerByColumn(TMemTable& table, TSortState& state, int column, TColumnKind kind) {
    ChooseSortColumn(state, column);
    SortTableRows(table, column, ComparisonForColumn(kind), !state.Ascending, TSortRange::KeepNewRow);
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
