#pragma once

#include "ledger/tgeneralclass.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

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

// The rules of one table, which the generic editor asks wherever tables differ; it names no table
// itself. The ledgers and the debts' returns hold records that the editor stores itself through the
// ledger hooks (their rules come with TGeneralClass); every other table (purses, transfers, users)
// checks and stores its own cells, and the layer that owns it registers its rules with TGeneralClass.
// The defaults are those of a table that stores its own cells.
class ITableRules {
public:
    virtual ~ITableRules() = default;

    // True: CommitCell checks and stores every typed or chosen value, and DeleteRow takes the Delete
    // key; false: the editor stores the record's cells and calls the ledger hooks at each step.
    virtual bool CommitsCells() const { return true; }

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
    // The questions the window asks before a row goes, one box each, in order; the deletion is then made
    // without asking. Empty: the row cannot go, and DeleteRow tells why.
    virtual std::vector<QStringList> DeletionQuestions(const TDataGrid&, int /*tableRow*/) {
        return {{QStringLiteral("Вы действительно хотите удалить строку?")}};
    }
    // The text drawn for a stored cell.
    virtual QString CellText(int /*column*/, const QString& stored) const { return stored; }

    // The fill rule: `editor` (text, number or choice) stays closed on the cell while cells the table
    // wants filled first are blank. `row` is null for a row not made yet. By default every cell waits
    // for the first one.
    virtual bool WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                                   TEditorKind editor) const;
    // A record has been started on the row, so entering its user column writes the user.
    virtual bool IsRecordStarted(const TDataGrid& grid, const TTableRow& row) const;
    // Continuous entry goes on from the user column to the next record, on a new row past its date.
    virtual bool StartsNextRecordAfterUser() const { return false; }
    // The kinds picker, opened from a cell of a record, is placed on the record's kind and name.
    virtual void PlacePicker(TEditRequest& /*request*/, const TTableRow& /*row*/, int /*column*/) const {}
    // The cells (first, last) that name a record: with them filled Delete removes the row as a
    // record, else it only clears its text.
    virtual std::pair<int, int> NamingCells(const TDataGrid& grid) const;
    // Delete on the row for a new record clears it and gives it the default date again.
    virtual bool RedatesClearedRow() const { return false; }
    // A date was stored: the default date for new records (and a plan's period) follow it.
    virtual void DateStored(TDataGrid& grid, int column, int gridRow, const QDate& date);
    // A stored date re-sorts the record (a debt's only once its due date is set too).
    virtual bool ResortsAfterDate(const TDataGrid& /*grid*/, const TTableRow& /*row*/) const { return true; }
    // An edit of `column` moves the record to its sorted place.
    virtual bool EditMovesRecord(const TDataGrid& grid, int column) const;
    // Continuous entry stops on the current cell after Enter instead of moving on.
    virtual bool StopsAfterEnter(const TDataGrid& /*grid*/) const { return false; }
    // Continuous entry after a choice on the current cell moves on this many cells; 0 stays.
    virtual int CellsAfterChoice(const TDataGrid& /*grid*/) const { return 1; }
    // Continuous entry after a date opens the next cell (the current one, already moved to).
    virtual bool OpensAfterDate(const TDataGrid& /*grid*/) const { return true; }
};
