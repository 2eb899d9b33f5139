#include "ui/tappcontext.h"

TAppContext::TAppContext(TSession& s) : session(s) {
    session.userTable.changed = [this](int userRow, const TUsersLogic::TAnswer& answer) {
        if (usersChanged) usersChanged(userRow, answer);
    };
}
