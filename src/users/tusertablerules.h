#pragma once

#include "ledger/iledgerhooks.h"
#include "users/tuserslogic.h"

#include <functional>

class TMyType;

// The users grid's cells go to the users rules: who may edit them, the commits of a name, a base and a
// role, and the role drawn by its name.
class TUserTableRules : public ITableRules {
public:
    TUserTableRules(TMyType& state, TUsersLogic& users) : m_state(state), m_users(users) {}

    // What a commit changed beyond its cell (a new user's password to ask, the caption, the
    // administrator commands, a reloaded base): the window follows.
    std::function<void(int userRow, const TUsersLogic::TAnswer&)> changed;

    bool MayEditCell(TDataGrid& grid, int gridRow, int column) override;
    // Only an administrator is taken on into the next cell.
    bool ContinuesEntry() const override;
    void CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                    TCommitResult& result) override;
    QString CellText(int column, const QString& stored) const override;
    // A base or role is chosen only for a user who has a name.
    bool WantsEarlierCells(const TDataGrid& grid, const TTableRow* row, int column,
                           TEditorKind editor) const override;

private:
    TMyType& m_state;
    TUsersLogic& m_users;
};
