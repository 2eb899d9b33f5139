#include "money/tcalculationresults.h"
#include "storage/tabledefs.h"

#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/imoneyview.h"
#include "money/moneycells.h"
#include "money/pursetable.h"
#include "money/tdolgclass.h"
#include "storage/tmessageboxclass.h"

#include <QHash>

#include <iterator>

namespace {

QByteArray Encoded(const QString& text) {
    QByteArray bytes;
    memtable::AppendCellText(bytes, text);
    return bytes;
}

// A number cell read straight from its bytes: the usual short ASCII sums need no decoded text.
long double SumOf(const TTableRow& row, int column) {
    const QByteArrayView bytes = row.CellBytes(column);
    char16_t buf[32];
    if (bytes.size() <= qsizetype(std::size(buf))) {
        qsizetype i = 0;
        for (; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            if (c >= 0x80) break;
            buf[i] = char16_t(c);
        }
        if (i == bytes.size()) return NumberValue(QStringView(buf, bytes.size()));
    }
    return NumberValue(row.Cell(column));
}

// A date cell is today when it reads as today's date. Most cells hold the canonical "dd.MM.yyyy",
// which reads as today only when it is today's own text (or the 30.12.1899 that stands for today),
// so the full date reader is needed only for the other forms.
class TTodayTest {
public:
    TTodayTest() : m_today(TodayValue()), m_text(FormatDate(m_today).toLatin1()) {}
    bool operator()(const QString& cell) const {
        return Test(Encoded(cell), [&] { return cell; });
    }
    bool operator()(const TTableRow& row, int column) const {
        return Test(row.CellBytes(column), [&] { return row.Cell(column); });
    }

private:
    template <typename Text> bool Test(QByteArrayView bytes, Text text) const {
        if (bytes == QByteArrayView(m_text)) return true;
        if (IsCanonical(bytes) && bytes != QByteArrayView("30.12.1899")) return false;
        return ParseCellDate(text()) == m_today;
    }
    static bool IsCanonical(QByteArrayView t) {
        if (t.size() != 10 || t[2] != '.' || t[5] != '.') return false;
        for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
            if (t[i] < '0' || t[i] > '9') return false;
        return true;
    }
    TDateValue m_today;
    QByteArray m_text;
};

// The purses of the purse table with their rates, found by the bytes of a record's purse cell.
class TPurseSums {
public:
    explicit TPurseSums(const TMemTable& purse) {
        m_names = PurseNames(purse);
        for (const QString& name : m_names) {
            m_encoded.push_back(Encoded(name));
            m_rates.push_back(PurseRate(purse, name));
        }
    }
    // The purse's place, -1 when the cell names no purse.
    int Index(QByteArrayView cell) const {
        if (m_last >= 0 && cell == QByteArrayView(m_encoded[size_t(m_last)])) return m_last;
        for (size_t i = 0; i < m_encoded.size(); ++i) {
            if (cell == QByteArrayView(m_encoded[i])) {
                m_last = int(i);
                return m_last;
            }
        }
        return -1;
    }
    int Index(const QString& name) const { return Index(QByteArrayView(Encoded(name))); }
    long double Rate(int i) const { return i < 0 ? 0 : m_rates[size_t(i)]; }
    const QStringList& Names() const { return m_names; }
    std::vector<long double> NewSums() const { return std::vector<long double>(m_rates.size(), 0); }

private:
    QStringList m_names;
    std::vector<QByteArray> m_encoded;
    std::vector<long double> m_rates;
    mutable int m_last = -1;
};

void WriteSums(TMemTable& table, const QStringList& names, const std::vector<long double>& sums) {
    table.Clear();
    for (int i = 0; i < names.size(); ++i)
        table.AddRow()->SetCells({names[i], FloatToText(sums[size_t(i)])});
}

bool IsLentText(const QString& kind) {
    return kind == cells::kLent;
}

} // namespace

TCalculationResults::TCalculationResults(TMyType& state) : m_state(state) {}

bool TCalculationResults::CarriesTotals(TTableKind kind) {
    return kind == TTableKind::Rashod || kind == TTableKind::Dohod || kind == TTableKind::Dolg ||
           kind == TTableKind::PlanRashod || kind == TTableKind::PlanDohod;
}

TRecordMoney TCalculationResults::RecordMoneyOf(TTableKind kind, const TTableRow& row) const {
    return RecordMoneyWith(kind, row, -1, QString());
}

TRecordMoney TCalculationResults::RecordMoneyWith(TTableKind kind, const TTableRow& row, int column,
                                                  const QString& value) const {
    const TTableDef& def = TableDef(kind);
    auto cell = [&](int c) { return c == column ? value : row.Cell(c); };
    TRecordMoney m;
    m.sum = NumberValue(cell(def.sumColumn));
    m.purse = cell(def.PurseColumn());
    m.today = TTodayTest()(cell(def.dateColumn));
    if (kind == TTableKind::Dolg) m.lent = IsLentText(cell(0));
    return m;
}

void TCalculationResults::RecomputeTable(TTableKind kind) {
    if (!CarriesTotals(kind)) return;
    TDataGrid& grid = m_state.Grid(kind);
    const TMemTable& table = m_state.Table(kind);
    const TTableDef& def = TableDef(kind);
    const TPurseSums purses(m_state.Table(TTableKind::Purse));
    const TTodayTest isToday;
    const bool debts = kind == TTableKind::Dolg;

    std::vector<long double> all = purses.NewSums(), today = all, lent = all, lentToday = all;
    long double total = 0, todayTotal = 0, lentTotal = 0, lentTodayTotal = 0;
    const int sumColumn = def.sumColumn;
    const int purseColumn = def.PurseColumn();
    const int dateColumn = def.dateColumn;
    const QByteArray lentBytes = Encoded(cells::kLent);
    for (int r = 0; r < table.RowCount(); ++r) {
        const TTableRow* row = table.Row(r);
        const long double sum = SumOf(*row, sumColumn);
        if (sum == 0) continue; // adds 0 wherever it would go
        const int p = purses.Index(row->CellBytes(purseColumn));
        const long double base = sum * purses.Rate(p);
        const bool dayIsToday = isToday(*row, dateColumn);
        const bool isLent = debts && row->CellBytes(0) == QByteArrayView(lentBytes);
        total += base;
        if (dayIsToday) todayTotal += base;
        if (isLent) {
            lentTotal += base;
            if (dayIsToday) lentTodayTotal += base;
        }
        if (p < 0) continue;
        all[size_t(p)] += sum;
        if (dayIsToday) today[size_t(p)] += sum;
        if (isLent) {
            lent[size_t(p)] += sum;
            if (dayIsToday) lentToday[size_t(p)] += sum;
        }
    }
    grid.total = total;
    grid.todayTotal = todayTotal;
    WriteSums(grid.perPurse, purses.Names(), all);
    WriteSums(grid.perPurseToday, purses.Names(), today);
    if (debts) {
        TDebtTotals& d = m_state.debtTotals;
        d.lentTotal = lentTotal;
        d.lentTodayTotal = lentTodayTotal;
        WriteSums(d.lentPerPurse, purses.Names(), lent);
        WriteSums(d.lentPerPurseToday, purses.Names(), lentToday);
        RecomputeReturns();
    }
    ShowTotals();
}

void TCalculationResults::RecomputeReturns() {
    const TPurseSums purses(m_state.Table(TTableKind::Purse));
    std::vector<long double> toMe = purses.NewSums(), mine = toMe;
    TMemTable& dolg = m_state.Table(TTableKind::Dolg);
    for (int r = 0; r < dolg.RowCount(); ++r) {
        const TTableRow* debt = dolg.Row(r);
        TMemTable* returns = TDolgClass::ReturnsOf(m_state, *debt);
        if (!returns) continue;
        std::vector<long double>& into = IsLentText(debt->Cell(col::dolg::Category)) ? toMe : mine;
        for (int i = 0; i < returns->RowCount(); ++i) {
            const TTableRow* ret = returns->Row(i);
            const int p = purses.Index(ret->CellBytes(col::returns::Purse));
            if (p >= 0) into[size_t(p)] += NumberValue(ret->Cell(col::returns::Sum));
        }
        TDolgClass::RecomputeRemainders(m_state, *debt, *returns);
    }
    WriteSums(m_state.debtTotals.returnsToMe, purses.Names(), toMe);
    WriteSums(m_state.debtTotals.myReturns, purses.Names(), mine);
    RecomputeReturnTotals();
}

void TCalculationResults::RecomputeReturnTotals() {
    const TMemTable& purse = m_state.Table(TTableKind::Purse);
    auto weigh = [&](const TMemTable& perPurse) {
        long double total = 0;
        for (int i = 0; i < perPurse.RowCount(); ++i) {
            const TTableRow* row = perPurse.Row(i);
            total +=
                PurseRate(purse, row->Cell(col::perpurse::Name)) * NumberValue(row->Cell(col::perpurse::Sum));
        }
        return total;
    };
    m_state.debtTotals.returnsToMeTotal = weigh(m_state.debtTotals.returnsToMe);
    m_state.debtTotals.myReturnsTotal = weigh(m_state.debtTotals.myReturns);
}

void TCalculationResults::RecomputeAfterLoad() {
    for (TTableKind kind : LedgerKinds())
        RecomputeTable(kind);
    TotalMoney();
}

long double TCalculationResults::TotalMoney() {
    const TMemTable& purse = m_state.Table(TTableKind::Purse);
    long double total = 0;
    for (int i = 0; i < purse.RowCount(); ++i) {
        const TTableRow* row = purse.Row(i);
        total += NumberValue(row->Cell(col::purse::Amount)) * NumberValue(row->Cell(col::purse::Rate));
    }
    m_state.totalMoney = total;
    if (view) view->PurseAmountsChanged();
    return total;
}

void TCalculationResults::RecordChanged(TTableKind kind, int row, const TRecordMoney& before,
                                        const TRecordMoney& after) {
    Q_UNUSED(row);
    if (!CarriesTotals(kind)) return;
    MoveTotals(kind, before, after);
    MovePurseMoney(kind, before, after);
    ShowTotals();
}

void TCalculationResults::MoveTotals(TTableKind kind, const TRecordMoney& before, const TRecordMoney& after) {
    TDataGrid& grid = m_state.Grid(kind);
    const TMemTable& purse = m_state.Table(TTableKind::Purse);
    const long double r0 = PurseRate(purse, before.purse);
    const long double r1 = PurseRate(purse, after.purse);
    const long double b0 = before.sum * r0;
    const long double b1 = after.sum * r1;

    grid.total = grid.total - b0 + b1;
    if (before.today) grid.todayTotal -= b0;
    if (after.today) grid.todayTotal += b1;

    // One purse row both times: one change, so a sum that goes back reads exactly as before.
    auto move = [](TMemTable& table, const QString& p0, long double s0, bool in0, const QString& p1,
                   long double s1, bool in1) {
        if (in0 && in1 && p0 == p1) {
            AddToPerPurse(table, p0, s1 - s0);
            return;
        }
        if (in0) AddToPerPurse(table, p0, -s0);
        if (in1) AddToPerPurse(table, p1, s1);
    };
    move(grid.perPurse, before.purse, before.sum, true, after.purse, after.sum, true);
    move(grid.perPurseToday, before.purse, before.sum, before.today, after.purse, after.sum, after.today);

    if (kind == TTableKind::Dolg) {
        TDebtTotals& d = m_state.debtTotals;
        if (before.lent) {
            d.lentTotal -= b0;
            if (before.today) d.lentTodayTotal -= b0;
        }
        if (after.lent) {
            d.lentTotal += b1;
            if (after.today) d.lentTodayTotal += b1;
        }
        move(d.lentPerPurse, before.purse, before.sum, before.lent, after.purse, after.sum, after.lent);
        move(d.lentPerPurseToday, before.purse, before.sum, before.lent && before.today, after.purse,
             after.sum, after.lent && after.today);
    }
}

void TCalculationResults::MovePurseMoney(TTableKind kind, const TRecordMoney& before,
                                         const TRecordMoney& after) {
    if (kind != TTableKind::Rashod && kind != TTableKind::Dohod) return;
    if (before.purse == after.purse && before.sum == after.sum) return;
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    // An expense has taken its sum out of its purse, an income has put it in.
    const long double sign = kind == TTableKind::Rashod ? 1 : -1;
    bool moved = false;
    if (before.purse == after.purse) {
        const long double amount = PurseAmount(purse, before.purse);
        moved = SetPurseAmount(purse, before.purse, amount + sign * before.sum - sign * after.sum);
    } else {
        moved = AddToPurse(purse, before.purse, sign * before.sum);
        moved = AddToPurse(purse, after.purse, -sign * after.sum) || moved;
    }
    if (moved) {
        TotalMoney();
        m_state.Grid(TTableKind::Purse).NotifyCells();
    }
}

void TCalculationResults::CellCommitting(TTableKind kind, int row, int column, const QString& value) {
    if (!CarriesTotals(kind)) return;
    const TTableDef& def = TableDef(kind);
    const bool counts = column == def.sumColumn || column == def.PurseColumn() || column == def.dateColumn ||
                        (kind == TTableKind::Dolg && column == col::dolg::Category);
    const TTableRow* r = m_state.Table(kind).Row(row);
    if (!counts || !r) return;
    RecordChanged(kind, row, RecordMoneyOf(kind, *r), RecordMoneyWith(kind, *r, column, value));
}

void TCalculationResults::EmptyNewRecordRow(TTableKind kind, int row) {
    TTableRow* r = m_state.Table(kind).Row(row);
    const TTableDef& def = TableDef(kind);
    const int visible = def.ColumnCount();
    for (int c = 0; c < visible && c < r->CellCount(); ++c)
        r->SetCell(c, QString());
    if (kind == TTableKind::Rashod || kind == TTableKind::Dohod)
        SetCellWidened(*r, 0, m_state.Grid(kind).DefaultDate.toString(QStringLiteral("dd.MM.yyyy")));
}

void TCalculationResults::RecordRemoved(TTableKind kind, int row, bool adjustPurses) {
    RecordsRemoved(kind, {row}, adjustPurses);
}

void TCalculationResults::RecordsRemoved(TTableKind kind, const std::vector<int>& rows, bool adjustPurses) {
    if (!CarriesTotals(kind) || rows.empty()) return;
    TMemTable& table = m_state.Table(kind);
    TDataGrid& grid = m_state.Grid(kind);
    // Many rows: the totals are recomputed once afterwards rather than moved row by row.
    const bool recompute = rows.size() > 64;
    const int last = table.RowCount() - 1;
    std::vector<int> removed;
    removed.reserve(rows.size());
    QHash<QString, long double> purseBack;
    for (int r : rows) {
        const TTableRow* row = table.Row(r);
        if (!row) continue;
        const TRecordMoney m = RecordMoneyOf(kind, *row);
        if (!recompute) {
            TRecordMoney none = m;
            none.sum = 0;
            MoveTotals(kind, m, none);
        }
        if (adjustPurses && (kind == TTableKind::Rashod || kind == TTableKind::Dohod) && m.sum != 0)
            purseBack[m.purse] += kind == TTableKind::Rashod ? m.sum : -m.sum;
        if (r == last)
            EmptyNewRecordRow(kind, r);
        else
            removed.push_back(r);
    }
    DeleteTableRows(table, removed);
    RemoveRowsFromGrid(grid, removed);
    if (!purseBack.isEmpty()) {
        TMemTable& purse = m_state.Table(TTableKind::Purse);
        // In purse-table order, so the result does not depend on hashing.
        for (const QString& name : PurseNames(purse))
            if (purseBack.contains(name)) AddToPurse(purse, name, purseBack.value(name));
        TotalMoney();
        m_state.Grid(TTableKind::Purse).NotifyCells();
    }
    if (recompute) RecomputeTable(kind);
    // The rows that went were announced with their removal; an emptied new-record row is a change of cells.
    grid.NotifyCells();
    ShowTotals();
}

namespace {

bool AskRecalculation(const QString& word, const QString& name, long double sum) {
    return Messages().AskYesNo({QStringLiteral("В таблице ") + word + QStringLiteral(" по кошельку \"") +
                                    name + QStringLiteral("\""),
                                QStringLiteral("найдены записи на сумму ") + FloatToText(sum) +
                                    QStringLiteral(" (\"") + name + QStringLiteral("\")"),
                                QStringLiteral("Пересчитать сумму в кошельке"),
                                QStringLiteral("с учетом этой суммы?")},
                               TMsgButton::Yes);
}

} // namespace

void TCalculationResults::AskPurseRecalculation(const QString& name) {
    if (!IsNotBlank(name)) return;
    const bool fromLedgers = RecalculateFromLedgers(name);
    const bool fromReturns = RecalculateFromReturns(name);
    const bool fromTransfers = RecalculateFromTransfers(name);
    if (fromLedgers || fromReturns || fromTransfers) {
        TotalMoney();
        m_state.Grid(TTableKind::Purse).NotifyCells();
    }
}

// One question per ledger that names the purse, with the sum of its records.
bool TCalculationResults::RecalculateFromLedgers(const QString& name) {
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    bool changed = false;
    const struct {
        TTableKind kind;
        const char* word;
    } ledgers[] = {{TTableKind::Rashod, "расходов"},
                   {TTableKind::Dohod, "доходов"},
                   {TTableKind::Dolg, "долгов"},
                   {TTableKind::PlanRashod, "планов-расходов"},
                   {TTableKind::PlanDohod, "планов-доходов"}};
    for (const auto& l : ledgers) {
        const TMemTable& table = m_state.Table(l.kind);
        const TTableDef& def = TableDef(l.kind);
        bool found = false;
        long double sum = 0;
        for (int r = 0; r < table.RowCount(); ++r) {
            const TTableRow* row = table.Row(r);
            if (row->Cell(def.PurseColumn()) != name) continue;
            found = true;
            const long double s = NumberValue(row->Cell(def.sumColumn));
            if (l.kind == TTableKind::Rashod || l.kind == TTableKind::Dohod) {
                sum += s;
            } else if (l.kind == TTableKind::Dolg && row->Cell(col::dolg::InPurse) == cells::kShown) {
                sum += IsLentText(row->Cell(col::dolg::Category)) ? -s : s;
            }
        }
        if (!found) continue;
        if (sum != 0 && AskRecalculation(QString::fromUtf8(l.word), name, sum)) {
            AddToPurse(purse, name, l.kind == TTableKind::Rashod ? -sum : sum);
            changed = true;
        }
        RecomputeTable(l.kind);
    }
    return changed;
}

// Debt returns, debt by debt: one question for the first shown debt whose returns name the purse.
bool TCalculationResults::RecalculateFromReturns(const QString& name) {
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    const TMemTable& dolg = m_state.Table(TTableKind::Dolg);
    bool changed = false;
    bool asked = false;
    bool any = false;
    for (int r = 0; r < dolg.RowCount(); ++r) {
        const TTableRow* debt = dolg.Row(r);
        if (debt->Cell(col::dolg::InPurse) != cells::kShown) continue;
        const TMemTable* returns = TDolgClass::ReturnsOf(m_state, *debt);
        if (!returns) continue;
        bool names = false;
        long double sum = 0;
        const bool lent = IsLentText(debt->Cell(col::dolg::Category));
        for (int i = 0; i < returns->RowCount(); ++i) {
            const TTableRow* ret = returns->Row(i);
            if (ret->Cell(col::returns::Purse) != name) continue;
            names = true;
            const long double s = NumberValue(ret->Cell(col::returns::Sum));
            sum += lent ? s : -s;
        }
        if (!names) continue;
        if (!asked) {
            any = true;
            if (sum == 0) break;
            asked = true;
            const bool yes = Messages().AskYesNo(
                {QStringLiteral("В таблице ") + QStringLiteral("возврата долга") +
                     QStringLiteral(" по кошельку \"") + name + QStringLiteral("\""),
                 QStringLiteral("найдены записи."), QStringLiteral("Пересчитать сумму в кошельке"),
                 QStringLiteral("с учетом этих записей?")},
                TMsgButton::Yes);
            if (!yes) break;
        }
        AddToPurse(purse, name, sum);
        changed = true;
    }
    if (any) RecomputeTable(TTableKind::Dolg);
    return changed;
}

// The transfers from and into the purse, in its own units.
bool TCalculationResults::RecalculateFromTransfers(const QString& name) {
    const TMemTable& transfer = m_state.Table(TTableKind::Transfer);
    bool found = false;
    long double sum = 0;
    for (int r = 0; r < transfer.RowCount(); ++r) {
        const TTableRow* row = transfer.Row(r);
        const QString from = row->Cell(col::transfer::FromPurse);
        const QString to = row->Cell(col::transfer::ToPurse);
        if (from != name && to != name) continue;
        found = true;
        if (from == to) continue;
        const long double s = NumberValue(row->Cell(col::transfer::Amount));
        if (from == name) {
            sum -= s;
        } else {
            const long double r2 = NumberValue(row->Cell(col::transfer::ToRate));
            if (r2 != 0) sum += (s * NumberValue(row->Cell(col::transfer::FromRate))) / r2;
        }
    }
    if (!found || sum == 0 || !AskRecalculation(QStringLiteral("переноса денег"), name, sum)) return false;
    AddToPurse(m_state.Table(TTableKind::Purse), name, sum);
    return true;
}

void TCalculationResults::CorrectForRate(const QString& purse, long double r0, long double r1) {
    for (TTableKind kind :
         {TTableKind::Rashod, TTableKind::Dohod, TTableKind::PlanRashod, TTableKind::PlanDohod}) {
        TDataGrid& g = m_state.Grid(kind);
        const long double c = PerPurseValue(g.perPurse, purse);
        const long double t = PerPurseValue(g.perPurseToday, purse);
        g.total = g.total - r0 * c + r1 * c;
        g.todayTotal = g.todayTotal - r0 * t + r1 * t;
    }
    RecomputeTable(TTableKind::Dolg);
    ShowTotals();
}

void TCalculationResults::DivideTotals(long double k) {
    if (k == 0) return;
    for (TTableKind kind : LedgerKinds()) {
        TDataGrid& g = m_state.Grid(kind);
        g.total /= k;
        g.todayTotal /= k;
    }
    m_state.debtTotals.lentTotal /= k;
    m_state.debtTotals.lentTodayTotal /= k;
    // The return totals and the remainders are in base units too: left alone they would mix the old
    // base with the new one on the debts' panel.
    RecomputeReturns();
    ShowTotals();
}

void TCalculationResults::AlignPerPurseTables() {
    const QStringList names = PurseNames(m_state.Table(TTableKind::Purse));
    for (TTableKind kind : LedgerKinds()) {
        TDataGrid& g = m_state.Grid(kind);
        AlignPerPurse(g.perPurse, names);
        AlignPerPurse(g.perPurseToday, names);
    }
    TDebtTotals& d = m_state.debtTotals;
    for (TMemTable* t : {&d.lentPerPurse, &d.lentPerPurseToday, &d.returnsToMe, &d.myReturns})
        AlignPerPurse(*t, names);
}

void TCalculationResults::ShowTotals() {
    if (view) view->TotalsChanged();
}
