#pragma once

#include "storage/tabledefs.h"
#include "ui/tmainwindowparts.h"
#include "users/tuserslogic.h"

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QPoint;
class TAppContext;
class TQuorvaneForm;
class TUserForm;

// The users' commands of the main window over the users rules: the users grid's follow-ups (a new
// user's password, a rename, a reloaded base), deleting users, "Сменить пароль", "Базы пользователей"
// with the main window disabled behind it, "Сменить пользователя", and the purses-and-users popup of
// the "Кошельки" and "Пользователи" tabs.
class TUsersPage : public QObject {
    Q_OBJECT
public:
    TUsersPage(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts);
    ~TUsersPage() override;

    // The log-in dialog, made before the main window: the switch and the bases dialog are its modes.
    void SetUserForm(TUserForm* form);

    // "Сменить пользователя": any editor closed, the log-in dialog in its switch mode.
    void SwitchUser();
    // "Базы пользователей" from the toolbar and the main menu; the popup's item says nothing to those
    // who are not administrators.
    void OpenBases(bool fromPopup = false);
    // "Сменить пароль" for the users grid's current row.
    void ChangePassword();
    // The Delete key and the delete commands on a row of the users grid.
    void DeleteUser(int gridRow);
    // "Удалить запись" on the purses grid: the purse rules with their questions.
    void DeletePurse(int gridRow);

    // The purses-and-users popup made ready for the grid of that table (Purse or User); ShowPopup opens it.
    QMenu* PopupFor(TTableKind kind);
    void ShowPopup(TTableKind kind, const QPoint& at);
    QAction* PopupItem(const QString& name) const;

private:
    void AfterUsersCommit(int userRow, const TUsersLogic::TAnswer& answer);
    void AfterSwitch();
    void AfterBases();
    void FocusUsers();

    TQuorvaneForm& m_form;
    TAppContext& m_context;
    const TMainWindowParts m_parts;
    TUserForm* m_userForm = nullptr;
    QMenu* m_popup;
    TTableKind m_popupKind = TTableKind::User;
    QPointer<QWidget> m_focusBeforeBases;
};
