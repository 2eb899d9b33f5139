#pragma once

#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tkindslists.h"
#include "ledger/tmytype.h"
#include "ui/tcelleditors.h"

#include <functional>

class ILedgerHooks;

// The program-wide state with the logic objects that act on it, made once at start-up and shared by
// the windows.
class TAppContext {
public:
    explicit TAppContext(ILedgerHooks& ledgerHooks)
        : hooks(ledgerHooks), general(state, hooks), edit(state, general, hooks), kinds(state) {}

    TMyType state;
    ILedgerHooks& hooks;
    TGeneralClass general;
    TEditClass edit;
    TKindsLists kinds;
    TCellEditors editors;
    // After a base was read into memory: every total computed again.
    std::function<void()> recomputeAll;
};
