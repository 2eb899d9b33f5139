#pragma once

#include "users/tuserhooks.h"

#include <QString>

class TMyType;

// The rules of the users page: a user added, renamed, given another base or role, or deleted. Rows are
// rows of the users grid's table (state.users). The grid's commit calls these with the typed value and
// keeps or undoes its edit by the answer.
class TUsersLogic {
public:
    struct TAnswer {
        bool stored = false;             // the value is in the cell; otherwise the edit is undone
        int duplicateRow = -1;           // a refused name: the row that has it, to be selected
        bool askPassword = false;        // a new user: open the password dialog in its new-user mode
        bool currentUserRenamed = false; // the main window's caption follows state.userName
        bool adminChanged = false;       // the administrator commands follow state.admin
        bool baseReloaded = false;       // the open base was read again from its files
    };

    explicit TUsersLogic(TMyType& state, TUserHooks hooks = {});

    // Whether the logged-in user may change this cell of the users grid (typed, pasted or committed):
    // an administrator every cell; anybody else only the name on his own row (his password goes through
    // "Сменить пароль"), never his role or base, nor anything of another user's row. A refusal is told:
    // a beep and "У Вас отсутствуют права администратора!".
    bool MayEdit(int row, int column) const;

    // Cell 0. A blank name stores nothing.
    TAnswer CommitName(int row, const QString& name);
    // Cell 1: with a changed base the user's records may move from the old base to the new one.
    TAnswer CommitBase(int row, const QString& base);
    // Cell 2.
    TAnswer CommitRole(int row, const QString& role);
    // "Удалить" on the users grid; stored means the row is gone. Refused with a beep while the base is
    // open read-only.
    TAnswer DeleteUser(int row);

private:
    void RenameInRecords(const QString& base, const QString& oldName, const QString& newName);

    TMyType& m_state;
    TUserHooks m_hooks;
};
