#include "money/tmoneyhooks.h"

#include "ledger/tgeneralclass.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/moneycells.h"
#include "money/tfilters.h"
#include "money/tmoney.h"

namespace {

TFilterRecordValues ValuesOf(TTableKind kind, const QStringList& cells) {
    TMemTable one;
    one.AddRow()->SetCells(cells);
    return TFilters::RecordValues(kind, *one.Row(0));
}

bool IsRecordTable(TTableKind kind) {
    return TableDef(kind).IsLedger() || kind == TTableKind::Returns;
}

} // namespace

TMoneyHooks::TMoneyHooks(TMyType& state, TMoney& money, TFilters& filters)
    : m_state(state), m_money(money), m_filters(filters), m_purseRules(money.purse),
      m_transferRules(money.purse) {}

void TMoneyHooks::RegisterTables(TGeneralClass& general) {
    general.SetTableRules(TTableKind::Purse, m_purseRules);
    general.SetTableRules(TTableKind::Transfer, m_transferRules);
}

void TMoneyHooks::RecordChanging(TDataGrid& grid, int tableRow, const QStringList& before,
                                 const QStringList& after) {
    const bool ledger = TableDef(grid.kind).IsLedger();
    if (!ledger && grid.kind != TTableKind::Returns) return;
    if (ledger && grid.filterActive)
        m_filters.RecordChanged(grid.kind, tableRow, ValuesOf(grid.kind, before), ValuesOf(grid.kind, after));
    TTableRow* row = grid.Table->Row(tableRow);
    if (!row) return;
    // Column by column, each change seen against the ones already made.
    for (int c = 0; c < after.size(); ++c) {
        if (c < before.size() && before[c] == after[c]) continue;
        m_money.CellCommitting(grid.kind, tableRow, c, after[c]);
        if (row->CellCount() <= c) row->SetCellCount(c + 1);
        row->SetCell(c, after[c]);
    }
}

bool TMoneyHooks::ConfirmChange(TDataGrid& grid, int tableRow, int column, const QStringList&,
                                const QStringList& after) {
    return grid.kind != TTableKind::Returns ||
           m_money.dolg.ConfirmReturn(m_state.currentDebt, tableRow, column, after.value(column));
}

void TMoneyHooks::RecordChanged(TDataGrid& grid, int tableRow, int column, const QString&) {
    if (TableDef(grid.kind).IsLedger() || grid.kind == TTableKind::Returns)
        m_money.CellCommitted(grid.kind, tableRow, column);
}

bool TMoneyHooks::MayEditCell(TDataGrid& grid, int gridRow, int column) {
    return grid.kind != TTableKind::Returns || m_money.dolg.CanEditReturns(column, gridRow);
}

bool TMoneyHooks::AutoFill(TDataGrid& grid, int tableRow, int column, int& fillColumn, QString& value) {
    const TTableRow* row = grid.Table ? grid.Table->Row(tableRow) : nullptr;
    const int purseColumn = grid.SumColumn + 1;
    if (!IsRecordTable(grid.kind) || !row || column != grid.SumColumn || !m_state.purseDefault ||
        IsNotBlank(row->Cell(purseColumn)) || m_state.basePurse.isEmpty())
        return false;
    fillColumn = purseColumn;
    value = m_state.basePurse;
    return true;
}

bool TMoneyHooks::SkipOnEntry(TDataGrid& grid, int gridRow, int column) {
    const TTableRow* row = grid.RowAt(gridRow);
    return IsRecordTable(grid.kind) && column == grid.SumColumn + 1 && m_state.purseDefault && row &&
           IsNotBlank(row->Cell(column));
}

void TMoneyHooks::LastRowChecking(TDataGrid& grid, int tableRow) {
    TTableRow* row = grid.kind == TTableKind::Dolg ? grid.Table->Row(tableRow) : nullptr;
    if (row && row->CellCount() > col::dolg::DebtNumber && row->Cell(col::dolg::DebtNumber).isEmpty())
        row->SetCell(col::dolg::DebtNumber, QString::number(m_state.currentDebt));
}

bool TMoneyHooks::RemoveRecord(TDataGrid& grid, int tableRow) {
    const bool ledger = TableDef(grid.kind).IsLedger();
    if (!ledger && grid.kind != TTableKind::Returns) return false;
    const bool filtered = ledger && grid.filterActive;
    if (filtered) m_filters.RecordRemoved(grid.kind, tableRow);
    m_money.DeleteRecord(grid.kind, tableRow);
    if (filtered) m_filters.ReapplyFilter(grid.kind);
    return true;
}

void TMoneyHooks::NewRowAppended(TDataGrid& grid, int tableRow) {
    if (grid.kind == TTableKind::Dolg) m_money.dolg.CreateDebtReturns(tableRow);
}

void TMoneyHooks::TotalsChanged(TDataGrid& grid) {
    if (totalsChanged) totalsChanged(grid);
}

void TMoneyHooks::ReapplyFilter(TDataGrid& grid) {
    if (TableDef(grid.kind).IsLedger()) m_filters.ReapplyFilter(grid.kind);
}

void TMoneyHooks::DropFilter(TDataGrid& grid) {
    if (!TableDef(grid.kind).IsLedger()) return;
    grid.filterChoice = 0;
    m_filters.RemoveFilter(grid.kind, true);
}
