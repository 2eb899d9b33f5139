#include "ui/tcommandstate.h"

TCommandState ComputeCommandState(const TCommandContext& c) {
    TCommandState s;
    auto set = [&s](const QString& name, bool visible, bool enabled = true) { s.items[name] = {visible, visible && enabled}; };
    const bool ledgers = c.section <= 3;
    const bool bases = c.section == 5;
    const int tab = bases ? c.baseTab : -1;
    s.toolbarVisible = c.section != 4;

    // The record buttons and their "Действия" items.
    const bool pravkaShown = ledgers || bases;
    bool pravkaEnabled = true;
    if (ledgers)
        pravkaEnabled = !c.lastColumn;
    if (tab == 3 && !c.admin)
        pravkaEnabled = c.ownUserRow;
    const bool deleteShown = (ledgers && !c.editorOpen) || bases;
    const bool deleteEnabled = !(tab == 3 && !c.admin);
    set(QStringLiteral("PravkaButton"), pravkaShown, pravkaEnabled);
    set(QStringLiteral("DeleteButton"), deleteShown, deleteEnabled);
    set(QStringLiteral("PravkaMenu"), pravkaShown, pravkaEnabled);
    set(QStringLiteral("DeleteMenu"), deleteShown, deleteEnabled);

    const bool kinds = tab == 0;
    for (const char* name : {"AddVidButton", "DelVidButton", "RenameVidButton", "AddVidRashodMenu",
                             "DeleteVidRashodMenu", "RenameVidRashodMenu"})
        set(QString::fromLatin1(name), kinds);
    const bool users = tab == 3;
    set(QStringLiteral("BaseUserButton"), users);
    set(QStringLiteral("BaseUserMenu"), users);
    set(QStringLiteral("ParolButton"), users, c.ownUserRow);
    set(QStringLiteral("ParolUserMenu"), users && c.ownUserRow);
    set(QStringLiteral("FilterMenu"), ledgers);
    set(QStringLiteral("Calc"), true);

    s.actionsMenuVisible = c.section != 4;
    s.adminMenuVisible = !c.returnsCurrent;
    s.adminMenuEnabled = c.admin;
    s.sortMenuVisible = c.section != 4 && !c.returnsCurrent;
    s.sortMenuEnabled = ledgers;
    return s;
}
