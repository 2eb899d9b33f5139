#pragma once

#include "ledger/tgeneralclass.h"

#include <QString>
#include <QStringList>

class TDataGrid;

// What a commit did, for the window to carry out.
struct TCommitResult {
    bool stored = false;
    // The editor opens again on the same cell with this text, all selected (a refused sum or date).
    bool reopen = false;
    TEditorKind reopenKind = TEditorKind::None;
    QString reopenText;
    // A duplicate name: this grid row is selected instead.
    int selectRow = -1;
    // A new user was typed: the password dialog asks for the user's password.
    bool askNewUserPassword = false;
};

// The calls the record editor makes into the money rules at the fixed steps of a commit of a ledger
// or returns record. The money layer implements them; the editor itself knows nothing of purses,
// totals or users.
class ILedgerHooks {
public:
    virtual ~ILedgerHooks() = default;

    // May refuse to open a cell for editing (or pasting) at all, having told the user why.
    virtual bool MayEditCell(TDataGrid& grid, int gridRow, int column) = 0;
    // A typed or chosen value would change a record from `before` to `after`: may ask whether it is
    // meant (a debt's return beyond what is left of the debt). False: nothing is stored.
    virtual bool ConfirmChange(TDataGrid& grid, int tableRow, int column, const QStringList& before,
                               const QStringList& after) = 0;
    // A record is about to change from `before` to `after` (one cell differs): totals, purse amounts,
    // debts and returns, transfers and the filter's totals follow.
    virtual void RecordChanging(TDataGrid& grid, int tableRow, const QStringList& before,
                                const QStringList& after) = 0;
    // The value is stored: follow-ups that need it in place (remainders of a debt, its due date).
    virtual void RecordChanged(TDataGrid& grid, int tableRow, int column, const QString& oldText) = 0;
    // A cell the program fills by itself once `column` is stored (the base purse after a sum): the
    // editor commits `value` into `fillColumn` as if it were typed. False when nothing is filled.
    virtual bool AutoFill(TDataGrid& grid, int tableRow, int column, int& fillColumn, QString& value) = 0;
    // Continuous entry passes over this cell (a filled cell the program fills by itself).
    virtual bool SkipOnEntry(TDataGrid& grid, int gridRow, int column) = 0;
    // A complete record leaves its table (the Delete key, confirmed): its money goes back. True when
    // the hooks removed the row themselves (table and grid); false leaves the removal to the caller.
    virtual bool RemoveRecord(TDataGrid& grid, int tableRow) = 0;
    // The last row is checked for being whole before the row for the next record may follow.
    virtual void LastRowChecking(TDataGrid& grid, int tableRow) = 0;
    // A new-record row was appended (a debt gets its returns table here).
    virtual void NewRowAppended(TDataGrid& grid, int tableRow) = 0;
    // Totals, filter and titles need redrawing.
    virtual void TotalsChanged(TDataGrid& grid) = 0;
    // A ledger was re-sorted while a filter is active: the filter is applied again.
    virtual void ReapplyFilter(TDataGrid& grid) = 0;
    // Sets the period filter of the table back to "Нет" (no filter) and shows every row.
    virtual void DropFilter(TDataGrid& grid) = 0;
};

// Hooks that do nothing: a ledger without money rules (tests of the editor, tools).
class TNoLedgerHooks : public ILedgerHooks {
public:
    bool MayEditCell(TDataGrid&, int, int) override { return true; }
    bool ConfirmChange(TDataGrid&, int, int, const QStringList&, const QStringList&) override { return true; }
    void RecordChanging(TDataGrid&, int, const QStringList&, const QStringList&) override {}
    void RecordChanged(TDataGrid&, int, int, const QString&) override {}
    bool AutoFill(TDataGrid&, int, int, int&, QString&) override { return false; }
    bool SkipOnEntry(TDataGrid&, int, int) override { return false; }
    bool RemoveRecord(TDataGrid&, int) override { return false; }
    void LastRowChecking(TDataGrid&, int) override {}
    void NewRowAppended(TDataGrid&, int) override {}
    void TotalsChanged(TDataGrid&) override {}
    void ReapplyFilter(TDataGrid&) override {}
    void DropFilter(TDataGrid&) override {}
};

// The rules of a table that is neither a ledger nor a debt's returns (purses, transfers, users): the
// layer that owns the table registers them with TGeneralClass, and the editor hands every typed or
// chosen value, deletion and cell text of that table to them.
class ITableRules {
public:
    virtual ~ITableRules() = default;

    // May refuse to open a cell for editing at all, having told the user why.
    virtual bool MayEditCell(TDataGrid&, int /*gridRow*/, int /*column*/) { return true; }
    // Continuous entry opens the next cell after Enter.
    virtual bool ContinuesEntry() const { return true; }
    // Cells whose typed text the editor checks as a formula before the commit.
    virtual bool IsNumberCell(int /*column*/) const { return false; }
    // May refuse typed text before the formula check, having told the user why.
    virtual bool AcceptTyped(TDataGrid&, int /*tableRow*/, int /*column*/, const QString& /*typed*/) {
        return true;
    }
    // Checks, stores and carries out a typed or chosen value; the result says what happened.
    virtual void CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                            TCommitResult& result) = 0;

    enum class TDeletion { Generic, Deleted, Kept };
    // The Delete key on a row, asking first when told to (or by the table's own questions). Generic
    // leaves the row to the editor's own deletion of a row.
    virtual TDeletion DeleteRow(TDataGrid&, int /*tableRow*/, bool /*askFirst*/) {
        return TDeletion::Generic;
    }
    // The text drawn for a stored cell.
    virtual QString CellText(int /*column*/, const QString& stored) const { return stored; }
};
