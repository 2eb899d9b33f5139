#include "money/tmoneyhooks.h"

#include "ledger/tmytype.h"
#include "money/tfilters.h"
#include "money/tmoney.h"

namespace {

TFilterRecordValues ValuesOf(TTableKind kind, const QStringList& cells) {
    TMemTable one;
    one.AddRow()->SetCells(cells);
    return TFilters::RecordValues(kind, *one.Row(0));
}

} // namespace

TMoneyHooks::TMoneyHooks(TMyType& state, TMoney& money, TFilters& filters)
    : m_state(state), m_money(money), m_filters(filters) {}

bool TMoneyHooks::AcceptValue(TDataGrid&, int, int, const QString&, QString&) { return true; }

void TMoneyHooks::RecordChanging(TDataGrid& grid, int tableRow, const QStringList& before, const QStringList& after) {
    const bool ledger = TableDef(grid.kind).IsLedger();
    if (!ledger && grid.kind != TTableKind::Returns)
        return;
    if (ledger && grid.filterActive)
        m_filters.RecordChanged(grid.kind, tableRow, ValuesOf(grid.kind, before), ValuesOf(grid.kind, after));
    TTableRow* row = grid.Table->Row(tableRow);
    if (!row)
        return;
    // Column by column, each change seen against the ones already made.
    for (int c = 0; c < after.size(); ++c) {
        if (c < before.size() && before[c] == after[c])
            continue;
        m_money.CellCommitting(grid.kind, tableRow, c, after[c]);
        if (row->CellCount() <= c)
            row->SetCellCount(c + 1);
        row->SetCell(c, after[c]);
    }
}

void TMoneyHooks::RecordChanged(TDataGrid& grid, int tableRow, int column, const QString&) {
    if (TableDef(grid.kind).IsLedger() || grid.kind == TTableKind::Returns)
        m_money.CellCommitted(grid.kind, tableRow, column);
}

bool TMoneyHooks::MayEditCell(TDataGrid& grid, int tableRow, int column) {
    if (grid.kind == TTableKind::User)
        return mayEditUserCell && mayEditUserCell(tableRow, column);
    return true;
}

bool TMoneyHooks::CommitOwnCell(TDataGrid& grid, int tableRow, int column, const QString& typed, TCommitResult& result) {
    switch (grid.kind) {
    case TTableKind::Purse: {
        const TPurseEdit edit = m_money.purse.CommitPurseCell(tableRow, column, typed);
        result.stored = edit.stored;
        if (edit.duplicateRow >= 0)
            result.selectRow = grid.GridRowOf(edit.duplicateRow);
        return true;
    }
    case TTableKind::Transfer:
        result.stored = m_money.purse.CommitTransferCell(tableRow, column, typed);
        return true;
    case TTableKind::User:
        return commitUserCell && commitUserCell(grid, tableRow, column, typed, result);
    default:
        return false;
    }
}

bool TMoneyHooks::RemoveRecord(TDataGrid& grid, int tableRow) {
    // True only when the purse went: a refused deletion leaves the row where it is.
    if (grid.kind == TTableKind::Purse)
        return m_money.purse.DeletePurse(tableRow);
    const bool ledger = TableDef(grid.kind).IsLedger();
    if (!ledger && grid.kind != TTableKind::Returns && grid.kind != TTableKind::Transfer)
        return false;
    const bool filtered = ledger && grid.filterActive;
    if (filtered)
        m_filters.RecordRemoved(grid.kind, tableRow);
    m_money.DeleteRecord(grid.kind, tableRow);
    if (filtered)
        m_filters.ReapplyFilter(grid.kind);
    return true;
}

void TMoneyHooks::NewRowAppended(TDataGrid&, int) {}

void TMoneyHooks::TotalsChanged(TDataGrid& grid) {
    if (totalsChanged)
        totalsChanged(grid);
}

void TMoneyHooks::ReapplyFilter(TDataGrid& grid) {
    if (TableDef(grid.kind).IsLedger())
        m_filters.ReapplyFilter(grid.kind);
}

void TMoneyHooks::DropFilter(TDataGrid& grid) {
    if (!TableDef(grid.kind).IsLedger())
        return;
    grid.filterChoice = 0;
    m_filters.RemoveFilter(grid.kind, true);
}
