#pragma once

#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tkindslists.h"
#include "ledger/tkindslists.h"
#include "ledger/tmytype.h"
#include "money/tfilters.h"
#include "money/tmoney.h"
#include "money/tmoneyhooks.h"
#include "ui/tcelleditors.h"
#include "users/tbasessession.h"
#include "users/tpassworddialoglogic.h"
#include "users/tuserslogic.h"
#include "users/tusertablerules.h"

#include <functional>

// The program-wide state with the logic objects that act on it, made once at start-up and shared by
// the windows.
class TAppContext {
public:
    TAppContext();
    TAppContext(const TAppContext&) = delete;
    TAppContext& operator=(const TAppContext&) = delete;

    TMyType state;
    TMoney money{state};
    TFilters filters{state};
    TMoneyHooks hooks{state, money, filters};
    TGeneralClass general{state, hooks};
    TEditClass edit{state, general, hooks};
    TUsersLogic users;
    TUserTableRules userTable{state, users};
    TPasswordDialogLogic passwords{state};
    TBasesSession bases{state};
    TKindsLists kinds{state};
    TCellEditors editors;

    // What a users-grid commit of a row of the users table changed beyond its cell (a new user's
    // password to ask, the caption, the administrator commands, a reloaded base): the main window follows.
    std::function<void(int userRow, const TUsersLogic::TAnswer&)> usersChanged;

    // After a base was read into memory: every total, and the filters kept in its settings.
    void RecomputeAll() {
        money.RecomputeAfterLoad();
        filters.RestoreFromSettings(state.settings);
    }
};
