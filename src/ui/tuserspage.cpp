#include "ui/tuserspage.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"
#include "ui/tappcontext.h"
#include "ui/tgridcontroller.h"
#include "ui/thelperform.h"
#include "ui/tledgergrid.h"
#include "ui/tmenuclass.h"
#include "ui/tquorvaneform.h"
#include "ui/ttoolbarpanel.h"
#include "ui/tuserform.h"
#include "users/userrights.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace {

void KeepRowInGrid(TDataGrid& grid) {
    grid.row = std::clamp(grid.row, 1, std::max(1, grid.GridRowCount() - 1));
}

} // namespace

TUsersPage::TUsersPage(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts)
    : QObject(&form), m_form(form), m_context(context), m_parts(parts), m_popup(new QMenu(&form)) {
    m_popup->setObjectName(QStringLiteral("PurseUserPopupMenu"));
    const char* const items[][2] = {{"Изменить запись", "RenamePurseUserMenu"},
                                    {"Удалить запись", "DeletePurseUserMenu"},
                                    {"Базы пользователей", "UserBaseMenu"},
                                    {"Сменить пароль", "ParolUserMenu"}};
    for (const auto& item : items)
        m_popup->addAction(QString::fromUtf8(item[0]))->setObjectName(QString::fromLatin1(item[1]));
    connect(PopupItem(QStringLiteral("RenamePurseUserMenu")), &QAction::triggered, this, [this] {
        if (TGridController* c = m_parts.Controller(m_popupKind)) c->EditCurrent();
    });
    connect(PopupItem(QStringLiteral("DeletePurseUserMenu")), &QAction::triggered, this, [this] {
        const int row = m_context.state.Grid(m_popupKind).row;
        if (m_popupKind == TTableKind::Purse)
            DeletePurse(row);
        else
            DeleteUser(row);
    });
    connect(PopupItem(QStringLiteral("UserBaseMenu")), &QAction::triggered, this,
            [this] { OpenBases(true); });
    connect(PopupItem(QStringLiteral("ParolUserMenu")), &QAction::triggered, this,
            &TUsersPage::ChangePassword);

    for (TTableKind kind : {TTableKind::Purse, TTableKind::User}) {
        TGridController* c = m_parts.Controller(kind);
        connect(c, &TGridController::PopupRequested, this,
                [this, kind](int, int, const QPoint& at) { ShowPopup(kind, at); });
    }
    m_parts.Controller(TTableKind::User)->deleteRow = [this](int gridRow) { DeleteUser(gridRow); };

    TToolBarPanel* bar = m_parts.toolbar;
    connect(bar->BaseUserButton(), &QPushButton::clicked, this, [this] { OpenBases(); });
    connect(bar->ParolButton(), &QPushButton::clicked, this, &TUsersPage::ChangePassword);
    TMenuClass* menu = m_parts.menu;
    connect(menu->Item(QStringLiteral("BaseUserMenu")), &QAction::triggered, this, [this] { OpenBases(); });
    connect(menu->Item(QStringLiteral("ParolUserMenu")), &QAction::triggered, this,
            &TUsersPage::ChangePassword);
    for (QAction* item : menu->Items(QStringLiteral("NewUserMenu")))
        connect(item, &QAction::triggered, this, &TUsersPage::SwitchUser);
    // The users tab is worked from the keyboard: its grid takes the keys as soon as it is on show.
    connect(m_parts.baseTabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 3) FocusUsers();
    });

    m_context.usersChanged = [this](int userRow, const TUsersLogic::TAnswer& answer) {
        AfterUsersCommit(userRow, answer);
    };
}

TUsersPage::~TUsersPage() {
    m_context.usersChanged = nullptr;
}

void TUsersPage::SetUserForm(TUserForm* form) {
    m_userForm = form;
    if (!form) return;
    connect(form, &TUserForm::Switched, this, &TUsersPage::AfterSwitch);
    connect(form, &TUserForm::BasesHidden, this, &TUsersPage::AfterBases);
}

QAction* TUsersPage::PopupItem(const QString& name) const {
    for (QAction* a : m_popup->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

QMenu* TUsersPage::PopupFor(TTableKind kind) {
    m_popupKind = kind;
    // The users' own items mean nothing on the purses.
    const bool users = kind == TTableKind::User;
    PopupItem(QStringLiteral("UserBaseMenu"))->setVisible(users);
    PopupItem(QStringLiteral("ParolUserMenu"))->setVisible(users);
    // "Сменить пароль" as on the toolbar: only on the logged-in user's own row.
    const TDataGrid& grid = m_context.state.Grid(TTableKind::User);
    const bool own = IsOwnUserRow(m_context.state, grid.RowAt(grid.row));
    const TUserRowRights rights = UserRowRights(m_context.state.admin, own);
    PopupItem(QStringLiteral("ParolUserMenu"))->setEnabled(rights.password);
    return m_popup;
}

void TUsersPage::ShowPopup(TTableKind kind, const QPoint& at) {
    PopupFor(kind)->exec(at);
}

void TUsersPage::FocusUsers() {
    if (TLedgerGrid* grid = m_parts.Grid(TTableKind::User)) grid->setFocus();
}

void TUsersPage::AfterUsersCommit(int userRow, const TUsersLogic::TAnswer& answer) {
    if (answer.currentUserRenamed) m_form.SetUserCaption(m_context.state.userName);
    if (answer.baseReloaded) m_form.RefreshViews();
    if (answer.askPassword) {
        m_parts.helper()->AskNewUserPassword(m_context.passwords, userRow);
        FocusUsers();
    }
    m_form.RefreshCommands();
}

void TUsersPage::DeleteUser(int gridRow) {
    m_context.editors.CloseAndCommit();
    TDataGrid& grid = m_context.state.Grid(TTableKind::User);
    if (!m_context.users.DeleteUser(grid.TableRow(gridRow)).stored) return;
    KeepRowInGrid(grid);
    m_parts.Controller(TTableKind::User)->Refresh();
    m_form.RefreshCommands();
}

void TUsersPage::DeletePurse(int gridRow) {
    m_context.editors.CloseAndCommit();
    TDataGrid& grid = m_context.state.Grid(TTableKind::Purse);
    const int tableRow = grid.TableRow(gridRow);
    if (tableRow < 0 || !m_context.money.purse.DeletePurse(tableRow)) return;
    KeepRowInGrid(grid);
    m_parts.Controller(TTableKind::Purse)->Refresh();
}

void TUsersPage::ChangePassword() {
    if (RefuseChange(m_context.state)) return;
    m_context.editors.CloseAndCommit();
    const TDataGrid& grid = m_context.state.Grid(TTableKind::User);
    const int tableRow = grid.TableRow(grid.row);
    const TTableRow* row = m_context.state.users.Row(tableRow);
    if (!row || IsBlank(row->Cell(col::user::Name))) return;
    m_parts.helper()->AskPasswordChange(m_context.passwords, tableRow);
    FocusUsers();
}

void TUsersPage::OpenBases(bool fromPopup) {
    if (!MayOpenBases(m_context.state, fromPopup)) return;
    if (!m_userForm) return;
    m_context.editors.CloseAndCommit();
    m_focusBeforeBases = QApplication::focusWidget();
    m_form.setEnabled(false);
    if (!m_userForm->ShowForBases()) m_form.setEnabled(true);
}

void TUsersPage::AfterBases() {
    m_form.setEnabled(true);
    KeepRowInGrid(m_context.state.Grid(TTableKind::User));
    m_parts.Controller(TTableKind::User)->Refresh();
    m_form.RefreshCommands();
    m_form.activateWindow();
    // Disabled, the window lost its keyboard focus; it goes back where it was.
    if (m_focusBeforeBases) m_focusBeforeBases->setFocus();
}

void TUsersPage::SwitchUser() {
    if (!m_userForm) return;
    m_context.editors.CloseAndCommit();
    // The layout and the column widths of the open base are saved with it before another opens.
    m_form.StoreSettings();
    m_userForm->ShowForSwitch();
}

void TUsersPage::AfterSwitch() {
    m_form.SetUserCaption(m_context.state.userName);
    m_form.ShowOpenedBase();
    m_form.activateWindow();
}
