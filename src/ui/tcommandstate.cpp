#include "ui/tcommandstate.h"

#include "ledger/recordcommands.h"
#include "users/userrights.h"

TCommandState ComputeCommandState(const TCommandContext& c) {
    TCommandState s;
    auto set = [&s](const QString& name, bool visible, bool enabled = true) {
        s.items[name] = {visible, visible && enabled};
    };
    const bool ledgers = c.section <= 3;
    const bool bases = c.section == 5;
    const int tab = bases ? c.baseTab : -1;
    s.toolbarVisible = c.section != 4;

    // The record buttons and their "Действия" items.
    const TRecordCommands record = LedgerRecordCommands(c.lastColumn, c.editorOpen);
    const TUserRowRights rights = UserRowRights(c.admin, c.ownUserRow);
    const bool users = tab == 3;
    const bool pravkaShown = ledgers || bases;
    bool pravkaEnabled = true;
    if (ledgers) pravkaEnabled = record.editEnabled;
    if (users) pravkaEnabled = rights.edit;
    const bool deleteShown = (ledgers && record.deleteShown) || bases;
    const bool deleteEnabled = !users || rights.remove;
    set(QStringLiteral("PravkaButton"), pravkaShown, pravkaEnabled);
    set(QStringLiteral("DeleteButton"), deleteShown, deleteEnabled);
    set(QStringLiteral("PravkaMenu"), pravkaShown, pravkaEnabled);
    set(QStringLiteral("DeleteMenu"), deleteShown, deleteEnabled);

    const bool kinds = tab == 0;
    for (const char* name : {"AddVidButton", "DelVidButton", "RenameVidButton", "AddVidRashodMenu",
                             "DeleteVidRashodMenu", "RenameVidRashodMenu"})
        set(QString::fromLatin1(name), kinds);
    set(QStringLiteral("BaseUserButton"), users);
    set(QStringLiteral("BaseUserMenu"), users);
    set(QStringLiteral("ParolButton"), users, rights.password);
    set(QStringLiteral("ParolUserMenu"), users && rights.password);
    set(QStringLiteral("FilterMenu"), ledgers);
    set(QStringLiteral("Calc"), true);

    s.actionsMenuVisible = c.section != 4;
    s.adminMenuVisible = !c.returnsCurrent;
    s.adminMenuEnabled = c.admin;
    s.sortMenuVisible = c.section != 4 && !c.returnsCurrent;
    s.sortMenuEnabled = ledgers;
    return s;
}
