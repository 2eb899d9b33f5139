#include "ui/tappcontext.h"

TAppContext::TAppContext() : users(state, TUserHooks{[this] { RecomputeAll(); }, [this] { edit.NormaliseAllDates(); }, {}, {}}) {
    hooks.RegisterTables(general);
    general.SetTableRules(TTableKind::User, userTable);
    userTable.changed = [this](int userRow, const TUsersLogic::TAnswer& answer) {
        if (usersChanged)
            usersChanged(userRow, answer);
    };
}
