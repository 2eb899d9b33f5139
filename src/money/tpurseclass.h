#pragma once

#include "storage/tabledefs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class IMoneyView;
class TCalculationResults;
class TMyType;

// The outcome of a commit in the purse grid.
struct TPurseEdit {
    bool stored = false;   // the value went into the cell
    int duplicateRow = -1; // a name refused as taken: the row that has it, for the grid to select
};

// How ReverseTransfer reports a purse that no longer exists: the short box when the user edits or
// deletes the row, the long one when rows are removed by clearing the tables.
enum class TTransferReport { Short, Long };

// Purses, the base purse and the transfers between purses. The tables, the base purse's name and
// the total money live in the state; this only acts on them. Every amount it computes is written as
// float text.
class TPurseClass {
public:
    TPurseClass(TMyType& state, TCalculationResults& calc);

    IMoneyView* view = nullptr;
    // Applies a table's stored filter again (the filters' own code); called for every table whose
    // totals a purse deletion recomputes while a filter is active on it.
    std::function<void(TTableKind)> reapplyFilter;

    // The purse list, in table order: the entries of the base purse selector and of every purse choice.
    QStringList PurseList() const;
    // The total money (amount × rate over the purses), stored in the state.
    long double TotalMoney();
    // "Общая сумма в кошельке : " with the rounded total money and the base purse's name.
    QString TotalMoneyLabel() const;

    // A value typed into the purse grid (`typed`, before normalising). Blank input is ignored; a taken
    // name (letter case aside), a base rate other than 1 and a zero rate are refused with their boxes.
    // A name typed into the empty row creates the purse, another name renames it everywhere, a rate
    // corrects the totals, an amount is stored.
    TPurseEdit CommitPurseCell(int row, int column, const QString& typed);
    // "Курс базового кошелька всегда равен 1" for a base purse's rate typed as anything but 1; true
    // when refused.
    bool RefusesBaseRate(int row, int column, const QString& typed);
    // The purse of row `row` has just been named: rate 1 and amount 0 unless set, a place in every
    // per-purse table, and the recalculation question for records that already name it.
    void CreatePurse(int row);
    // Renames a purse in every ledger, return, transfer and per-purse table, and the base purse's name.
    void RenamePurse(const QString& from, const QString& to);
    // Makes `name` the base purse: every rate is divided by its rate k and so is every stored total.
    // False (with the box) when its rate is 0; false without a box when it is no purse; false with a beep
    // when the base is open read-only (as for DeletePurse).
    bool ChangeBasePurse(const QString& name);
    // The Delete key on purse row `row`, with its questions; true when the purse was deleted.
    bool DeletePurse(int row, bool askFirst = true);
    // The questions DeletePurse asks, one box each, in order: whether to delete the purse, then one for
    // each kind of record that names it. Empty when the purse cannot go (DeletePurse tells why).
    std::vector<QStringList> DeletionQuestions(int row);

    // A transfer row moves money when cells 1 to 5 are all filled.
    bool IsTransferComplete(int row) const;
    // Applies a complete transfer row to the two purses' amounts.
    void ApplyTransfer(int row);
    // Takes a complete transfer row's effect back.
    void ReverseTransfer(int row, TTransferReport report);
    // The rate a purse choice writes beside it in a transfer row: the purse's rate, or "1".
    QString TransferRateFor(const QString& purse) const;
    // A value typed or chosen in a transfer cell: the row's effect is taken back, the value stored
    // (sums and rates normalised, a purse choice fills its rate cell) and the row applied again.
    // A rate typed as "0" is refused with its box before anything moves; false then.
    bool CommitTransferCell(int row, int column, const QString& typed);
    // The Delete key on a transfer row: "Вы действительно хотите удалить строку?" (when `ask`), the
    // effect is taken back and the row removed; the table's last row is only emptied (cells 1 to 6).
    bool DeleteTransferRow(int row, bool ask = true);

private:
    // ApplyTransfer with sign +1, ReverseTransfer with -1.
    void MoveTransfer(int row, int sign, TTransferReport report);
    void PursesChanged();

    TMyType& m_state;
    TCalculationResults& m_calc;
};
