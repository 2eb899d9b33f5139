#pragma once

#include "session/tsession.h"
#include "ui/tcelleditors.h"

#include <functional>

// What the windows share: the session's state and logic objects, already wired to each other, and the
// in-cell editors. Made once at start-up over the session the program built.
class TAppContext {
public:
    explicit TAppContext(TSession& session);
    TAppContext(const TAppContext&) = delete;
    TAppContext& operator=(const TAppContext&) = delete;

    TSession& session;
    TMyType& state = session.state;
    TMoney& money = session.money;
    TFilters& filters = session.filters;
    TMoneyHooks& hooks = session.hooks;
    TGeneralClass& general = session.general;
    TEditClass& edit = session.edit;
    TUsersLogic& users = session.users;
    TPasswordDialogLogic& passwords = session.passwords;
    TBasesSession& bases = session.bases;
    TKindsLists& kinds = session.kinds;
    TCellEditors editors;

    // What a users-grid commit of a row of the users table changed beyond its cell (a new user's
    // password to ask, the caption, the administrator commands, a reloaded base): the main window follows.
    std::function<void(int userRow, const TUsersLogic::TAnswer&)> usersChanged;

    // After a base was read into memory: every total, and the filters kept in its settings.
    void RecomputeAll() { session.RecomputeAll(); }
};
