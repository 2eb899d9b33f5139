#include "users/tbasessession.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"
#include "users/basefolders.h"
#include "users/basehold.h"
#include "users/usertables.h"

TBasesSession::TBasesSession(TMyType& state) : m_state(state) {}

bool TBasesSession::Open() {
    if (!RequireAdmin(m_state) || RefuseChange(m_state)) return false;
    m_names = BaseNames(m_state);
    m_names.append(QString());
    m_renames.clear();
    m_deleted.clear();
    m_currentBase = m_state.baseName;
    m_changed = false;
    return true;
}

int TBasesSession::AddRow() const {
    for (int i = 0; i < m_names.size(); ++i)
        if (IsBlank(m_names[i])) return i;
    return int(m_names.size()) - 1;
}

bool TBasesSession::CommitName(int row, const QString& typed) {
    if (row < 0 || row >= m_names.size()) return false;
    const QString old = m_names[row];
    const bool lastRow = row == m_names.size() - 1;
    if (IsBlank(typed)) {
        if (lastRow) return true;
        Messages().ShowError({QStringLiteral("Имя базы не может быть пустым")});
        return false;
    }
    // Refused as typed: a control character is no blank to be trimmed away from a folder's name.
    if (!AcceptTypedBaseName(typed)) return false;
    const QString name = TrimmedName(typed);
    bool taken = CheckBaseName(name) == TBaseNameCheck::Reserved;
    for (int i = 0; i < m_names.size() && !taken; ++i)
        taken = i != row && SameNameIgnoringCase(m_names[i], name);
    // A base deleted in this session still has its folder until the changes are applied.
    for (int i = 0; i < m_deleted.size() && !taken; ++i)
        taken = SameNameIgnoringCase(m_deleted[i], name);
    if (taken) {
        Messages().ShowError({QStringLiteral("Имя не уникально")});
        return false;
    }
    if (name == old) return true;
    // The folder of a base another program has open is not renamed under it.
    if (!IsBlank(old) && RefuseHeldBase(old, BaseFolderOf(m_state.paths.dataRoot, old))) return false;
    m_names[row] = name;
    if (lastRow) m_names.append(QString());
    m_renames.append({old, name});
    if (!IsBlank(old) && old == m_currentBase) m_currentBase = name;
    m_changed = true;
    return true;
}

bool TBasesSession::Delete(int row) {
    if (row < 0 || row >= m_names.size() || (row == m_names.size() - 1 && IsBlank(m_names[row])))
        return false;
    const QString name = m_names[row];
    if (!IsBlank(name) && SameNameIgnoringCase(name, m_currentBase)) {
        Messages().ShowError({QStringLiteral("Базу активного пользователя удалять нельзя")});
        return false;
    }
    if (!IsBlank(name) && RefuseHeldBase(name, BaseFolderOf(m_state.paths.dataRoot, name))) return false;
    if (!Messages().AskYesNo({QStringLiteral("Внимание! Восстановление базы будет невозможно!"),
                              QStringLiteral("Продолжить удаление?")},
                             TMsgButton::No))
        return false;
    m_names.removeAt(row);
    if (!IsBlank(name)) m_deleted.append(name);
    m_changed = true;
    return true;
}

void TBasesSession::Accept() {
    Apply();
}

void TBasesSession::Cancel() {
    Drop();
}

void TBasesSession::CloseByFrame() {
    if (!m_changed) return;
    if (Messages().AskYesNo({QStringLiteral("Сохранить изменения?")}, TMsgButton::Yes))
        Apply();
    else
        Drop();
}

void TBasesSession::Drop() {
    ReadBaseListFile(m_state);
    Open();
}

void TBasesSession::Apply() {
    // The rights are the logged-in user's at the moment of applying, whatever the dialog showed.
    if (!m_state.admin) return;
    const QString& dataRoot = m_state.paths.dataRoot;
    TMemTable& users = m_state.users;
    bool usersChanged = false;
    for (const auto& [from, to] : m_renames) {
        if (from == to) continue;
        if (!IsBlank(from)) {
            for (int i = 0; i < users.RowCount(); ++i)
                if (users.Row(i)->Cell(col::user::Base) == from) {
                    users.Row(i)->SetCell(col::user::Base, to);
                    usersChanged = true;
                }
        }
        if (!IsBlank(from) && from == m_state.baseName) m_state.baseName = to;
        if (IsBlank(from)) continue;
        const QString oldFolder = BaseFolderOf(dataRoot, from);
        if (RenameBaseFolder(dataRoot, from, to) && SameFolder(oldFolder, m_state.baseFolder)) {
            m_state.baseFolder = BaseFolderOf(dataRoot, to);
            m_state.baseLock.Moved(m_state.baseFolder);
        }
    }
    if (usersChanged) RedrawUsers(m_state, false);

    m_state.baseList.Clear();
    for (const QString& name : m_names)
        if (!IsBlank(name)) AddBase(m_state, name);
    SaveBaseList(m_state);

    bool usersRemoved = false;
    for (const QString& name : m_deleted) {
        // The open base's folder is never deleted, whatever name it came to have.
        if (!SameFolder(BaseFolderOf(dataRoot, name), m_state.baseFolder)) DeleteBaseFolder(dataRoot, name);
        for (int i = users.RowCount() - 1; i >= 0; --i) {
            const TTableRow& row = *users.Row(i);
            if (row.Cell(col::user::Base) == name && row.Cell(col::user::Name) != m_state.userName) {
                users.DeleteRow(i);
                usersRemoved = true;
            }
        }
    }
    if (usersRemoved) RedrawUsers(m_state, true);
    if (usersChanged || usersRemoved) SaveUserTable(m_state);
    Open();
}
