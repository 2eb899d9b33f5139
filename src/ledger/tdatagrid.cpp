#include "ledger/tdatagrid.h"

#include "ledger/igridview.h"

void TDataGrid::Define(const TTableDef& def) {
    gridId = def.gridId;
    kind = def.kind;
    Columns = def.columns;
    Captions = def.captions;
    SizeClasses = def.sizeClasses;
    SumColumn = def.sumColumn;
    DateColumn = def.dateColumn;
    UserColumn = def.userColumn;
    LastRequiredColumn = def.lastRequiredColumn;
    FileName = def.fileName;
    SortColumn = std::max(0, def.dateColumn);
    SortAscending = true;
}

int TDataGrid::TableRow(int gridRow) const {
    if (gridRow < 1 || gridRow >= GridRowCount()) return -1;
    const int r = RowMap[size_t(gridRow)] - 1;
    return (Table && r >= 0 && r < Table->RowCount()) ? r : -1;
}

TTableRow* TDataGrid::RowAt(int gridRow) const {
    const int r = TableRow(gridRow);
    return r >= 0 ? Table->Row(r) : nullptr;
}

int TDataGrid::GridRowOf(int tableRow) const {
    for (int g = 1; g < GridRowCount(); ++g)
        if (RowMap[size_t(g)] == tableRow + 1) return g;
    return -1;
}

void TDataGrid::ResetRowMap() {
    const int n = Table ? Table->RowCount() : 0;
    RowMap.assign(size_t(n) + 1, 0);
    for (int r = 1; r <= n; ++r)
        RowMap[size_t(r)] = r;
    shown.assign(size_t(n) + 1, true);
}

void TDataGrid::NotifyRows() const {
    if (view) view->RowsChanged();
}

void TDataGrid::NotifyCells() const {
    if (view) view->CellsChanged();
}

void TDataGrid::NotifyRowCells(int firstGridRow, int lastGridRow) const {
    if (view) view->RowCellsChanged(firstGridRow, lastGridRow);
}

void TDataGrid::NotifyRowsInserted(int firstGridRow, int count) const {
    if (view && count > 0) view->RowsInserted(firstGridRow, count);
}

void TDataGrid::NotifyRowsRemoved(int firstGridRow, int count) const {
    if (view && count > 0) view->RowsRemoved(firstGridRow, count);
}

void TDataGrid::NotifySelection() const {
    if (view) view->SelectionChanged();
}
