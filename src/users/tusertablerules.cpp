#include "users/tusertablerules.h"

#include "ledger/tdatagrid.h"
#include "ledger/tmytype.h"

bool TUserTableRules::MayEditCell(TDataGrid& grid, int gridRow, int column) {
    return m_users.MayEdit(grid.TableRow(gridRow), column);
}

bool TUserTableRules::ContinuesEntry() const { return m_state.admin; }

void TUserTableRules::CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                                 TCommitResult& result) {
    TUsersLogic::TAnswer answer;
    switch (column) {
    case 0:
        answer = m_users.CommitName(tableRow, typed);
        break;
    case 1:
        answer = m_users.CommitBase(tableRow, typed);
        break;
    case 2:
        answer = m_users.CommitRole(tableRow, typed);
        break;
    default:
        return;
    }
    result.stored = answer.stored;
    result.askNewUserPassword = answer.askPassword;
    if (answer.duplicateRow >= 0)
        result.selectRow = grid.GridRowOf(answer.duplicateRow);
    if (changed)
        changed(tableRow, answer);
}

QString TUserTableRules::CellText(int column, const QString& stored) const {
    // Older user files hold the role as a digit.
    if (column == 2 && stored == QLatin1String("1"))
        return cells::kAdmin;
    if (column == 2 && stored == QLatin1String("0"))
        return cells::kOrdinary;
    return stored;
}
