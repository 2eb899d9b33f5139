#include "ui/tappcontext.h"

TAppContext::TAppContext(TSession& s) : session(s) {
    hooks.mayEditUserCell = [this](int tableRow, int column) { return users.MayEdit(tableRow, column); };
    hooks.commitUserCell = [this](TDataGrid& grid, int tableRow, int column, const QString& typed, TCommitResult& result) {
        TUsersLogic::TAnswer answer;
        switch (column) {
        case 0:
            answer = users.CommitName(tableRow, typed);
            break;
        case 1:
            answer = users.CommitBase(tableRow, typed);
            break;
        case 2:
            answer = users.CommitRole(tableRow, typed);
            break;
        default:
            return false;
        }
        result.stored = answer.stored;
        result.askNewUserPassword = answer.askPassword;
        if (answer.duplicateRow >= 0)
            result.selectRow = grid.GridRowOf(answer.duplicateRow);
        if (usersChanged)
            usersChanged(tableRow, answer);
        return true;
    };
}
