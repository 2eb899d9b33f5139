#include "money/tfilters.h"
#include "storage/tabledefs.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/pursetable.h"
#include "money/rowcells.h"
#include "storage/textrules.h"
#include "storage/tsettingsfiles.h"

#include <QHash>

#include <climits>
#include <vector>

namespace {

// The columns the dialog's kind and name criteria look at; -1: the table has none.
struct TTextColumns {
    int kind = -1;
    int name = -1;
};

TTextColumns TextColumns(TTableKind kind) {
    switch (kind) {
    case TTableKind::Rashod:
        return {1, 2};
    case TTableKind::Dohod:
        return {1, -1};
    case TTableKind::Dolg:
        return {0, 3};
    case TTableKind::PlanRashod:
        return {0, 1};
    case TTableKind::PlanDohod:
        return {0, -1};
    default:
        return {};
    }
}

// The purses of the per-purse rows: every non-blank name in purse-table order, found by exact name.
struct TPurseIndex {
    explicit TPurseIndex(const TMemTable& purse) {
        for (int i = 0; i < purse.RowCount(); ++i) {
            const QString name = purse.Row(i)->Cell(col::purse::Name);
            if (!IsNotBlank(name) || index.contains(name)) continue;
            index.insert(name, int(names.size()));
            names << name;
            rates.push_back(NumberValue(purse.Row(i)->Cell(col::purse::Rate)));
        }
    }
    int Find(const QString& name) const { return index.value(name, -1); }
    long double Rate(int i) const { return i < 0 ? 0 : rates[size_t(i)]; }
    int Count() const { return int(names.size()); }

    QStringList names;
    std::vector<long double> rates;
    QHash<QString, int> index;
};

// A row of the per-purse tables: name, rate, sum.
void FillPerPurse(TMemTable& table, const TPurseIndex& purses, const std::vector<long double>& sums) {
    table.Clear();
    for (int i = 0; i < purses.Count(); ++i)
        table.AddRow()->SetCells({purses.names[i], FloatToText(purses.rates[size_t(i)]),
                                  FloatToText(sums.empty() ? 0 : sums[size_t(i)])});
}

bool IsComplete(const TRowCells& cells, int lastRequired) {
    for (int c = 0; c <= lastRequired; ++c)
        if (cells.Blank(c)) return false;
    return true;
}

bool HasContentAfterFirstCell(const TRowCells& cells, int columns) {
    for (int c = 1; c < columns; ++c)
        if (!cells.Blank(c)) return true;
    return false;
}

// A date cell as ParseCellDate reads its text; a blank cell holds no date. A date is short plain
// ASCII almost always, read from its bytes without making a string.
std::optional<TDateValue> CellDate(const TRowCells& cells, int column) {
    const QByteArrayView bytes = cells.Bytes(column);
    constexpr qsizetype kShort = 16;
    if (bytes.size() <= kShort && IsAsciiBytes(bytes)) {
        char16_t text[kShort];
        for (qsizetype k = 0; k < bytes.size(); ++k)
            text[k] = static_cast<unsigned char>(bytes[k]);
        const QStringView view(text, bytes.size());
        if (IsBlank(view)) return std::nullopt;
        return ParseCellDate(view);
    }
    const QString& text = cells.Value(column);
    if (IsBlank(text)) return std::nullopt;
    return ParseCellDate(text);
}

// The purse of a record from its cell's bytes: the few distinct byte strings of a table's purse cells
// are decoded and looked up once each.
class TPurseLookup {
public:
    explicit TPurseLookup(const TPurseIndex& purses) : m_purses(purses) {}
    int Find(const TRowCells& cells, int column) {
        const QByteArrayView bytes = cells.Bytes(column);
        for (const auto& [seen, index] : m_seen)
            if (seen == bytes) return index;
        const int index = m_purses.Find(cells.Value(column));
        if (m_seen.size() < kRemembered) m_seen.emplace_back(bytes.toByteArray(), index);
        return index;
    }

private:
    static constexpr size_t kRemembered = 64;
    const TPurseIndex& m_purses;
    std::vector<std::pair<QByteArray, int>> m_seen;
};

// A text criterion: it passes when it is blank or the table has no such column; otherwise the whole
// cell must equal it, case aside.
struct TTextCriterion {
    TTextCriterion(int col, const QString& criterion)
        : column(IsNotBlank(criterion) ? col : -1), text(criterion) {}
    bool Passes(const TRowCells& cells) const { return column < 0 || text.SameAs(cells.Value(column)); }

    int column;
    TCaseBlindText text;
};

void ClampSelection(TDataGrid& grid) {
    const int last = grid.GridRowCount() - 1;
    if (grid.row > last) grid.row = last;
    if (grid.row < 1) grid.row = 1;
}

} // namespace

struct TFilters::TMatcher {
    TDateValue from = INT_MIN;
    TDateValue to = INT_MAX;
    // A period shows only records that hold something besides their date.
    bool needsContent = true;
    bool anySum = true;
    long double sumFrom = 0, sumTo = 0;
    std::vector<TTextCriterion> texts;
    bool custom = false;

    bool DateInRange(TDateValue d) const { return d >= from && d <= to; }

    bool Passes(const TRowCells& cells, int columns, int sumColumn) const {
        if (needsContent && !HasContentAfterFirstCell(cells, columns)) return false;
        if (!custom) return true;
        if (!anySum) {
            const long double sum = NumberValue(cells.Value(sumColumn));
            if (sum < sumFrom || sum > sumTo) return false;
        }
        for (const TTextCriterion& t : texts)
            if (!t.Passes(cells)) return false;
        return true;
    }
};

const QStringList& FilterRadioItems() {
    static const QStringList items = {QStringLiteral("Нет"),
                                      QStringLiteral("Сегодня"),
                                      QStringLiteral("Текущая неделя"),
                                      QStringLiteral("Последние 7 дней"),
                                      QStringLiteral("Текущий месяц"),
                                      QStringLiteral("Последние 30 дней"),
                                      QStringLiteral("Настраиваемый")};
    return items;
}

QString FilterTitleWord(int type) {
    switch (type) {
    case filtertype::Today:
        return QStringLiteral("Сегодня");
    case filtertype::Week:
        return QStringLiteral("Текущая неделя");
    case filtertype::Last7Days:
        return QStringLiteral("Последние 7 дней");
    case filtertype::Month:
        return QStringLiteral("Текущий месяц");
    case filtertype::Last30Days:
        return QStringLiteral("30 дней");
    case filtertype::Custom:
        return QStringLiteral("Настраиваемый");
    default:
        return {};
    }
}

QString TablePageTitle(TTableKind kind) {
    switch (kind) {
    case TTableKind::Rashod:
        return QStringLiteral("Таблица расходов");
    case TTableKind::Dohod:
        return QStringLiteral("Таблица доходов");
    case TTableKind::Dolg:
        return QStringLiteral("Таблица долгов");
    case TTableKind::PlanRashod:
    case TTableKind::PlanDohod:
        return QStringLiteral("Таблица планов");
    default:
        return {};
    }
}

QString FilterPageTitle(TTableKind kind, int type) {
    const QString word = FilterTitleWord(type);
    if (word.isEmpty()) return TablePageTitle(kind);
    return TablePageTitle(kind) + QStringLiteral("  Фильтр : ") + word;
}

bool IsFilterable(TTableKind kind) {
    return kind == TTableKind::Rashod || kind == TTableKind::Dohod || kind == TTableKind::Dolg ||
           kind == TTableKind::PlanRashod || kind == TTableKind::PlanDohod;
}

std::optional<TPeriod> PeriodBounds(int type, QDate today) {
    switch (type) {
    case filtertype::Today:
        return TPeriod{today, today};
    case filtertype::Week: {
        // Monday = 1 ... Sunday = 7, so the week that holds a Sunday began six days before it.
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        return TPeriod{monday, monday.addDays(6)};
    }
    case filtertype::Last7Days:
        return TPeriod{today.addDays(-6), today};
    case filtertype::Month:
        return TPeriod{QDate(today.year(), today.month(), 1),
                       QDate(today.year(), today.month(), today.daysInMonth())};
    case filtertype::Last30Days:
        return TPeriod{today.addDays(-29), today};
    default:
        return std::nullopt;
    }
}

TFilters::TFilters(TMyType& state) : m_state(state) {}

void TFilters::ApplyPeriod(TTableKind kind, QDate from, QDate to) {
    TMatcher m;
    m.from = DateFromQDate(from);
    m.to = DateFromQDate(to);
    Apply(kind, m);
}

void TFilters::ApplyCustom(TTableKind kind, const TFilterCriteria& criteria) {
    const TTableDef& def = TableDef(kind);
    TMatcher m;
    m.custom = true;
    m.needsContent = false;
    if (!criteria.from.isNull()) m.from = DateFromQDate(criteria.from);
    if (!criteria.to.isNull()) m.to = DateFromQDate(criteria.to);
    m.sumFrom = criteria.sumFrom.value_or(0);
    m.sumTo = criteria.sumTo.value_or(0);
    m.anySum = (!criteria.sumFrom && !criteria.sumTo) || (m.sumFrom == -1 && m.sumTo == -1);
    const TTextColumns columns = TextColumns(kind);
    for (const TTextCriterion& t :
         {TTextCriterion(columns.kind, criteria.kind), TTextCriterion(columns.name, criteria.name),
          TTextCriterion(def.PurseColumn(), criteria.purse), TTextCriterion(def.userColumn, criteria.user)})
        if (t.column >= 0) m.texts.push_back(t);
    Apply(kind, m);
}

namespace {

// Every shown record is complete: the filtered rows end with a row for a new record. It is the table's
// last row while that row is an unlisted incomplete one; otherwise a fresh one is appended, as the grid
// would on the next edit.
void ShowNewRecordRow(TMyType& state, TDataGrid& grid, std::vector<int>& rowMap, std::vector<bool>& shown) {
    TMemTable& table = *grid.Table;
    const TTableDef& def = TableDef(grid.kind);
    const int last = table.RowCount() - 1;
    bool lastIsNew = false;
    if (last >= 0 && !shown[size_t(last)]) {
        TRowCells record;
        record.Read(table, last, def.ColumnCount());
        lastIsNew = !IsComplete(record, def.lastRequiredColumn);
    }
    if (!lastIsNew) {
        TBaseLoader::AppendNewRecordRow(state, grid);
        shown.push_back(false);
    }
    const int newRow = table.RowCount() - 1;
    rowMap.push_back(newRow + 1);
    shown[size_t(newRow)] = true;
}

} // namespace

void TFilters::Apply(TTableKind kind, const TMatcher& matcher) {
    if (!IsFilterable(kind)) return;
    TDataGrid& grid = m_state.Grid(kind);
    if (!grid.Table) return;
    TMemTable& table = *grid.Table;
    const TTableDef& def = TableDef(kind);
    const bool debts = kind == TTableKind::Dolg;
    const int columns = def.ColumnCount();
    const int purseColumn = def.PurseColumn();
    const TPurseIndex purses(m_state.Table(TTableKind::Purse));

    // For debts the first sums are the lent ones and the second the borrowed ones.
    std::vector<long double> sums(size_t(purses.Count()), 0), borrowed(size_t(purses.Count()), 0);
    long double total = 0, lentTotal = 0;
    std::vector<int> rowMap{0};
    std::vector<bool> shown(size_t(table.RowCount()) + 1, false);
    bool allComplete = true;
    TRowCells record;

    TPurseLookup purseOf(purses);
    const int count = table.RowCount();
    for (int i = 0; i < count; ++i) {
        // The date first: most records end there.
        record.Read(table, i, def.dateColumn + 1);
        const std::optional<TDateValue> date = CellDate(record, def.dateColumn);
        // Records without a date are never shown.
        if (!date || !matcher.DateInRange(*date)) continue;
        record.Read(table, i, columns);
        if (!matcher.Passes(record, columns, def.sumColumn)) continue;
        rowMap.push_back(i + 1);
        shown[size_t(i)] = true;
        const long double sum = NumberValue(record.Value(def.sumColumn));
        const int purse = purseOf.Find(record, purseColumn);
        const long double based = sum * purses.Rate(purse);
        const bool lent = debts && record.Value(col::dolg::Category) == cells::kLent;
        if (purse >= 0) (debts && !lent ? borrowed : sums)[size_t(purse)] += sum;
        total += based;
        if (lent) lentTotal += based;
        allComplete = allComplete && IsComplete(record, def.lastRequiredColumn);
    }

    if (allComplete) ShowNewRecordRow(m_state, grid, rowMap, shown);

    grid.RowMap = std::move(rowMap);
    grid.shown = std::move(shown);
    FillPerPurse(grid.filteredPerPurse, purses, sums);
    if (debts)
        FillPerPurse(grid.filteredBorrowedPerPurse, purses, borrowed);
    else
        grid.filteredBorrowedPerPurse.Clear();
    grid.filteredTotal = total;
    grid.filteredLentTotal = lentTotal;
    grid.filterActive = true;
    ClampSelection(grid);
    grid.NotifyRows();
    Changed(kind);
}

void TFilters::ResetFilteredTotals(TDataGrid& grid) {
    const TPurseIndex purses(m_state.Table(TTableKind::Purse));
    FillPerPurse(grid.filteredPerPurse, purses, {});
    if (grid.kind == TTableKind::Dolg)
        FillPerPurse(grid.filteredBorrowedPerPurse, purses, {});
    else
        grid.filteredBorrowedPerPurse.Clear();
    grid.filteredTotal = 0;
    grid.filteredLentTotal = 0;
    grid.filterActive = false;
}

void TFilters::RemoveFilter(TTableKind kind, bool redisplay) {
    if (!IsFilterable(kind)) return;
    TDataGrid& grid = m_state.Grid(kind);
    if (!grid.Table) return;
    TMemTable& table = *grid.Table;
    const TTableDef& def = TableDef(kind);

    // Incomplete records left behind under the filter go, except the last row. One that carries a sum
    // stays: its money is in the totals and the purses, and deleting it silently would lose it there.
    // Whether a record stays for what it holds depends on its cells alone: a row found to stay last time
    // whose cells did not change since is not read again.
    std::vector<TRowKey>& known = m_keepers[kind];
    std::vector<TRowKey> keepers;
    keepers.reserve(size_t(std::max(table.RowCount(), 0)));
    std::vector<int> doomed;
    TRowCells record;
    for (int i = 0; i <= table.RowCount() - 2; ++i) {
        const TRowKey key = RowKey(table, i);
        if (size_t(i) < known.size() && known[size_t(i)] == key) {
            keepers.push_back(key);
            continue;
        }
        record.Read(table, i, def.CellCount());
        bool incomplete = false;
        for (int c = 1; c <= def.lastRequiredColumn && !incomplete; ++c)
            incomplete = record.Blank(c);
        if (!incomplete || NumberValue(record.Value(def.sumColumn)) != 0) {
            keepers.push_back(key);
            continue;
        }
        if (kind == TTableKind::Dolg) {
            bool ok = false;
            const int number = record.Value(def.ColumnCount()).toInt(&ok);
            if (ok && number >= 0 && size_t(number) < m_state.returns.size() &&
                m_state.returns[size_t(number)] && m_state.returns[size_t(number)]->RowCount() > 0) {
                // It stays for its returns, which can go without the row changing: asked again next time.
                keepers.push_back({});
                continue;
            }
        }
        doomed.push_back(i);
    }
    table.DeleteRows(doomed);
    known = std::move(keepers);

    const int last = table.RowCount() - 1;
    if (last >= 0) record.Read(table, last, def.ColumnCount());
    if (last < 0 || IsComplete(record, def.lastRequiredColumn)) {
        TBaseLoader::AppendNewRecordRow(m_state, grid);
    } else if (kind == TTableKind::Rashod || kind == TTableKind::Dohod) {
        TTableRow* row = table.Row(last);
        if (!HasContentAfterFirstCell(record, def.ColumnCount()) && grid.DefaultDate.isValid()) {
            // Written only when it differs: a rewrite of the same date would have the table saved again.
            const QString date = FormatDate(DateFromQDate(grid.DefaultDate));
            if (row->CellCount() < def.CellCount()) row->SetCellCount(def.CellCount());
            if (row->Cell(def.dateColumn) != date) row->SetCell(def.dateColumn, date);
        }
    }

    grid.ResetRowMap();
    ResetFilteredTotals(grid);
    ClampSelection(grid);
    // The view always learns of the new rows; redisplay also refreshes the totals and the search.
    grid.NotifyRows();
    if (redisplay) Changed(kind);
}

void TFilters::ReapplyFilter(TTableKind kind) {
    if (!IsFilterable(kind)) return;
    TDataGrid& grid = m_state.Grid(kind);
    const int type = grid.filterChoice;
    if (const auto period = PeriodBounds(type, Today())) {
        ApplyPeriod(kind, period->from, period->to);
    } else if (type == filtertype::Custom) {
        ApplyCustom(kind, grid.criteria);
    } else if (grid.filterActive) {
        RemoveFilter(kind, true);
    }
}

TFilterChoiceResult TFilters::ChooseFilter(int type) {
    TFilterChoiceResult result;
    TDataGrid* current = m_state.current;
    if (!current) return result;
    if (current->kind == TTableKind::Returns) {
        const TDataGrid& debts = m_state.Grid(TTableKind::Dolg);
        result.action = TFilterChoiceAction::FocusDebtGrid;
        result.title = FilterPageTitle(TTableKind::Dolg, debts.filterActive ? debts.filterChoice : 0);
        result.checkedItem = debts.filterChoice;
        return result;
    }
    const TTableKind kind = current->kind;
    if (!IsFilterable(kind)) return result;
    if (type < 0 || type >= filtertype::Count) type = filtertype::None;

    RemoveFilter(kind, false);
    current->filterChoice = type;
    result.clearSearch = true;
    result.checkedItem = type;
    result.title = FilterPageTitle(kind, type);
    if (type == filtertype::None) {
        RemoveFilter(kind, true);
    } else if (type == filtertype::Custom) {
        result.action = TFilterChoiceAction::OpenDialog;
    } else {
        const auto period = PeriodBounds(type, Today());
        ApplyPeriod(kind, period->from, period->to);
    }
    return result;
}

TFilterDialogSetup TFilters::DialogSetup(TTableKind kind) {
    TFilterDialogSetup setup;
    setup.fields.from = Today();
    setup.fields.to = Today();
    setup.fields.sumFrom = QStringLiteral("-1");
    setup.fields.sumTo = QStringLiteral("-1");
    switch (kind) {
    case TTableKind::Dohod:
    case TTableKind::PlanDohod:
        setup.kindLabel = QStringLiteral("Вид дохода");
        break;
    case TTableKind::Dolg:
        setup.kindLabel = QStringLiteral("Категория");
        break;
    default:
        setup.kindLabel = QStringLiteral("Вид расхода");
        break;
    }
    setup.nameLabel =
        kind == TTableKind::Dolg ? QStringLiteral("Дебитор/Кредитор") : QStringLiteral("Название расхода");
    setup.nameVisible =
        kind == TTableKind::Rashod || kind == TTableKind::Dolg || kind == TTableKind::PlanRashod;
    return setup;
}

TFilterCriteria TFilters::CriteriaFromDialog(const TFilterDialogFields& fields) {
    TFilterCriteria c;
    c.from = fields.from;
    c.to = fields.to;
    c.sumFrom = NumberValue(fields.sumFrom);
    c.sumTo = NumberValue(fields.sumTo);
    c.kind = fields.kind;
    c.name = fields.name;
    c.purse = fields.purse;
    c.user = fields.user;
    return c;
}

QString TFilters::AcceptDialog(TTableKind kind, const TFilterDialogFields& fields) {
    if (!IsFilterable(kind)) return {};
    TDataGrid& grid = m_state.Grid(kind);
    grid.criteria = CriteriaFromDialog(fields);
    grid.filterChoice = filtertype::Custom;
    ApplyCustom(kind, grid.criteria);
    return FilterPageTitle(kind, filtertype::Custom);
}

TFilterChoiceResult TFilters::CancelDialog(TTableKind kind) {
    TFilterChoiceResult result;
    result.title = TablePageTitle(kind);
    if (!IsFilterable(kind)) return result;
    TDataGrid& grid = m_state.Grid(kind);
    RemoveFilter(kind, true);
    grid.filterChoice = filtertype::None;
    grid.criteria = {};
    return result;
}

TFilterRecordValues TFilters::RecordValues(TTableKind kind, const TTableRow& row) {
    const TTableDef& def = TableDef(kind);
    TFilterRecordValues v;
    v.sum = row.Cell(def.sumColumn);
    v.purse = row.Cell(def.PurseColumn());
    if (kind == TTableKind::Dolg) v.debtKind = row.Cell(col::dolg::Category);
    return v;
}

void TFilters::MoveContribution(TDataGrid& grid, const TFilterRecordValues& values, int sign) {
    const long double sum = sign * NumberValue(values.sum);
    const TMemTable& purseTable = m_state.Table(TTableKind::Purse);
    const bool known = IsNotBlank(values.purse) && FindPurse(purseTable, values.purse) >= 0;
    const long double rate = known ? PurseRate(purseTable, values.purse) : 0;
    const bool lent = grid.kind == TTableKind::Dolg && values.debtKind == cells::kLent;
    grid.filteredTotal += sum * rate;
    if (lent) grid.filteredLentTotal += sum * rate;
    if (!known) return;
    TMemTable& perPurse =
        grid.kind == TTableKind::Dolg && !lent ? grid.filteredBorrowedPerPurse : grid.filteredPerPurse;
    TTableRow* row = nullptr;
    for (int i = 0; i < perPurse.RowCount() && !row; ++i)
        if (perPurse.Row(i)->Cell(col::filteredperpurse::Name) == values.purse) row = perPurse.Row(i);
    if (!row) {
        // A purse made after the filter was applied.
        row = perPurse.AddRow();
        row->SetCells({values.purse, FloatToText(rate), QStringLiteral("0")});
    }
    row->SetCell(col::filteredperpurse::Sum,
                 FloatToText(NumberValue(row->Cell(col::filteredperpurse::Sum)) + sum));
}

void TFilters::RecordChanged(TTableKind kind, int tableRow, const TFilterRecordValues& before,
                             const TFilterRecordValues& after) {
    if (!IsFilterable(kind)) return;
    TDataGrid& grid = m_state.Grid(kind);
    if (!grid.filterActive || grid.GridRowOf(tableRow) < 1) return;
    MoveContribution(grid, before, -1);
    MoveContribution(grid, after, +1);
}

void TFilters::RecordRemoved(TTableKind kind, int tableRow) {
    if (!IsFilterable(kind)) return;
    TDataGrid& grid = m_state.Grid(kind);
    if (!grid.filterActive || !grid.Table || grid.GridRowOf(tableRow) < 1) return;
    const TTableRow* row = grid.Table->Row(tableRow);
    if (row) MoveContribution(grid, RecordValues(kind, *row), -1);
}

QStringList TFilters::CriteriaToFields(const TFilterCriteria& criteria) {
    auto date = [](QDate d) { return d.isNull() ? QString() : FormatDate(DateFromQDate(d)); };
    auto sum = [](const std::optional<long double>& s) { return s ? FloatToText(*s) : QString(); };
    // A TAB or a line break would split the stored array: they are kept as spaces.
    auto text = [](QString t) {
        for (QChar& c : t)
            if (c.unicode() < 0x20) c = QLatin1Char(' ');
        return t;
    };
    return {date(criteria.from), date(criteria.to),   sum(criteria.sumFrom), sum(criteria.sumTo),
            text(criteria.kind), text(criteria.name), text(criteria.purse),  text(criteria.user)};
}

TFilterCriteria TFilters::CriteriaFromFields(const QStringList& fields) {
    auto date = [](const QString& f) { return IsNotBlank(f) ? DateToQDate(ParseCellDate(f)) : QDate(); };
    auto sum = [](const QString& f) -> std::optional<long double> {
        if (!IsNotBlank(f)) return std::nullopt;
        return NumberValue(f);
    };
    TFilterCriteria c;
    c.from = date(fields.value(0));
    c.to = date(fields.value(1));
    c.sumFrom = sum(fields.value(2));
    c.sumTo = sum(fields.value(3));
    c.kind = fields.value(4);
    c.name = fields.value(5);
    c.purse = fields.value(6);
    c.user = fields.value(7);
    return c;
}

void TFilters::StoreInSettings(TBaseSettings& settings) const {
    const auto& kinds = LedgerKinds();
    for (size_t t = 0; t < kinds.size() && t < settings.filterIndex.size(); ++t) {
        const TDataGrid& grid = m_state.Grid(kinds[t]);
        int type = grid.filterChoice;
        if (type < 0 || type >= filtertype::Count) type = filtertype::None;
        settings.filterFields[t].clear();
        if (type == filtertype::Custom) {
            if (grid.criteria.IsEmpty())
                type = filtertype::None;
            else
                settings.filterFields[t] = CriteriaToFields(grid.criteria);
        }
        settings.filterIndex[t] = type;
    }
}

void TFilters::RestoreFromSettings(const TBaseSettings& settings) {
    const auto& kinds = LedgerKinds();
    for (size_t t = 0; t < kinds.size() && t < settings.filterIndex.size(); ++t) {
        TDataGrid& grid = m_state.Grid(kinds[t]);
        int type = settings.filterIndex[t];
        if (type < 0 || type >= filtertype::Count) type = filtertype::None;
        grid.criteria = {};
        if (type == filtertype::Custom) {
            grid.criteria = CriteriaFromFields(settings.filterFields[t]);
            if (grid.criteria.IsEmpty()) type = filtertype::None;
        }
        grid.filterChoice = type;
        if (type != filtertype::None) ReapplyFilter(kinds[t]);
    }
}

void TFilters::Changed(TTableKind kind) {
    if (onChanged) onChanged(kind);
}
