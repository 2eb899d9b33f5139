#pragma once

#include <QString>
#include <QStringList>

class TDataGrid;

// What a commit did, for the window to carry out.
struct TCommitResult {
    bool stored = false;
    // The number editor opens again on the same cell with this text, all selected (a wrong formula).
    bool reopen = false;
    QString reopenText;
    // A duplicate name: this grid row is selected instead.
    int selectRow = -1;
    // A new user was typed: the password dialog asks for the user's password.
    bool askNewUserPassword = false;
};

// The calls the record editor makes into the money and users rules at the fixed steps of a commit.
// The money layer implements them; the editor itself knows nothing of purses, totals or users.
class ILedgerHooks {
public:
    virtual ~ILedgerHooks() = default;

    // May refuse to open a cell for editing (or pasting) at all, having told the user why.
    virtual bool MayEditCell(TDataGrid& grid, int tableRow, int column) = 0;
    // May refuse a typed value before anything is stored, having told the user why. The value may be
    // rewritten (a rate normalised, a purse name kept in its table's spelling).
    virtual bool AcceptValue(TDataGrid& grid, int tableRow, int column, const QString& oldText, QString& newText) = 0;
    // A record is about to change from `before` to `after` (one cell differs): totals, purse amounts,
    // debts and returns, transfers and the filter's totals follow.
    virtual void RecordChanging(TDataGrid& grid, int tableRow, const QStringList& before, const QStringList& after) = 0;
    // The value is stored: follow-ups that need it in place (a new purse's recalculation question,
    // remainders of a debt, a new user's password).
    virtual void RecordChanged(TDataGrid& grid, int tableRow, int column, const QString& oldText) = 0;
    // Purses, transfers and users commit their cells by their own rules (checks, store, effects).
    // True when the hooks took the commit; the result says what happened.
    virtual bool CommitOwnCell(TDataGrid& grid, int tableRow, int column, const QString& typed, TCommitResult& result) = 0;
    // A complete record leaves its table (the Delete key, confirmed): its money goes back. True when
    // the hooks removed the row themselves (table and grid); false leaves the removal to the caller.
    // A purse row is the exception: the purse rules ask their own questions, and false means it stays.
    virtual bool RemoveRecord(TDataGrid& grid, int tableRow) = 0;
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
    bool AcceptValue(TDataGrid&, int, int, const QString&, QString&) override { return true; }
    void RecordChanging(TDataGrid&, int, const QStringList&, const QStringList&) override {}
    void RecordChanged(TDataGrid&, int, int, const QString&) override {}
    bool CommitOwnCell(TDataGrid&, int, int, const QString&, TCommitResult&) override { return false; }
    bool RemoveRecord(TDataGrid&, int) override { return false; }
    void NewRowAppended(TDataGrid&, int) override {}
    void TotalsChanged(TDataGrid&) override {}
    void ReapplyFilter(TDataGrid&) override {}
    void DropFilter(TDataGrid&) override {}
};
