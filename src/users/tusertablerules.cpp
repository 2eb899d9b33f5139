#include "users/tusertablerules.h"

#include "ledger/tdatagrid.h"
#include "ledger/tmytype.h"
#include "storage/textrules.h"

bool TUserTableRules::MayEditCell(TDataGrid& grid, int gridRow, int column) {
    return m_users.MayEdit(grid.TableRow(gridRow), column);
}

bool TUserTableRules::ContinuesEntry() const {
    return m_state.admin;
}

void TUserTableRules::CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                                 TCommitResult& result) {
    TUsersLogic::TAnswer answer;
    switch (column) {
    case col::user::Name:
        answer = m_users.CommitName(tableRow, typed);
        break;
    case col::user::Base:
        answer = m_users.CommitBase(tableRow, typed);
        break;
    case col::user::Role:
        answer = m_users.CommitRole(tableRow, typed);
        break;
    default:
        return;
    }
    result.stored = answer.stored;
    result.askNewUserPassword = answer.askPassword;
    if (answer.duplicateRow >= 0) result.selectRow = grid.GridRowOf(answer.duplicateRow);
    if (changed) changed(tableRow, answer);
}

QString TUserTableRules::CellText(int column, const QString& stored) const {
    // Older user files hold the role as a digit.
    if (column == col::user::Role && stored == QLatin1String("1")) return cells::kAdmin;
    if (column == col::user::Role && stored == QLatin1String("0")) return cells::kOrdinary;
    return stored;
}

bool TUserTableRules::WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                                        TEditorKind editor) const {
    if (editor != TEditorKind::Choice) return ITableRules::WantsEarlierCells(grid, row, column, editor);
    return !row || !IsNotBlank(row->Cell(col::user::Name));
}
