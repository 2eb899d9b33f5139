#include "users/tuserslogic.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"
#include "users/basefolders.h"
#include "users/basehold.h"
#include "users/trecordmover.h"
#include "users/userrights.h"
#include "users/usertables.h"

#include <QFileInfo>

namespace {

TTableRow* UserRow(TMyType& state, int row) {
    return state.users.Row(row);
}

} // namespace

TUsersLogic::TUsersLogic(TMyType& state, TUserHooks hooks) : m_state(state), m_hooks(std::move(hooks)) {}

bool TUsersLogic::MayEdit(int row, int column) const {
    if (m_state.admin) return true;
    if (IsOwnUserRow(m_state, m_state.users.Row(row)) && column == col::user::Name) return true;
    return RequireAdmin(m_state);
}

TUsersLogic::TAnswer TUsersLogic::CommitName(int row, const QString& typed) {
    TAnswer answer;
    const QString name = TrimmedName(typed);
    TTableRow* cells = UserRow(m_state, row);
    if (!cells || IsBlank(name)) return answer;
    const QString old = cells->Cell(col::user::Name);
    if (name == old) {
        answer.stored = true;
        return answer;
    }
    if (!MayEdit(row, 0)) return answer;
    const int duplicate = FindUserNoCase(m_state.users, name, row);
    if (duplicate >= 0) {
        Messages().ShowError(
            {QStringLiteral("Пользователь \"") + name + QStringLiteral("\" уже существует")});
        answer.duplicateRow = duplicate;
        return answer;
    }
    // The records of the user's base follow the new name: not while another program has that base open.
    const QString base = cells->Cell(col::user::Base);
    if (!IsBlank(old) && !IsBlank(base) && RefuseHeldBase(base, BaseFolderOf(m_state.paths.dataRoot, base)))
        return answer;
    const int cellCount = TableDef(TTableKind::User).CellCount();
    if (cells->CellCount() < cellCount) cells->SetCellCount(cellCount);
    cells->SetCell(col::user::Name, name);
    answer.stored = true;
    if (IsBlank(old)) {
        cells->SetCell(col::user::PasswordCode, usertexts::kEmptyPasswordCode);
        answer.askPassword = true;
    } else {
        if (old == m_state.userName) {
            m_state.userName = name;
            answer.currentUserRenamed = true;
        }
        RenameInRecords(cells->Cell(col::user::Base), old, name);
    }
    RedrawUsers(m_state, false);
    SaveUserTable(m_state);
    return answer;
}

void TUsersLogic::RenameInRecords(const QString& base, const QString& oldName, const QString& newName) {
    if (IsBlank(base)) return;
    if (!m_state.baseFolder.isEmpty() && base == m_state.baseName) {
        for (TTableKind kind : LedgerKinds())
            if (RenameUserCells(kind, m_state.Table(kind), oldName, newName))
                m_state.Grid(kind).NotifyCells();
    }
    RenameUserInBaseFiles(BaseFolderOf(m_state.paths.dataRoot, base), oldName, newName);
}

TUsersLogic::TAnswer TUsersLogic::CommitBase(int row, const QString& base) {
    TAnswer answer;
    TTableRow* cells = UserRow(m_state, row);
    if (!cells) return answer;
    const QString old = cells->Cell(col::user::Base);
    if (base == old) {
        answer.stored = true;
        return answer;
    }
    if (!MayEdit(row, 1)) return answer;
    if (!AcceptTypedBaseName(base)) return answer;
    if (CheckBaseName(base) == TBaseNameCheck::Reserved) {
        Messages().ShowError({QStringLiteral("Имя не уникально")});
        return answer;
    }
    const QString user = cells->Cell(col::user::Name);
    cells->SetCell(col::user::Base, base);
    answer.stored = true;
    RedrawUsers(m_state, false);
    if (IsBlank(old) || IsBlank(user)) {
        SaveUserTable(m_state);
        return answer;
    }

    const bool openBaseInvolved =
        !m_state.baseFolder.isEmpty() && (old == m_state.baseName || base == m_state.baseName);
    // The moved records are read from the files: the open base goes there first.
    if (openBaseInvolved && !TBaseLoader::SaveAndTell(m_state)) {
        // Nothing is moved out of books that could not be saved first.
        SaveUserTable(m_state);
        return answer;
    }
    SaveUserTable(m_state);

    const QString from = BaseFolderOf(m_state.paths.dataRoot, old);
    const QString to = BaseFolderOf(m_state.paths.dataRoot, base);
    if (from.isEmpty() || to.isEmpty() || !TRecordMover::HasRecords(from, user)) return answer;
    if (!Messages().AskYesNo(
            {QStringLiteral("Перенести записи пользователя \"") + user + QStringLiteral("\""),
             QStringLiteral("из базы \"") + old + QStringLiteral("\" в базу \"") + base +
                 QStringLiteral("\"?")},
            TMsgButton::Yes))
        return answer;
    TRecordMover::Move(from, to, user);
    if (openBaseInvolved) {
        TBaseLoader::OpenBase(m_state);
        if (m_hooks.recomputeTotals) m_hooks.recomputeTotals();
        if (m_hooks.forgetHistory) m_hooks.forgetHistory(QStringLiteral("записи перенесены в другую базу"));
        answer.baseReloaded = true;
    }
    return answer;
}

TUsersLogic::TAnswer TUsersLogic::CommitRole(int row, const QString& role) {
    TAnswer answer;
    TTableRow* cells = UserRow(m_state, row);
    if (!cells) return answer;
    const QString old = cells->Cell(col::user::Role);
    if (role == old) {
        answer.stored = true;
        return answer;
    }
    if (!MayEdit(row, 2)) return answer;
    cells->SetCell(col::user::Role, role);
    if (AdminCount(m_state.users) == 0) {
        cells->SetCell(col::user::Role, old);
        Messages().ShowError({QStringLiteral("Должен остаться хотя бы один администратор!")});
        return answer;
    }
    answer.stored = true;
    if (!IsBlank(cells->Cell(col::user::Name)) && cells->Cell(col::user::Name) == m_state.userName) {
        const bool admin = IsAdminRole(role);
        answer.adminChanged = admin != m_state.admin;
        m_state.admin = admin;
    }
    RedrawUsers(m_state, false);
    SaveUserTable(m_state);
    return answer;
}

TUsersLogic::TAnswer TUsersLogic::DeleteUser(int row) {
    TAnswer answer;
    if (!RequireAdmin(m_state) || RefuseChange(m_state)) return answer;
    TTableRow* cells = UserRow(m_state, row);
    if (!cells || (row == m_state.users.RowCount() - 1 && IsBlank(cells->Cell(col::user::Name))))
        return answer; // the grid's new-record row
    const QString name = cells->Cell(col::user::Name);
    if (name == m_state.userName) {
        Messages().ShowError({QStringLiteral("Активного пользователя удалять нельзя")});
        return answer;
    }
    if (IsAdminRole(cells->Cell(col::user::Role)) && AdminCount(m_state.users) <= 1) {
        Messages().ShowError({QStringLiteral("Должен остаться хотя бы один администратор!")});
        return answer;
    }
    if (!Messages().AskYesNo({QStringLiteral("Вы действительно хотите удалить пользователя?")},
                             TMsgButton::Yes))
        return answer;
    m_state.users.DeleteRow(row);
    answer.stored = true;
    RedrawUsers(m_state, true);
    SaveUserTable(m_state);
    return answer;
}
