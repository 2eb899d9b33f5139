#include "users/tfirstrunlogic.h"
#include "storage/tabledefs.h"

#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsettingsfiles.h"
#include "users/basefolders.h"
#include "users/basehold.h"
#include "users/passwordcode.h"
#include "users/usertables.h"

TFirstRunLogic::TFirstRunLogic(TMyType& state) : m_state(state) {}

void TFirstRunLogic::Show() {
    m_created = false;
    TMemTable users;
    m_usersRead = ReadUserFile(m_state, users);
    if (m_usersRead) SetUsersOfGrid(m_state, users);
    ReadBaseListFile(m_state);
}

TFirstRunLogic::TAnswer TFirstRunLogic::Accept(const QString& typedUser, const QString& typedBase,
                                               const QString& password) {
    const QString userName = TrimmedName(typedUser);
    const QString baseName = TrimmedName(typedBase);
    if (IsBlank(userName)) {
        Messages().ShowError({QStringLiteral("Введите имя пользователя")});
        return {false, TField::UserName, false};
    }
    if (IsBlank(baseName)) {
        Messages().ShowError({QStringLiteral("Введите название базы")});
        return {false, TField::BaseName, false};
    }
    if (!m_usersRead) {
        // Writing the new user over a table that could not be read would lose every other user.
        ShowNoAccess(UserTablePath(m_state));
        return {};
    }
    if (FindUserNoCase(m_state.users, userName) >= 0) {
        Messages().ShowError({QStringLiteral("Пользователь с таким именем уже существует."),
                              QStringLiteral("Введите другое имя пользователя.")});
        return {false, TField::UserName, true};
    }
    if (!AcceptTypedBaseName(typedBase)) return {false, TField::BaseName, true};
    if (HasBase(m_state, baseName) || CheckBaseName(baseName) == TBaseNameCheck::Reserved) {
        Messages().ShowError({QStringLiteral("База с таким именем уже существует."),
                              QStringLiteral("Введите другое имя базы.")});
        return {false, TField::BaseName, true};
    }

    if (m_saveOpenBase && !TBaseLoader::SaveAndTell(m_state)) return {};

    TMemTable& users = m_state.users;
    const int last = users.RowCount() - 1;
    const bool reuseLast = last >= 0 && IsBlank(users.Row(last)->Cell(col::user::Name));
    TTableRow* row = reuseLast ? users.Row(last) : users.AddRow();
    const QStringList cells = {userName, baseName, usertexts::kAdminCode, PasswordCode(password)};
    const QStringList previous = row->Cells();
    row->SetCells(cells);
    if (!SaveUserTable(m_state)) {
        if (reuseLast)
            row->SetCells(previous);
        else
            users.DeleteRow(users.RowCount() - 1);
        ShowNoAccess(UserTablePath(m_state));
        return {};
    }
    RedrawUsers(m_state, !reuseLast);

    AddBase(m_state, baseName);
    SaveBaseList(m_state);
    ReadBaseListWithDefault(m_state, false);

    const QString folder = MakeBaseFolder(m_state.paths.dataRoot, baseName);
    if (folder.isEmpty()) return {};
    m_state.userName = userName;
    m_state.baseName = baseName;
    m_state.baseFolder = folder;
    m_state.admin = true;
    HoldOpenBase(m_state);
    SaveLastUser(m_state.BaseRoot(), userName);
    m_created = true;
    return {true, TField::None, false};
}
