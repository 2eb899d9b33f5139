#pragma once

#include "storage/tabledefs.h"

#include <QString>

#include <vector>

class IMoneyView;
class TMyType;
class TTableRow;

// What a record contributes to the totals: its sum (purse units), purse, whether it is dated today,
// and for debts whether it is lent ("дано в долг").
struct TRecordMoney {
    long double sum = 0;
    QString purse;
    bool today = false;
    bool lent = false;
};

// The running totals of the ledgers and the purse amounts that expenses and incomes move. It holds
// no data: the totals live in the grid descriptors and the debt totals in the program-wide state.
// Expenses take their sum out of their purse and incomes put it in; plans never move money; debts
// move money by the rules of TDolgClass.
class TCalculationResults {
public:
    explicit TCalculationResults(TMyType& state);

    IMoneyView* view = nullptr;

    // Tables with totals: expenses, incomes, debts and both plans.
    static bool CarriesTotals(TTableKind kind);
    // The contribution of a table row as it stands, and of a row whose cell `column` is about to
    // become `value`.
    TRecordMoney RecordMoneyOf(TTableKind kind, const TTableRow& row) const;
    TRecordMoney RecordMoneyWith(TTableKind kind, const TTableRow& row, int column,
                                 const QString& value) const;

    // Every total of one table from its records. Debts also rebuild the lent totals, the per-purse
    // returns, the return totals and the remainders of every returns table. Nothing for the others.
    void RecomputeTable(TTableKind kind);
    // After a base is opened: the five ledgers, the debts' returns with their remainders, the total money.
    void RecomputeAfterLoad();
    // The debts' per-purse returns, the return totals and every remainder, from the returns tables.
    void RecomputeReturns();
    // The return totals from the per-purse returns at the purses' current rates.
    void RecomputeReturnTotals();

    // The total money: sum over the purses of amount × rate, kept in the state.
    long double TotalMoney();

    // Moves a record's contribution from `before` to `after` (sum, purse, today, lent) in the totals,
    // and for expenses and incomes moves the purse amounts. Called before the new value is stored.
    void RecordChanged(TTableKind kind, int row, const TRecordMoney& before, const TRecordMoney& after);
    // The same for the commit of one cell: the old values are read from the row, the cell's new
    // value is `value`. Cells that carry no money (kinds, notes, users) change nothing.
    void CellCommitting(TTableKind kind, int row, int column, const QString& value);

    // Takes a record out of the totals and removes its row; with `adjustPurses` an expense gives its
    // sum back to its purse and an income takes it out. The table's last row (the new-record row) is
    // only emptied. A debt is deleted by TDolgClass::DeleteDebt, which ends here.
    void RecordRemoved(TTableKind kind, int row, bool adjustPurses);
    // The same for several rows (sorted ascending) in one pass, as the clearing of a period needs.
    void RecordsRemoved(TTableKind kind, const std::vector<int>& rows, bool adjustPurses);

    // The question asked when a purse is created: records that already name the purse may be
    // counted into its amount, table by table. Every table that names it is recomputed.
    void AskPurseRecalculation(const QString& name);

    // A purse's rate changed from r0 to r1: the stored totals follow at once (debts are recomputed).
    void CorrectForRate(const QString& purse, long double r0, long double r1);
    // The base purse changed to one whose old rate was k: every stored total in base units is divided.
    void DivideTotals(long double k);
    // Gives every per-purse table one row per purse in purse-table order (after a purse is created,
    // renamed or deleted).
    void AlignPerPurseTables();

    // Tells the view that the totals changed.
    void ShowTotals();

private:
    // The steps of AskPurseRecalculation: true when the purse's amount changed.
    bool RecalculateFromLedgers(const QString& name);
    bool RecalculateFromReturns(const QString& name);
    bool RecalculateFromTransfers(const QString& name);
    void MoveTotals(TTableKind kind, const TRecordMoney& before, const TRecordMoney& after);
    // What expenses and incomes do to their purses when a record changes from `before` to `after`.
    void MovePurseMoney(TTableKind kind, const TRecordMoney& before, const TRecordMoney& after);
    void EmptyNewRecordRow(TTableKind kind, int row);

    TMyType& m_state;
};
