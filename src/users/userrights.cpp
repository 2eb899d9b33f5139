#include "users/userrights.h"
#include "storage/tabledefs.h"

#include "ledger/tmytype.h"
#include "users/usertables.h"

bool IsOwnUserRow(const TMyType& state, const TTableRow* row) {
    return row && !IsBlank(state.userName) && row->Cell(col::user::Name) == state.userName;
}

TUserRowRights UserRowRights(bool admin, bool ownRow) {
    return {admin || ownRow, admin, ownRow};
}

bool MayOpenBases(const TMyType& state, bool fromPopup) {
    return fromPopup ? state.admin : RequireAdmin(state);
}
