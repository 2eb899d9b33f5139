#pragma once

#include <QString>

#include <map>
#include <set>
#include <vector>

class IMoneyView;
class TCalculationResults;
class TMemTable;
class TMyType;
class TTableRow;

// What the debts returned beyond their sums: returns that would otherwise be netted against what other
// debts still owe. Per purse in purse units (the returns' purses counted in, the debt's purse out) and
// in base units, for lent and for borrowed debts.
struct TOverpayments {
    std::map<QString, long double> lentPerPurse, borrowedPerPurse;
    long double lentTotal = 0, borrowedTotal = 0;
};

// How a debt is drawn: grey when it has been returned in full, red when its due date has passed.
enum class TDebtState { Open, Returned, Overdue };

// Debts and their returns. A debt is reflected in its purse only while its "В кошельке" cell says
// "отображать": a lent debt has then taken its sum out of its purse, a borrowed one has put it in, and
// its returns bring money back (lent) or take it out again (borrowed). The purse amounts are kept
// change by change, never recomputed from the records.
//
// Each debt's returns live in a table of the array in the state, at the number in the debt's cell 9;
// the file of that table is "debt" + the number in the base's "Debt" folder.
class TDolgClass {
public:
    TDolgClass(TMyType& state, TCalculationResults& calc);

    IMoneyView* view = nullptr;

    // The number in a debt's cell 9; -1 when it holds none.
    static int DebtNumber(const TTableRow& debt);
    // The debt's returns table; none when its number has no table.
    static TMemTable* ReturnsOf(TMyType& state, const TTableRow& debt);
    // The remainders of every return row (base units, float text): the debt's sum × its purse's rate
    // less each return × its purse's rate in turn. A return whose purse is not in the purse table gets
    // an empty remainder and the next row starts again from 0; a row without a sum gets none either.
    static void RecomputeRemainders(TMyType& state, const TTableRow& debt, TMemTable& returns);
    // The debt table row that holds a number; -1 when none does.
    int DebtRowOfNumber(int number) const;

    // A debt cell is committed: the totals and the purse effects move from the row's stored values to
    // the new value (kind, date, sum, purse, "В кошельке"). Called before the value is stored.
    void DebtCellCommitting(int row, int column, const QString& value);
    // After the value is stored: a debt with a sum and a blank "В кошельке" gets "не отображать", the
    // remainders follow a new sum or purse, and a due date before the debt's date is reported.
    void DebtCellCommitted(int row, int column);
    // "Срок возврата долга уже прошел" when both dates are set and the due date is before the debt's
    // date. True when it was shown.
    bool CheckDueDate(int row);

    // A return can be typed only for a debt with a sum and a purse; otherwise the hint "Долга нет" is
    // shown at the returns grid's cell. True when the edit may open.
    bool CanEditReturns(int column, int gridRow);
    // A return's sum or purse is committed for the debt with this number: the purse effects, the
    // per-purse returns and the return totals move from the stored values to the new one. Before store.
    void ReturnCellCommitting(int number, int row, int column, const QString& value);
    // A return's sum or purse is about to be committed: a return larger than what is left of its debt
    // (the debt less its other returns, base units) is asked about, "Нет" the default, so that a typo
    // does not pass unseen while a return beyond the debt (a gift, interest) can still be recorded. A
    // return without a purse is counted in the debt's purse. A new purse is asked about only when it
    // makes the return too large, not when its sum was asked about already. False: not to be stored.
    bool ConfirmReturn(int number, int row, int column, const QString& value);
    // After the store: the remainders of the debt's returns.
    void ReturnCellCommitted(int number, int row, int column);
    // Deletes a return row after "Вы действительно хотите удалить строку?" (when `ask`); its money
    // leaves the purse (if the debt is shown) and the return totals. The table's last row is only
    // emptied. True when the row went.
    bool DeleteReturnRow(int number, int row, bool ask = true);

    // A new debt row gets the next returns table: its number goes into cell 9, the "Debt" folder is
    // made and an empty file is created for it (an existing file is never overwritten). Returns the number.
    int CreateDebtReturns(int row);
    // Deletes a debt (Delete key: always with `adjust`). Its returns leave the totals (and, when
    // adjusting a shown debt, the purses), its sum goes back to its purse, its returns table and file
    // go, and every later table and file moves down by one with the numbers in cell 9.
    void DeleteDebt(int row, bool adjust);
    // The same for several rows (sorted ascending) in one pass.
    void DeleteDebts(const std::vector<int>& rows, bool adjust);

    // The returns grid shows the returns of the debt in this table row.
    void DebtRowSelected(int row);
    // Shows the returns of the first debt (after the table was cleared or reloaded).
    void ShowFirstDebt();
    // The title bar of the returns grid for the debt on show.
    QString ReturnsTitle() const;
    static QString ReturnsTitle(const TTableRow& debt);
    // The overpaid debts' returns beyond their sums, for the "what is owed" totals.
    static TOverpayments Overpayments(TMyType& state);
    // Grey, red or plain for a debt row.
    TDebtState StateOf(int row) const;

private:
    // Adds to a purse; true when it exists.
    bool Move(const QString& purse, long double delta);
    bool CategoryChanging(const TTableRow& debt, const TMemTable* returns);
    bool RenumberReturns(const std::set<int>& gone);
    void PursesMoved();

    TMyType& m_state;
    TCalculationResults& m_calc;
};
