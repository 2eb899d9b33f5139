#include "ledger/iledgerhooks.h"

#include "ledger/tdatagrid.h"
#include "storage/textrules.h"

bool ITableRules::WantsEarlierCells(const TDataGrid&, const TTableRow* row, int column,
                                    TEditorKind editor) const {
    if (editor == TEditorKind::Choice) return false;
    return column != 0 && (!row || !IsNotBlank(row->Cell(0)));
}

bool ITableRules::IsRecordStarted(const TDataGrid& grid, const TTableRow& row) const {
    return IsNotBlank(row.Cell(grid.DateColumn)) || IsNotBlank(row.Cell(grid.DateColumn + 1));
}

std::pair<int, int> ITableRules::NamingCells(const TDataGrid& grid) const {
    return {0, grid.LastRequiredColumn};
}

void ITableRules::DateStored(TDataGrid& grid, int column, int gridRow, const QDate& date) {
    if (column == grid.DateColumn && gridRow == grid.GridRowCount() - 1) grid.DefaultDate = date;
}

bool ITableRules::EditMovesRecord(const TDataGrid& grid, int column) const {
    return column == grid.SortColumn;
}
