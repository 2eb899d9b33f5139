#include "money/debtediting.h"

#include "ledger/tdatagrid.h"

bool DebtCellStartsNoEdit(const TDataGrid& grid, int column, QChar firstKey) {
    return grid.kind == TTableKind::Dolg && firstKey.isNull() && column == grid.UserColumn;
}
