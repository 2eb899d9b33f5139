#include "ledger/recordtablerules.h"

#include "ledger/tdatagrid.h"
#include "ledger/tmytype.h"
#include "storage/textrules.h"

namespace {

bool Blank(const TTableRow* row, int column) {
    return !row || !IsNotBlank(row->Cell(column));
}

// Typing the sum or a later cell waits for cells 0..last.
bool SumWaitsFor(const TDataGrid& grid, const TTableRow* row, int column, int last) {
    if (column < grid.SumColumn) return false;
    for (int c = 0; c <= last; ++c)
        if (Blank(row, c)) return true;
    return false;
}

} // namespace

bool TRecordTableRules::IsNumberCell(int column) const {
    return column == TableDef(m_kind).sumColumn;
}

bool TRecordTableRules::WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int,
                                          TEditorKind editor) const {
    return editor == TEditorKind::Choice && Blank(row, grid.SumColumn);
}

bool TDailyLedgerRules::WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                                          TEditorKind editor) const {
    if (editor == TEditorKind::Choice) return TRecordTableRules::WantsEarlierCells(grid, row, column, editor);
    return column >= grid.SumColumn && Blank(row, col::rashod::Kind);
}

bool TDailyLedgerRules::IsRecordStarted(const TDataGrid&, const TTableRow& row) const {
    return IsNotBlank(row.Cell(col::rashod::Kind));
}

std::pair<int, int> TDailyLedgerRules::NamingCells(const TDataGrid&) const {
    return {col::rashod::Kind, m_lastNamingCell};
}

TRashodTableRules::TRashodTableRules(const TMemTable& kinds)
    : TDailyLedgerRules(TTableKind::Rashod, col::rashod::Name), m_kinds(kinds) {}

// On the record's kind, and for the name column on its name when the kind still lists it.
void TRashodTableRules::PlacePicker(TEditRequest& req, const TTableRow& row, int column) const {
    const QString kind = row.Cell(col::rashod::Kind);
    if (!IsNotBlank(kind)) return;
    req.pickerCol = 0;
    req.pickerRow = 1;
    for (int k = 0; k < m_kinds.RowCount(); ++k) {
        if (m_kinds.Row(k)->Cell(col::kinds::Kind) != kind) continue;
        req.pickerCol = k;
        if (column == col::rashod::Name) {
            const QStringList names = m_kinds.Row(k)->Cells();
            const int at = int(names.indexOf(row.Cell(col::rashod::Name), col::kinds::FirstName));
            if (at > 0)
                req.pickerRow = at;
            else
                req.pickerCol = 0;
        }
        return;
    }
}

bool TDolgTableRules::WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                                        TEditorKind editor) const {
    if (editor == TEditorKind::Choice)
        return (column == col::dolg::Purse || column == col::dolg::InPurse) && Blank(row, grid.SumColumn);
    return SumWaitsFor(grid, row, column, grid.SumColumn - 2);
}

std::pair<int, int> TDolgTableRules::NamingCells(const TDataGrid&) const {
    return {col::dolg::Category, col::dolg::Date};
}

bool TDolgTableRules::ResortsAfterDate(const TDataGrid&, const TTableRow& row) const {
    return IsNotBlank(row.Cell(col::dolg::Due));
}

bool TDolgTableRules::EditMovesRecord(const TDataGrid& grid, int column) const {
    return TRecordTableRules::EditMovesRecord(grid, column) ||
           (column == col::dolg::Due && grid.SortColumn == col::dolg::Date);
}

bool TDolgTableRules::StopsAfterEnter(const TDataGrid& grid) const {
    return grid.col == grid.UserColumn;
}

int TDolgTableRules::CellsAfterChoice(const TDataGrid& grid) const {
    const bool last =
        grid.col == grid.UserColumn || grid.col == grid.UserColumn - 1 || grid.col == grid.ColumnCount() - 1;
    return last ? 0 : 1;
}

bool TDolgTableRules::OpensAfterDate(const TDataGrid& grid) const {
    const TTableRow* row = grid.RowAt(grid.row);
    return !(row && IsNotBlank(row->Cell(grid.col)));
}

bool TPlanTableRules::WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                                        TEditorKind editor) const {
    if (editor == TEditorKind::Choice) return TRecordTableRules::WantsEarlierCells(grid, row, column, editor);
    return SumWaitsFor(grid, row, column, grid.SumColumn - 1);
}

void TPlanTableRules::DateStored(TDataGrid& grid, int column, int, const QDate& date) {
    if (column == grid.DateColumn)
        grid.DefaultDate = date;
    else if (column == grid.DateColumn + 1)
        m_periodEnd = date;
}

std::unique_ptr<ITableRules> MakeRecordTableRules(TTableKind kind, TMyType& state) {
    switch (kind) {
    case TTableKind::Rashod:
        return std::make_unique<TRashodTableRules>(state.vidRashod);
    case TTableKind::Dohod:
        return std::make_unique<TDailyLedgerRules>(kind, col::dohod::Kind);
    case TTableKind::Dolg:
        return std::make_unique<TDolgTableRules>();
    case TTableKind::PlanRashod:
        return std::make_unique<TPlanTableRules>(kind, state.planUntilRashod);
    case TTableKind::PlanDohod:
        return std::make_unique<TPlanTableRules>(kind, state.planUntilDohod);
    case TTableKind::Returns:
        return std::make_unique<TRecordTableRules>(kind);
    case TTableKind::Transfer:
    case TTableKind::Purse:
    case TTableKind::User:
        break;
    }
    return nullptr;
}
