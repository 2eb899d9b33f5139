#pragma once

#include "ledger/iledgerhooks.h"

#include <memory>

class TMemTable;
class TMyType;

// The rules of a table of records (a ledger or a debt's returns): the editor stores their cells itself
// through the ledger hooks, so these rules only answer where the tables differ. As they stand here
// they are the returns' rules: a choice waits for the sum, nothing else waits.
class TRecordTableRules : public ITableRules {
public:
    explicit TRecordTableRules(TTableKind kind) : m_kind(kind) {}

    bool CommitsCells() const override { return false; }
    // Never called: the editor commits a record's cells itself.
    void CommitCell(TDataGrid&, int, int, const QString&, TCommitResult&) override {}
    bool IsNumberCell(int column) const override;
    bool WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                           TEditorKind editor) const override;

protected:
    TTableKind m_kind;
};

// Expenses and incomes, typed day by day: a record starts with its kind, the sum and the rest wait
// for it, and the user column leads on to the next record.
class TDailyLedgerRules : public TRecordTableRules {
public:
    TDailyLedgerRules(TTableKind kind, int lastNamingCell)
        : TRecordTableRules(kind), m_lastNamingCell(lastNamingCell) {}

    bool WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                           TEditorKind editor) const override;
    bool IsRecordStarted(const TDataGrid& grid, const TTableRow& row) const override;
    bool StartsNextRecordAfterUser() const override { return true; }
    std::pair<int, int> NamingCells(const TDataGrid& grid) const override;
    bool RedatesClearedRow() const override { return true; }

private:
    int m_lastNamingCell;
};

// Expenses: the picker opens on the record's kind and name in the expenses kinds list.
class TRashodTableRules : public TDailyLedgerRules {
public:
    explicit TRashodTableRules(const TMemTable& kinds);

    void PlacePicker(TEditRequest& request, const TTableRow& row, int column) const override;

private:
    const TMemTable& m_kinds;
};

// Debts: the purse columns wait for the sum, the sum for the category, dates and party; a debt keeps
// its place until its due date is set, and continuous entry stops at its last choices.
class TDolgTableRules : public TRecordTableRules {
public:
    TDolgTableRules() : TRecordTableRules(TTableKind::Dolg) {}

    bool WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                           TEditorKind editor) const override;
    std::pair<int, int> NamingCells(const TDataGrid& grid) const override;
    bool ResortsAfterDate(const TDataGrid& grid, const TTableRow& row) const override;
    bool EditMovesRecord(const TDataGrid& grid, int column) const override;
    bool StopsAfterEnter(const TDataGrid& grid) const override;
    int CellsAfterChoice(const TDataGrid& grid) const override;
    bool OpensAfterDate(const TDataGrid& grid) const override;
};

// Plans: the sum waits for every cell before it; the period's start is the default date of new plans
// and its end is kept for the next plan (`periodEnd`).
class TPlanTableRules : public TRecordTableRules {
public:
    TPlanTableRules(TTableKind kind, QDate& periodEnd) : TRecordTableRules(kind), m_periodEnd(periodEnd) {}

    bool WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                           TEditorKind editor) const override;
    void DateStored(TDataGrid& grid, int column, int gridRow, const QDate& date) override;

private:
    QDate& m_periodEnd;
};

// The rules of a table of records, or null for a table that stores its own cells.
std::unique_ptr<ITableRules> MakeRecordTableRules(TTableKind kind, TMyType& state);
