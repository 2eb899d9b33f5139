#pragma once

class TMyType;
class TTableRow;

// The logged-in user's own row of the users table: a row whose name is his (he always has one).
bool IsOwnUserRow(const TMyType& state, const TTableRow* row);

// What the commands of the users grid offer on its current row. Nothing is told here: the commands
// are only enabled or disabled by it, and the commit checks each cell again (TUsersLogic::MayEdit).
struct TUserRowRights {
    bool edit = false;     // an administrator every row, anybody else his own
    bool remove = false;   // administrators only
    bool password = false; // the own row only, whatever the role
};
TUserRowRights UserRowRights(bool admin, bool ownRow);

// "Базы пользователей" is an administrator's command. From the toolbar or the main menu a refusal is
// told (RequireAdmin); the purses-and-users popup's item of the same name just does nothing.
bool MayOpenBases(const TMyType& state, bool fromPopup);
