#include "money/tdolgclass.h"

#include "ledger/gridids.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/imoneyview.h"
#include "money/moneycells.h"
#include "money/pursetable.h"
#include "money/tcalculationresults.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

namespace {

bool IsLent(const TTableRow& debt) {
    return debt.Cell(col::dolg::Category) == cells::kLent;
}
bool IsShown(const TTableRow& debt) {
    return debt.Cell(col::dolg::InPurse) == cells::kShown;
}

} // namespace

TDolgClass::TDolgClass(TMyType& state, TCalculationResults& calc) : m_state(state), m_calc(calc) {}

int TDolgClass::DebtNumber(const TTableRow& debt) {
    bool ok = false;
    const int n = debt.Cell(col::dolg::DebtNumber).trimmed().toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

TMemTable* TDolgClass::ReturnsOf(TMyType& state, const TTableRow& debt) {
    const int n = DebtNumber(debt);
    if (n < 0 || size_t(n) >= state.returns.size()) return nullptr;
    return state.returns[size_t(n)].get();
}

void TDolgClass::RecomputeRemainders(TMyType& state, const TTableRow& debt, TMemTable& returns) {
    const TMemTable& purse = state.Table(TTableKind::Purse);
    long double running =
        NumberValue(debt.Cell(col::dolg::Sum)) * PurseRate(purse, debt.Cell(col::dolg::Purse));
    // The returns of a debt name a purse or two: each is looked up once.
    struct TKnownPurse {
        QString name;
        bool exists;
        long double rate;
    };
    std::vector<TKnownPurse> known;
    auto lookUp = [&](const QString& name) -> const TKnownPurse& {
        for (const TKnownPurse& k : known)
            if (k.name == name) return k;
        known.push_back({name, FindPurse(purse, name) >= 0, PurseRate(purse, name)});
        return known.back();
    };
    for (int i = 0; i < returns.RowCount(); ++i) {
        TTableRow* ret = returns.Row(i);
        const QString sum = ret->Cell(col::returns::Sum);
        QString remainder;
        if (IsNotBlank(sum)) {
            const TKnownPurse& p = lookUp(ret->Cell(col::returns::Purse));
            if (!p.exists) {
                running = 0;
            } else {
                running -= NumberValue(sum) * p.rate;
                remainder = FloatToText(running);
            }
        }
        if (ret->CellCount() > col::returns::Remainder || !remainder.isEmpty())
            SetCellWidened(*ret, col::returns::Remainder, remainder);
    }
}

int TDolgClass::DebtRowOfNumber(int number) const {
    const TMemTable& dolg = m_state.Table(TTableKind::Dolg);
    for (int r = 0; r < dolg.RowCount(); ++r)
        if (DebtNumber(*dolg.Row(r)) == number) return r;
    return -1;
}

bool TDolgClass::Move(const QString& purse, long double delta) {
    return delta != 0 && AddToPurse(m_state.Table(TTableKind::Purse), purse, delta);
}

void TDolgClass::PursesMoved() {
    m_calc.TotalMoney();
    m_state.Grid(TTableKind::Purse).NotifyCells();
}

void TDolgClass::DebtCellCommitting(int row, int column, const QString& value) {
    TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(row);
    if (!debt) return;
    m_calc.CellCommitting(TTableKind::Dolg, row, column, value);

    const bool lent = IsLent(*debt);
    const bool shown = IsShown(*debt);
    const long double sum = NumberValue(debt->Cell(col::dolg::Sum));
    const QString purse = debt->Cell(col::dolg::Purse);
    TMemTable& purses = m_state.Table(TTableKind::Purse);
    TMemTable* returns = ReturnsOf(m_state, *debt);
    bool moved = false;
    // Each return of the debt with its purse and sum, as stored.
    auto forEachReturn = [&](auto&& f) {
        if (!returns) return;
        for (int i = 0; i < returns->RowCount(); ++i) {
            const TTableRow* ret = returns->Row(i);
            f(ret->Cell(col::returns::Purse), NumberValue(ret->Cell(col::returns::Sum)));
        }
    };

    switch (column) {
    case col::dolg::InPurse: {
        const bool nowShown = value == cells::kShown;
        if (nowShown == shown) break;
        // Shown: a lent debt takes its sum from the purse and its returns bring money back.
        const long double sign = (nowShown ? 1 : -1) * (lent ? -1 : 1);
        moved = Move(purse, sign * sum) || moved;
        forEachReturn([&](const QString& q, long double r) { moved = Move(q, -sign * r) || moved; });
        break;
    }
    case col::dolg::Category:
        if ((value == cells::kLent) != lent) moved = CategoryChanging(*debt, returns);
        break;
    case col::dolg::Sum: {
        if (!shown) break;
        const long double s1 = NumberValue(value);
        if (s1 == sum) break;
        const long double amount = PurseAmount(purses, purse);
        moved = SetPurseAmount(purses, purse, lent ? (amount + sum) - s1 : (amount - sum) + s1);
        break;
    }
    case col::dolg::Purse: {
        if (!shown || value == purse) break;
        const long double sign = lent ? 1 : -1;
        moved = Move(purse, sign * sum) || moved;
        moved = Move(value, -sign * sum) || moved;
        break;
    }
    default:
        break;
    }
    if (moved) PursesMoved();
}

// A debt turns from lent to borrowed or back: a shown one moves its sum and returns twice over, and the
// returns move between the returns to me and my returns whatever the debt shows.
bool TDolgClass::CategoryChanging(const TTableRow& debt, const TMemTable* returns) {
    const bool lent = IsLent(debt);
    const long double sum = NumberValue(debt.Cell(col::dolg::Sum));
    const long double sign = lent ? 1 : -1;
    TDebtTotals& d = m_state.debtTotals;
    TMemTable& from = lent ? d.returnsToMe : d.myReturns;
    TMemTable& to = lent ? d.myReturns : d.returnsToMe;
    bool moved = false;
    if (IsShown(debt)) moved = Move(debt.Cell(col::dolg::Purse), sign * 2 * sum) || moved;
    for (int i = 0; returns && i < returns->RowCount(); ++i) {
        const TTableRow* ret = returns->Row(i);
        const QString q = ret->Cell(col::returns::Purse);
        const long double r = NumberValue(ret->Cell(col::returns::Sum));
        if (IsShown(debt)) moved = Move(q, -sign * 2 * r) || moved;
        AddToPerPurse(from, q, -r);
        AddToPerPurse(to, q, r);
    }
    m_calc.RecomputeReturnTotals();
    m_calc.ShowTotals();
    return moved;
}

void TDolgClass::DebtCellCommitted(int row, int column) {
    TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(row);
    if (!debt) return;
    if (IsNotBlank(debt->Cell(col::dolg::Sum)) && !IsNotBlank(debt->Cell(col::dolg::InPurse)))
        SetCellWidened(*debt, col::dolg::InPurse, cells::kNotShown);
    if (column == col::dolg::Sum || column == col::dolg::Purse) {
        if (TMemTable* returns = ReturnsOf(m_state, *debt)) {
            RecomputeRemainders(m_state, *debt, *returns);
            m_state.Grid(TTableKind::Returns).NotifyCells();
        }
    }
    if (column == col::dolg::Date || column == col::dolg::Due) CheckDueDate(row);
    if (DebtNumber(*debt) == m_state.currentDebt && view) view->ReturnsShown();
}

bool TDolgClass::CheckDueDate(int row) {
    const TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(row);
    if (!debt) return false;
    const QString date = debt->Cell(col::dolg::Date);
    const QString due = debt->Cell(col::dolg::Due);
    if (!IsNotBlank(date) || !IsNotBlank(due) || ParseCellDate(due) >= ParseCellDate(date)) return false;
    Messages().ShowInfo({QStringLiteral("Срок возврата долга уже прошел")});
    return true;
}

bool TDolgClass::CanEditReturns(int column, int gridRow) {
    const int row = DebtRowOfNumber(m_state.currentDebt);
    const TTableRow* debt = row >= 0 ? m_state.Table(TTableKind::Dolg).Row(row) : nullptr;
    if (debt && IsNotBlank(debt->Cell(col::dolg::Sum)) && IsNotBlank(debt->Cell(col::dolg::Purse)))
        return true;
    Messages().ShowCellHint(gridid::Returns, column, gridRow, QStringLiteral("Долга нет"));
    return false;
}

void TDolgClass::ReturnCellCommitting(int number, int row, int column, const QString& value) {
    if (column != col::returns::Sum && column != col::returns::Purse) return;
    if (number < 0 || size_t(number) >= m_state.returns.size() || !m_state.returns[size_t(number)]) return;
    const TTableRow* ret = m_state.returns[size_t(number)]->Row(row);
    const int debtRow = DebtRowOfNumber(number);
    if (!ret || debtRow < 0) return;
    const TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(debtRow);
    const QString q0 = ret->Cell(col::returns::Purse);
    const long double r0 = NumberValue(ret->Cell(col::returns::Sum));
    const QString q1 = column == col::returns::Purse ? value : q0;
    const long double r1 = column == col::returns::Sum ? NumberValue(value) : r0;
    if (q0 == q1 && r0 == r1) return;
    const bool lent = IsLent(*debt);
    // A return of a lent debt has brought money into its purse; of a borrowed debt it has taken some out.
    const long double sign = lent ? 1 : -1;
    if (IsShown(*debt)) {
        TMemTable& purses = m_state.Table(TTableKind::Purse);
        bool moved = false;
        if (q0 == q1) {
            moved = SetPurseAmount(purses, q0, PurseAmount(purses, q0) - sign * r0 + sign * r1);
        } else {
            moved = Move(q0, -sign * r0);
            moved = Move(q1, sign * r1) || moved;
        }
        if (moved) PursesMoved();
    }
    TMemTable& perPurse = lent ? m_state.debtTotals.returnsToMe : m_state.debtTotals.myReturns;
    if (q0 == q1) {
        AddToPerPurse(perPurse, q0, r1 - r0);
    } else {
        AddToPerPurse(perPurse, q0, -r0);
        AddToPerPurse(perPurse, q1, r1);
    }
    m_calc.RecomputeReturnTotals();
    m_calc.ShowTotals();
}

bool TDolgClass::ConfirmReturn(int number, int row, int column, const QString& value) {
    if (column != col::returns::Sum && column != col::returns::Purse) return true;
    if (number < 0 || size_t(number) >= m_state.returns.size() || !m_state.returns[size_t(number)])
        return true;
    const TMemTable& returns = *m_state.returns[size_t(number)];
    const TTableRow* ret = returns.Row(row);
    const int debtRow = DebtRowOfNumber(number);
    if (!ret || debtRow < 0) return true;
    const TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(debtRow);
    const TMemTable& purse = m_state.Table(TTableKind::Purse);
    const QString debtPurse = debt->Cell(col::dolg::Purse);
    long double left = NumberValue(debt->Cell(col::dolg::Sum)) * PurseRate(purse, debtPurse);
    for (int i = 0; i < returns.RowCount(); ++i) {
        const TTableRow* other = returns.Row(i);
        if (i != row)
            left -= NumberValue(other->Cell(col::returns::Sum)) *
                    PurseRate(purse, other->Cell(col::returns::Purse));
    }
    // A return still without a purse gets the base purse when the program fills it in, else it is
    // counted in the debt's own purse, the one a debt is mostly paid back in.
    const QString blankPurse =
        m_state.purseDefault && !m_state.basePurse.isEmpty() ? m_state.basePurse : debtPurse;
    auto exceeds = [&](const QString& sum, const QString& q) {
        const long double r = NumberValue(sum);
        return r > 0 && RoundTo(2, r * PurseRate(purse, IsNotBlank(q) ? q : blankPurse) - left) > 0;
    };
    const QString q0 = ret->Cell(col::returns::Purse);
    const QString r0 = ret->Cell(col::returns::Sum);
    const QString q1 = column == col::returns::Purse ? value : q0;
    const QString r1 = column == col::returns::Sum ? value : r0;
    if (!exceeds(r1, q1) || (column == col::returns::Purse && exceeds(r0, q0))) return true;
    return Messages().AskYesNo({QStringLiteral("Сумма возврата больше остатка долга (осталось ") +
                                DisplayRound(left) + QStringLiteral("). Записать?")},
                               TMsgButton::No);
}

TOverpayments TDolgClass::Overpayments(TMyType& state) {
    TOverpayments over;
    const TMemTable& purse = state.Table(TTableKind::Purse);
    const TMemTable& dolg = state.Table(TTableKind::Dolg);
    for (int r = 0; r < dolg.RowCount(); ++r) {
        const TTableRow* debt = dolg.Row(r);
        const TMemTable* returns = ReturnsOf(state, *debt);
        if (!returns || returns->RowCount() == 0) continue;
        // Counted as the totals count them: a purse that is not in the purse table has rate 0.
        const long double sum = NumberValue(debt->Cell(col::dolg::Sum));
        long double owed = sum * PurseRate(purse, debt->Cell(col::dolg::Purse));
        for (int i = 0; i < returns->RowCount(); ++i) {
            const TTableRow* ret = returns->Row(i);
            owed -=
                NumberValue(ret->Cell(col::returns::Sum)) * PurseRate(purse, ret->Cell(col::returns::Purse));
        }
        if (RoundTo(2, owed) >= 0) continue;
        const bool lent = IsLent(*debt);
        std::map<QString, long double>& perPurse = lent ? over.lentPerPurse : over.borrowedPerPurse;
        // The debt owes nothing: its sum and its returns leave the purses' rows together.
        perPurse[debt->Cell(col::dolg::Purse)] -= sum;
        for (int i = 0; i < returns->RowCount(); ++i) {
            const TTableRow* ret = returns->Row(i);
            perPurse[ret->Cell(col::returns::Purse)] += NumberValue(ret->Cell(col::returns::Sum));
        }
        (lent ? over.lentTotal : over.borrowedTotal) -= owed;
    }
    return over;
}

void TDolgClass::ReturnCellCommitted(int number, int row, int column) {
    Q_UNUSED(row);
    Q_UNUSED(column);
    const int debtRow = DebtRowOfNumber(number);
    if (debtRow < 0 || number < 0 || size_t(number) >= m_state.returns.size() ||
        !m_state.returns[size_t(number)])
        return;
    RecomputeRemainders(m_state, *m_state.Table(TTableKind::Dolg).Row(debtRow),
                        *m_state.returns[size_t(number)]);
    m_state.Grid(TTableKind::Returns).NotifyCells();
    if (view) view->ReturnsShown();
}

bool TDolgClass::DeleteReturnRow(int number, int row, bool ask) {
    if (number < 0 || size_t(number) >= m_state.returns.size() || !m_state.returns[size_t(number)])
        return false;
    TMemTable& returns = *m_state.returns[size_t(number)];
    TTableRow* ret = returns.Row(row);
    if (!ret) return false;
    if (ask &&
        !Messages().AskYesNo({QStringLiteral("Вы действительно хотите удалить строку?")}, TMsgButton::Yes))
        return false;
    const int debtRow = DebtRowOfNumber(number);
    if (debtRow >= 0) {
        const TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(debtRow);
        const QString q = ret->Cell(col::returns::Purse);
        const long double r = NumberValue(ret->Cell(col::returns::Sum));
        const bool lent = IsLent(*debt);
        if (IsShown(*debt) && Move(q, lent ? -r : r)) PursesMoved();
        AddToPerPurse(lent ? m_state.debtTotals.returnsToMe : m_state.debtTotals.myReturns, q, -r);
        m_calc.RecomputeReturnTotals();
    }
    TDataGrid& grid = m_state.Grid(TTableKind::Returns);
    if (row == returns.RowCount() - 1) {
        for (int c = 0; c < ret->CellCount(); ++c)
            ret->SetCell(c, QString());
    } else {
        returns.DeleteRow(row);
        if (grid.Table == &returns) RemoveRowsFromGrid(grid, {row});
    }
    if (debtRow >= 0) RecomputeRemainders(m_state, *m_state.Table(TTableKind::Dolg).Row(debtRow), returns);
    if (grid.Table == &returns) grid.NotifyCells();
    m_calc.ShowTotals();
    return true;
}

int TDolgClass::CreateDebtReturns(int row) {
    TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(row);
    if (!debt) return -1;
    const int n = m_state.NextDebtNumber();
    m_state.ReturnsTable(n);
    SetCellWidened(*debt, col::dolg::DebtNumber, QString::number(n));
    if (!m_state.baseFolder.isEmpty()) {
        const QString folder = ReturnsFolder(m_state.baseFolder);
        const QString path = ReturnsFilePath(m_state.baseFolder, n);
        // A file already there may hold the returns of a debt this session could not read: keep it. A
        // "Debt" that is a link to another folder gets nothing written into it.
        if (MakePrivateFolder(folder) && IsRealFolder(folder) && !QFileInfo(path).exists() &&
            !QFileInfo(path).isSymLink())
            WriteFileAtomic(path, QByteArray());
    }
    return n;
}

void TDolgClass::DeleteDebt(int row, bool adjust) {
    DeleteDebts({row}, adjust);
}

// The returns tables of removed debts go and the later ones take the freed numbers. True when the
// debt on show was among the removed.
bool TDolgClass::RenumberReturns(const std::set<int>& gone) {
    TMemTable& dolg = m_state.Table(TTableKind::Dolg);
    const int oldSize = int(m_state.returns.size());
    std::vector<int> newNumber(size_t(oldSize), -1);
    int next = 0;
    for (int n = 0; n < oldSize; ++n)
        if (!gone.count(n)) newNumber[size_t(n)] = next++;
    // Only the tables move now; the files follow at the next save, which writes every moved
    // table under its new number together with the debts. Until then the files on disk still
    // match the debt table on disk, whatever happens to the program meanwhile.
    for (int n = 0; n < oldSize; ++n)
        if (newNumber[size_t(n)] >= 0 && newNumber[size_t(n)] != n && m_state.returns[size_t(n)])
            m_state.returns[size_t(n)]->Touch();
    TReturnsTables kept;
    kept.reserve(size_t(next));
    for (int n = 0; n < oldSize; ++n)
        if (newNumber[size_t(n)] >= 0) kept.push_back(m_state.returns[size_t(n)]);
    m_state.returns = std::move(kept);
    for (int r = 0; r < dolg.RowCount(); ++r) {
        TTableRow* debt = dolg.Row(r);
        const int n = DebtNumber(*debt);
        if (n >= 0 && n < oldSize && newNumber[size_t(n)] >= 0 && newNumber[size_t(n)] != n)
            debt->SetCell(col::dolg::DebtNumber, QString::number(newNumber[size_t(n)]));
    }
    const int current = m_state.currentDebt;
    const bool currentGone = current >= 0 && current < oldSize && newNumber[size_t(current)] < 0;
    if (!currentGone && current >= 0 && current < oldSize) m_state.currentDebt = newNumber[size_t(current)];
    return currentGone;
}

void TDolgClass::DeleteDebts(const std::vector<int>& rows, bool adjust) {
    TMemTable& dolg = m_state.Table(TTableKind::Dolg);
    const int last = dolg.RowCount() - 1;
    bool moved = false;
    std::set<int> gone; // numbers whose tables and files go
    TDebtTotals& totals = m_state.debtTotals;
    for (int r : rows) {
        const TTableRow* debt = dolg.Row(r);
        if (!debt) continue;
        const bool lent = IsLent(*debt);
        const bool shown = IsShown(*debt);
        if (TMemTable* returns = ReturnsOf(m_state, *debt)) {
            for (int i = 0; i < returns->RowCount(); ++i) {
                const TTableRow* ret = returns->Row(i);
                const QString q = ret->Cell(col::returns::Purse);
                const long double s = NumberValue(ret->Cell(col::returns::Sum));
                if (shown && adjust) moved = Move(q, lent ? -s : s) || moved;
                AddToPerPurse(lent ? totals.returnsToMe : totals.myReturns, q, -s);
            }
            if (r == last)
                returns->Clear(); // the new-record row keeps its number and an empty table
            else
                gone.insert(DebtNumber(*debt));
        }
        if (adjust && shown) {
            const long double s = NumberValue(debt->Cell(col::dolg::Sum));
            moved = Move(debt->Cell(col::dolg::Purse), lent ? s : -s) || moved;
        }
    }
    m_calc.RecomputeReturnTotals();
    if (moved) PursesMoved();

    if (!gone.empty()) {
        const bool currentGone = RenumberReturns(gone);
        m_calc.RecordsRemoved(TTableKind::Dolg, rows, adjust);
        const int shownRow = currentGone ? -1 : DebtRowOfNumber(m_state.currentDebt);
        if (shownRow < 0)
            ShowFirstDebt();
        else
            DebtRowSelected(shownRow);
        return;
    }
    m_calc.RecordsRemoved(TTableKind::Dolg, rows, adjust);
    if (view) view->ReturnsShown();
}

void TDolgClass::DebtRowSelected(int row) {
    TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(row);
    if (!debt) return;
    int n = DebtNumber(*debt);
    if (n < 0) n = CreateDebtReturns(row);
    m_state.currentDebt = n;
    TDataGrid& grid = m_state.Grid(TTableKind::Returns);
    grid.Table = &m_state.ReturnsTable(n);
    grid.ResetRowMap();
    grid.NotifyRows();
    if (view) view->ReturnsShown();
}

void TDolgClass::ShowFirstDebt() {
    if (m_state.Table(TTableKind::Dolg).RowCount() > 0) {
        DebtRowSelected(0);
        return;
    }
    m_state.currentDebt = 0;
    TDataGrid& grid = m_state.Grid(TTableKind::Returns);
    grid.Table = &m_state.ReturnsTable(0);
    grid.ResetRowMap();
    grid.NotifyRows();
    if (view) view->ReturnsShown();
}

QString TDolgClass::ReturnsTitle() const {
    const int row = DebtRowOfNumber(m_state.currentDebt);
    if (row < 0) return QStringLiteral("  Возврат долга");
    return ReturnsTitle(*m_state.Table(TTableKind::Dolg).Row(row));
}

QString TDolgClass::ReturnsTitle(const TTableRow& debt) {
    const QString sum = debt.Cell(col::dolg::Sum);
    if (!IsNotBlank(sum)) return QStringLiteral("  Возврат долга");
    // Each of the debt's cells is followed by a bar; the caption's colon stands alone before the first.
    QString title = QStringLiteral("  Возврат долга: ");
    for (const QString& cell :
         {debt.Cell(col::dolg::Category), debt.Cell(col::dolg::Party), sum, debt.Cell(col::dolg::Purse)})
        title += cell + QStringLiteral(" | ");
    return title;
}

TDebtState TDolgClass::StateOf(int row) const {
    const TTableRow* debt = m_state.Table(TTableKind::Dolg).Row(row);
    if (!debt) return TDebtState::Open;
    const TMemTable& purse = m_state.Table(TTableKind::Purse);
    const long double owed =
        NumberValue(debt->Cell(col::dolg::Sum)) * PurseRate(purse, debt->Cell(col::dolg::Purse));
    if (owed > 0) {
        long double back = 0;
        bool any = false;
        if (const TMemTable* returns = ReturnsOf(m_state, *debt)) {
            for (int i = 0; i < returns->RowCount(); ++i) {
                const TTableRow* ret = returns->Row(i);
                if (!IsNotBlank(ret->Cell(col::returns::Sum))) continue;
                any = true;
                back += NumberValue(ret->Cell(col::returns::Sum)) *
                        PurseRate(purse, ret->Cell(col::returns::Purse));
            }
        }
        // Compared in kopecks, so a debt paid back in another currency counts as returned when it is.
        if (any && RoundTo(2, owed - back) <= 0) return TDebtState::Returned;
    }
    const QString due = debt->Cell(col::dolg::Due);
    if (IsNotBlank(due) && ParseCellDate(due) < TodayValue()) return TDebtState::Overdue;
    return TDebtState::Open;
}
