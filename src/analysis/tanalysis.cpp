#include "analysis/tanalysis.h"

#include "analysis/tgraphtoshow.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "money/pursetable.h"
#include "storage/tabledefs.h"
#include "storage/textrules.h"

#include <QByteArrayView>
#include <QHash>

#include <algorithm>
#include <iterator>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace {

// Where a kind's amounts come from: the table, its grouping cell (and, for the analysis by names, the
// name cell after the kind) and its date cell. Plans count from the start of their period.
struct TSource {
    TTableKind table;
    int group;
    int name; // -1: grouped by one cell
    int date;
};

struct TKindDef {
    const char* title;
    TSource main;
    bool compared;
    TSource comparison;
    const char* captions[3];
};

constexpr TSource kNone{TTableKind::Rashod, -1, -1, -1};
constexpr TSource kRashod{TTableKind::Rashod, col::rashod::Kind, -1, col::rashod::Date};
constexpr TSource kPlanRashod{TTableKind::PlanRashod, col::planrashod::Kind, -1, col::planrashod::From};

const TKindDef kKinds[AnalysisKindCount] = {
    {"Анализ по видам расходов", kRashod, true, kPlanRashod, {"Расходы", "Планы", "Разница"}},
    {"Анализ по наименованиям расходов",
     {TTableKind::Rashod, col::rashod::Kind, col::rashod::Name, col::rashod::Date},
     true,
     {TTableKind::PlanRashod, col::planrashod::Kind, col::planrashod::Name, col::planrashod::From},
     {"Расходы", "Планы", "Разница"}},
    {"Анализ по видам доходов",
     {TTableKind::Dohod, col::dohod::Kind, -1, col::dohod::Date},
     true,
     kRashod,
     {"Доходы", "Расходы", "Разница"}},
    {"Анализ по планированию расходов", kPlanRashod, true, kRashod, {"Планы", "Расходы", "Разница"}},
    {"Анализ по планированию доходов",
     {TTableKind::PlanDohod, col::plandohod::Kind, -1, col::plandohod::From},
     false,
     kNone,
     {"Планы"}},
    {"Анализ по примечанию в таблице расходов",
     {TTableKind::Rashod, col::rashod::Note, -1, col::rashod::Date},
     false,
     kNone,
     {"Сумма"}},
    {"Анализ по примечанию в таблице доходов",
     {TTableKind::Dohod, col::dohod::Note, -1, col::dohod::Date},
     false,
     kNone,
     {"Сумма"}},
    {"Анализ по примечанию в таблице планирования расходов",
     {TTableKind::PlanRashod, col::planrashod::Note, -1, col::planrashod::From},
     false,
     kNone,
     {"Сумма"}},
    {"Анализ по примечанию в таблице планирования доходов",
     {TTableKind::PlanDohod, col::plandohod::Note, -1, col::plandohod::From},
     false,
     kNone,
     {"Сумма"}},
};

const TKindDef& Def(int kind) {
    return kKinds[std::clamp(kind, 0, AnalysisKindCount - 1)];
}

// Expenses against plans (kinds 0 and 1) turn the difference the other way from plans against expenses.
bool ExpensesFirst(int kind) {
    return kind == KindRashodByKind || kind == KindRashodByName;
}

struct TGroup {
    QString name;
    long double amount = 0;
};

struct TCollected {
    std::vector<TGroup> groups; // by name, UTF-16 code units
    long double total = 0;
};

// The name selection as the collection asks it: is this (kind, name) pair checked?
class TNameFilter {
public:
    TNameFilter(const TMemTable& kindsList, const TNameSelection& selection) : m_selection(selection) {
        if (!selection.applies) return;
        m_names.resize(size_t(kindsList.RowCount()));
        for (int r = 0; r < kindsList.RowCount(); ++r) {
            const QStringList cells = kindsList.Row(r)->Cells();
            if (cells.isEmpty()) continue;
            if (!m_kindRows.contains(cells[col::kinds::Kind])) m_kindRows.insert(cells[col::kinds::Kind], r);
            // From the last name back, so that the first of two equal names is the one found.
            for (int c = int(cells.size()) - 1; c >= col::kinds::FirstName; --c)
                m_names[size_t(r)].insert(cells[c], c - col::kinds::FirstName);
        }
    }
    bool Passes(const QString& kind, const QString& name) const {
        if (!m_selection.applies) return true;
        const auto row = m_kindRows.constFind(kind);
        if (row == m_kindRows.cend()) return false;
        const auto index = m_names[size_t(*row)].constFind(name);
        return index != m_names[size_t(*row)].cend() && m_selection.NameChecked(*row, *index);
    }

private:
    const TNameSelection& m_selection;
    QHash<QString, int> m_kindRows;
    std::vector<QHash<QString, int>> m_names;
};

// The text of a cell from its bytes in the table, empty when they do not decode (as TTableRow::Cell).
QString DecodedCell(QByteArrayView bytes) {
    QString text;
    if (!memtable::DecodeCellText(bytes.data(), bytes.size(), text)) text.clear();
    return text;
}

std::string_view View(QByteArrayView bytes) {
    return {bytes.data(), size_t(bytes.size())};
}

// The number of a sum cell; the ASCII texts the editor stores are read without decoding.
long double SumValue(QByteArrayView bytes) {
    char16_t units[64];
    if (bytes.size() > qsizetype(std::size(units))) return NumberValue(DecodedCell(bytes));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) return NumberValue(DecodedCell(bytes));
        units[i] = c;
    }
    return NumberValue(QStringView(units, bytes.size()));
}

constexpr TDateValue kNoDate = std::numeric_limits<TDateValue>::min();

struct TRate {
    bool known = false; // the purse is in the purse list
    long double value = 0;
};

// The grouping cells of a row as bytes; name is empty when one cell groups.
struct TGroupKey {
    std::string_view kind, name;
    bool operator==(const TGroupKey&) const = default;
};
struct TGroupKeyHash {
    size_t operator()(const TGroupKey& k) const {
        const std::hash<std::string_view> h;
        return h(k.kind) * 31 + h(k.name);
    }
};

// What one pass over a table has learnt of its cells. A table holds few distinct dates, groups and
// purses, so each is read once by its bytes (which stay put while the pass runs) rather than decoded
// on every row; the groups themselves are still told apart by their text.
class TPass {
public:
    TPass(const QHash<QString, long double>& rates, const TNameFilter& names, const TSource& source)
        : m_rates(rates), m_names(names), m_source(source), m_today(TodayValue()) {}

    // kNoDate for an empty cell; a cell of blanks is today.
    TDateValue Date(QByteArrayView bytes) {
        const auto [it, added] = m_dates.try_emplace(View(bytes), kNoDate);
        if (added) {
            const QString text = DecodedCell(bytes);
            if (!text.isEmpty()) it->second = IsBlank(text) ? m_today : ParseCellDate(text);
        }
        return it->second;
    }
    const TRate& Rate(QByteArrayView bytes) {
        const auto [it, added] = m_purses.try_emplace(View(bytes));
        if (added) {
            const auto rate = m_rates.constFind(DecodedCell(bytes));
            if (rate != m_rates.cend()) it->second = {true, *rate};
        }
        return it->second;
    }
    // The row's group, -1 when it has none.
    int Slot(const TTableRow& row) {
        const TGroupKey key{View(row.CellBytes(m_source.group)),
                            m_source.name < 0 ? std::string_view() : View(row.CellBytes(m_source.name))};
        const auto [it, added] = m_keys.try_emplace(key, -1);
        if (added) it->second = SlotOf(GroupName(key));
        return it->second;
    }
    const QString& SlotName(int slot) const { return m_slotNames[size_t(slot)]; }

private:
    QString GroupName(const TGroupKey& key) const {
        const QString kind = DecodedCell(QByteArrayView(key.kind.data(), qsizetype(key.kind.size())));
        if (m_source.name < 0) return kind;
        if (kind.isEmpty()) return {};
        const QString name = DecodedCell(QByteArrayView(key.name.data(), qsizetype(key.name.size())));
        if (!m_names.Passes(kind, name)) return {};
        return kind + QStringLiteral(" , ") + name;
    }
    int SlotOf(const QString& group) {
        if (IsBlank(group)) return -1;
        const auto found = m_slots.constFind(group);
        if (found != m_slots.cend()) return *found;
        m_slots.insert(group, int(m_slotNames.size()));
        m_slotNames.push_back(group);
        return int(m_slotNames.size()) - 1;
    }

    const QHash<QString, long double>& m_rates;
    const TNameFilter& m_names;
    const TSource& m_source;
    const TDateValue m_today;
    std::unordered_map<std::string_view, TDateValue> m_dates;
    std::unordered_map<std::string_view, TRate> m_purses;
    std::unordered_map<TGroupKey, int, TGroupKeyHash> m_keys;
    QHash<QString, int> m_slots;
    std::vector<QString> m_slotNames;
};

// Sums a table's rows of the period by group, each amount converted to the base purse.
class TCollector {
public:
    TCollector(TMyType& state, const TAnalysisSettings& settings, const TNameSelection& selection)
        : m_state(state), m_start(DateFromQDate(settings.start)), m_end(DateFromQDate(settings.end)),
          m_names(state.vidRashod, selection) {
        const TMemTable& purses = state.Table(TTableKind::Purse);
        for (const QString& name : PurseNames(purses))
            if (!m_rates.contains(name)) m_rates.insert(name, PurseRate(purses, name));
    }

    // A row whose purse is not in the purse list is skipped for the main table and counts at rate 0
    // for the comparison.
    TCollected Collect(const TSource& source, bool unknownPurseSkips) const;

private:
    TMyType& m_state;
    TDateValue m_start, m_end;
    TNameFilter m_names;
    QHash<QString, long double> m_rates;
};

TCollected TCollector::Collect(const TSource& source, bool unknownPurseSkips) const {
    const TMemTable& table = m_state.Table(source.table);
    const TTableDef& def = TableDef(source.table);
    TPass pass(m_rates, m_names, source);
    TCollected out;
    std::vector<int> groupOfSlot; // index in out.groups, -1 until the group has a non-zero amount
    for (int i = 0; i < table.RowCount(); ++i) {
        const TTableRow& row = *table.Row(i);
        const TDateValue date = pass.Date(row.CellBytes(source.date));
        if (date == kNoDate || date < m_start || date > m_end) continue;
        const int slot = pass.Slot(row);
        if (slot < 0) continue;
        const TRate& rate = pass.Rate(row.CellBytes(def.PurseColumn()));
        if (!rate.known && unknownPurseSkips) continue;
        const long double converted = SumValue(row.CellBytes(def.sumColumn)) * rate.value;
        if (size_t(slot) >= groupOfSlot.size()) groupOfSlot.resize(size_t(slot) + 1, -1);
        int& group = groupOfSlot[size_t(slot)];
        if (group >= 0) {
            out.groups[size_t(group)].amount += converted;
        } else if (converted != 0) {
            group = int(out.groups.size());
            out.groups.push_back({pass.SlotName(slot), converted});
        }
        out.total += converted;
    }
    std::sort(out.groups.begin(), out.groups.end(),
              [](const TGroup& a, const TGroup& b) { return CompareText(a.name, b.name) < 0; });
    return out;
}

// A data row while it is laid out: the cells 1 to 4 and the group's unrounded main amount.
struct TResultRow {
    QString name, amount, comparison, difference;
    long double mainAmount = 0;
};

QString RoundedText(int decimals, long double x) {
    return FloatToText(RoundTo(decimals, x));
}

long double Share(long double part, long double whole) {
    return whole == 0 ? 0 : part / whole * 100;
}

std::vector<TResultRow> MainRows(const TCollected& main, bool percent) {
    std::vector<TResultRow> rows;
    rows.reserve(main.groups.size());
    for (const TGroup& g : main.groups) {
        const QString amount = percent ? RoundedText(2, Share(g.amount, main.total)) : FloatToText(g.amount);
        rows.push_back({g.name, amount, {}, {}, g.amount});
    }
    return rows;
}

// The amount with its sign turned as text: a leading "-" added or removed. Zero has no sign to turn
// (a group whose records cancel out shows a difference of 0, not "-0").
QString TurnedSign(const QString& amount) {
    if (amount == QLatin1String("0")) return amount;
    return amount.startsWith(u'-') ? amount.mid(1) : QStringLiteral("-") + amount;
}

// The difference of a group with both amounts, rounded to a whole number.
QString Difference(int kind, bool percent, long double main, long double comparison) {
    long double q;
    if (percent)
        q = ExpensesFirst(kind) ? Share(main, comparison) : Share(comparison, main);
    else
        q = ExpensesFirst(kind) ? comparison - main : main - comparison;
    return RoundedText(0, q);
}

// Largest first; rows of equal amount keep their order.
void SortByAmount(std::vector<TResultRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const TResultRow& a, const TResultRow& b) {
        return NumberValue(a.amount) > NumberValue(b.amount);
    });
}

void MergeComparison(std::vector<TResultRow>& rows, const TCollected& comparison, int kind, bool percent) {
    for (TResultRow& row : rows) {
        row.comparison = QStringLiteral("0");
        if (percent)
            row.difference = QStringLiteral("0");
        else
            row.difference = ExpensesFirst(kind) ? TurnedSign(row.amount) : row.amount;
    }
    QHash<QString, size_t> byName;
    for (size_t i = 0; i < rows.size(); ++i)
        byName.insert(rows[i].name, i);
    std::vector<TResultRow> unmatched;
    for (const TGroup& g : comparison.groups) {
        const auto found = byName.constFind(g.name);
        TResultRow* row = found != byName.cend() ? &rows[*found] : nullptr;
        if (!row) row = &unmatched.emplace_back(TResultRow{g.name, QStringLiteral("0"), {}, {}, 0});
        row->comparison = FloatToText(g.amount);
        row->difference = Difference(kind, percent, row->mainAmount, g.amount);
    }
    rows.insert(rows.end(), unmatched.begin(), unmatched.end());
    SortByAmount(rows);
}

// The total row's difference.
QString TotalDifference(int kind, bool percent, long double main, long double comparison) {
    if (!percent) return FloatToText(ExpensesFirst(kind) ? comparison - main : main - comparison);
    if (main == 0) return QStringLiteral("0%");
    return RoundedText(0, ExpensesFirst(kind) ? Share(main, comparison) : Share(comparison, main)) + u'%';
}

void AddPercentSigns(std::vector<TResultRow>& rows, bool difference) {
    for (TResultRow& row : rows) {
        row.amount += u'%';
        if (difference) row.difference += u'%';
    }
}

QString PeriodTitle(int kind, const TAnalysisSettings& settings) {
    QString title = QStringLiteral("  ") + TAnalysis::KindTitle(kind) + QStringLiteral(" за период с ") +
                    FormatDate(DateFromQDate(settings.start)) + QStringLiteral(" по ") +
                    FormatDate(DateFromQDate(settings.end));
    if (ExpensesFirst(kind)) title += QStringLiteral(". Сравнение с планами.");
    if (kind == KindDohodByKind || kind == KindPlanRashod)
        title += QStringLiteral(". Сравнение с расходами.");
    return title;
}

// The data rows numbered from 1, then the total row.
void WriteTable(TMemTable& table, const std::vector<TResultRow>& rows, bool compared,
                const QStringList& total) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const TResultRow& r = rows[i];
        QStringList cells{QString::number(i + 1), r.name, r.amount};
        if (compared) cells << r.comparison << r.difference;
        table.AddRow()->SetCells(cells);
    }
    table.AddRow()->SetCells(total);
}

// Each data row's non-zero value at its position, as far as the chart has points.
std::vector<TChartPoint> ChartPointsOf(const std::vector<TResultRow>& rows) {
    std::vector<TChartPoint> points;
    const int count = std::min(int(rows.size()), GraphLimits::MaxPoints);
    for (int i = 0; i < count; ++i) {
        const QString& shown = rows[size_t(i)].amount;
        const double value = double(NumberValue(shown.endsWith(u'%') ? shown.chopped(1) : shown));
        if (value != 0) points.push_back({i + 1, value, rows[size_t(i)].name + QStringLiteral(": ") + shown});
    }
    return points;
}

} // namespace

void TAnalysis::Run(const TAnalysisSettings& settings, const TNameSelection& selection) {
    const int kind = std::clamp(settings.kind, 0, AnalysisKindCount - 1);
    const TKindDef& def = Def(kind);
    const bool percent = settings.format == FormatPercent;
    m_table.Clear();
    m_title = PeriodTitle(kind, settings);
    m_noData.clear();
    m_comparisonTotal = 0;
    m_rowAmounts.clear();
    m_points.clear();
    m_pieRefused = false;

    const TCollector collector(m_state, settings, selection);
    const TCollected main = collector.Collect(def.main, true);
    m_mainTotal = main.total;
    if (main.groups.empty()) {
        m_noData =
            KindTitle(kind) + QStringLiteral(": данных для анализа c указанными параметрами не существует");
        return;
    }
    std::vector<TResultRow> rows = MainRows(main, percent);
    if (def.compared) {
        const TCollected comparison = collector.Collect(def.comparison, false);
        m_comparisonTotal = comparison.total;
        if (kind == KindDohodByKind) {
            for (TResultRow& row : rows)
                row.comparison = row.difference = QStringLiteral("----");
        } else {
            MergeComparison(rows, comparison, kind, percent);
        }
    } else {
        SortByAmount(rows);
    }
    if (percent) AddPercentSigns(rows, def.compared && kind != KindDohodByKind);

    QStringList total{QStringLiteral(" "), QStringLiteral("Итого:"), FloatToText(m_mainTotal)};
    if (def.compared)
        total << FloatToText(m_comparisonTotal)
              << TotalDifference(kind, percent, m_mainTotal, m_comparisonTotal);
    WriteTable(m_table, rows, def.compared, total);
    for (const TResultRow& row : rows)
        m_rowAmounts.push_back(row.mainAmount);
    m_points = ChartPointsOf(rows);
    m_pieRefused =
        std::any_of(m_points.begin(), m_points.end(), [](const TChartPoint& p) { return p.value < 0; });
}

TNameSelection TNameSelection::AllChecked(const TMemTable& kindsList) {
    TNameSelection s;
    s.kinds.assign(size_t(kindsList.RowCount()), true);
    s.names.resize(size_t(kindsList.RowCount()));
    for (int r = 0; r < kindsList.RowCount(); ++r)
        s.names[size_t(r)].assign(size_t(std::max(0, kindsList.Row(r)->CellCount() - col::kinds::FirstName)),
                                  true);
    return s;
}

void TNameSelection::SetKind(int kindRow, bool on) {
    if (kindRow < 0 || size_t(kindRow) >= kinds.size()) return;
    kinds[size_t(kindRow)] = on;
    std::fill(names[size_t(kindRow)].begin(), names[size_t(kindRow)].end(), on);
}

void TNameSelection::SetName(int kindRow, int nameIndex, bool on) {
    if (kindRow < 0 || size_t(kindRow) >= names.size()) return;
    std::vector<bool>& row = names[size_t(kindRow)];
    if (nameIndex >= 0 && size_t(nameIndex) < row.size()) row[size_t(nameIndex)] = on;
}

void TNameSelection::SetAll(bool on) {
    for (size_t r = 0; r < kinds.size(); ++r)
        SetKind(int(r), on);
}

bool TNameSelection::NameChecked(int kindRow, int nameIndex) const {
    if (kindRow < 0 || size_t(kindRow) >= names.size()) return false;
    const std::vector<bool>& row = names[size_t(kindRow)];
    return nameIndex >= 0 && size_t(nameIndex) < row.size() && row[size_t(nameIndex)];
}

QStringList TAnalysis::Captions(int kind) {
    QStringList captions{QStringLiteral("№/цвет"), QStringLiteral("Наименование")};
    for (const char* c : Def(kind).captions)
        if (c) captions << QString::fromUtf8(c);
    return captions;
}

QString TAnalysis::KindTitle(int kind) {
    return QString::fromUtf8(Def(kind).title);
}

QString TAnalysis::ShownCell(int row, int cell) const {
    const TTableRow* r = row >= 0 && row < m_table.RowCount() ? m_table.Row(row) : nullptr;
    if (!r) return {};
    const QString text = r->Cell(cell);
    if (IsTotalRow(row)) return text;
    if (cell == 0 && r->Cell(2) == QLatin1String("0")) return {};
    if (cell >= 2 && cell <= 4 && text.isEmpty()) return QStringLiteral("0");
    return text;
}

bool TAnalysis::CellInRed(int row, int cell) const {
    if (cell != 4 || row < 0 || row >= m_table.RowCount()) return false;
    QString text = m_table.Row(row)->Cell(4).trimmed();
    if (text.endsWith(u'%')) text.chop(1);
    return NumberValue(text) < 0;
}

bool TAnalysis::TakesSliceColour(int row) const {
    if (row < 0 || row >= DataRowCount()) return false;
    const QString amount = m_table.Row(row)->Cell(2);
    return amount != QLatin1String("0") && amount != QLatin1String("0%");
}

const QStringList& AnalysisKindNames() {
    static const QStringList names = {QStringLiteral("Видам расходов"),
                                      QStringLiteral("Наименованиям расходов"),
                                      QStringLiteral("Видам доходов"),
                                      QStringLiteral("По планированию расходов"),
                                      QStringLiteral("По планированию доходов"),
                                      QStringLiteral("По примечанию в расходах"),
                                      QStringLiteral("По примечанию в доходах"),
                                      QStringLiteral("По примечанию в планах расходов"),
                                      QStringLiteral("По примечанию в планах доходов")};
    return names;
}

const QStringList& AnalysisFormatNames() {
    static const QStringList names = {QStringLiteral("Числовой"), QStringLiteral("Процентный")};
    return names;
}

const QStringList& AnalysisChartNames() {
    static const QStringList names = {QStringLiteral("Круговая"), QStringLiteral("Прямоугольная"),
                                      QStringLiteral("Линейная")};
    return names;
}

namespace {

int EntryOf(const std::optional<QString>& text, const QStringList& entries, int current) {
    if (!text) return current;
    return std::max(0, int(entries.indexOf(*text)));
}

QDate DateOf(const std::optional<QString>& text, const QDate& fallback) {
    if (!text) return fallback;
    const QDate date = QDate::fromString(text->trimmed(), QStringLiteral("dd.MM.yyyy"));
    return date.isValid() ? date : fallback;
}

} // namespace

TAnalysisSettings RestoreAnalysisSettings(const TBaseSettings& stored, const TAnalysisSettings& current,
                                          const QDate& today) {
    TAnalysisSettings s;
    s.start = DateOf(stored.analisFrom, today.addDays(-30));
    s.end = DateOf(stored.analisTo, today);
    s.kind = EntryOf(stored.analisVid, AnalysisKindNames(), current.kind);
    s.format = EntryOf(stored.analisFormat, AnalysisFormatNames(), current.format);
    s.chart = EntryOf(stored.analisChart, AnalysisChartNames(), current.chart);
    return s;
}

void StoreAnalysisSettings(const TAnalysisSettings& settings, TBaseSettings& stored) {
    stored.analisFrom = settings.start.toString(QStringLiteral("dd.MM.yyyy"));
    stored.analisTo = settings.end.toString(QStringLiteral("dd.MM.yyyy"));
    stored.analisVid = AnalysisKindNames().value(settings.kind);
    stored.analisFormat = AnalysisFormatNames().value(settings.format);
    stored.analisChart = AnalysisChartNames().value(settings.chart);
}

QStringList PieRefusalLines() {
    return {QStringLiteral("Круговая диаграмма не поддерживается"),
            QStringLiteral("для отрицательных значений."), QStringLiteral("Выберите другой вид диаграммы.")};
}
