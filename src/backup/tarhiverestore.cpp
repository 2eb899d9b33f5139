#include "backup/tarhiverestore.h"
#include "storage/tabledefs.h"

#include "backup/tziparchive.h"
#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmemtable.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsettingsfiles.h"
#include "users/basefolders.h"
#include "users/basehold.h"
#include "users/usertables.h"

#include <QFileInfo>

namespace {

void Info(const QStringList& lines) {
    Messages().ShowInfo(lines);
}

void Cancelled() {
    Info({QStringLiteral("Восстановление было отмено")});
}

void RestoreError() {
    Info({QStringLiteral("Ошибка восстановления")});
}

// A scratch folder of its own for checking the archive: beside it as designed, or, where the archive's
// folder cannot be written (a read-only disc), in the temporary folder.
bool MakeVerifyFolder(const QString& archivePath, TScratchFolder& folder) {
    return folder.Make(arhive::VerifyFolderFor(archivePath)) || folder.MakeInTemp();
}

QString Role(const QStringList& row) {
    return IsAdminRole(row.value(2)) ? cells::kAdmin : cells::kOrdinary;
}

// The user table as its file holds it, with edits of the users grid written first.
void FreshUsers(TMyType& state, TMemTable& users) {
    if (state.users.Modified()) SaveUserTable(state);
    if (!ReadUserFile(state, users)) users.Clear();
}

void StoreUsers(TMyType& state, const TMemTable& users) {
    SetUsersOfGrid(state, users);
    SaveUserTable(state);
}

} // namespace

TArhiveRestore::TArhiveRestore(TMyType& state, TArhiveHooks hooks)
    : m_state(state), m_hooks(std::move(hooks)) {}

TArhiveRestore::TResult TArhiveRestore::Restore(const QString& archivePath, bool afterDamage) {
    if (archivePath.isEmpty() || !QFileInfo(archivePath).isFile()) {
        Info({QStringLiteral("Указанного файла с архивом не существует")});
        return TResult::Missing;
    }
    if (!Messages().AskYesNo({QStringLiteral("Заменить текущую базу архивной?")}, TMsgButton::No))
        return RestoreAsNew(archivePath, afterDamage);
    if (RefuseChange(m_state)) return TResult::Cancelled;
    if (!Messages().AskYesNo({QStringLiteral("Текущая база будет уничтожена и заменена на архивную."),
                              QStringLiteral("Восстановление будет невозможно. Продолжить?")},
                             TMsgButton::No)) {
        Cancelled();
        return TResult::Cancelled;
    }
    return RestoreOver(archivePath);
}

TArhiveRestore::TVerify TArhiveRestore::Verify(const QString& archivePath, TArhiveInfo& info,
                                               TScratchFolder& folder, QStringList& leftOut) {
    folder.Remove();
    leftOut.clear();
    TZipArchive zip;
    if (!zip.Open(archivePath)) {
        RestoreError();
        return TVerify::Damaged;
    }
    // A directory rebuilt from the local headers may lack any number of entries: whatever it gives is
    // not known to be the whole base.
    if (!zip.DirectoryError().isEmpty()) {
        arhive::TellNotOurs();
        return TVerify::NotOurs;
    }
    const std::vector<TZipItem> items = arhive::RestorableItems(zip.Items());
    if (!MakeVerifyFolder(archivePath, folder)) {
        RestoreError();
        return TVerify::Damaged;
    }
    // The room is asked where the files go: the scratch folder, then beside the bases as they are put
    // in place.
    if (!arhive::AcceptListing(items, arhive::FreeBytes({folder.Path(), m_state.paths.dataRoot}))) {
        folder.Remove();
        return TVerify::Refused;
    }
    const std::vector<TZipItem> taken = arhive::TakenItems(items, leftOut);

    if (m_hooks.busy) m_hooks.busy(true);
    // The scratch folder becomes the base only through ReplaceFolder, which flushes it whole.
    bool unpacked = true;
    QString error;
    // Valid CRCs say only that the bytes are the ones packed: a table the loader cannot read would
    // replace a good one and be reported as damaged at the next start.
    QString unreadable;
    QByteArray bytes;
    for (const TZipItem& item : taken) {
        unpacked = zip.Extract(item, folder.Path(), error, TZipArchive::TFlush::ByCaller, &bytes);
        if (!unpacked) break;
        QString rel;
        item.SafeRelativePath(rel);
        if (unreadable.isEmpty() && !arhive::BaseFileReads(rel, bytes)) unreadable = rel;
    }
    if (m_hooks.busy) m_hooks.busy(false);
    if (!unpacked) {
        folder.Remove();
        RestoreError();
        return TVerify::Damaged;
    }
    if (!arhive::ReadInfo(folder.Path(), info)) {
        folder.Remove();
        arhive::TellNotOurs();
        return TVerify::NotOurs;
    }
    if (!unreadable.isEmpty()) {
        folder.Remove();
        arhive::TellUnreadable(unreadable);
        return TVerify::Unreadable;
    }
    return TVerify::Ok;
}

bool TArhiveRestore::PutInPlace(const QString& verified, const QString& target) {
    const QString scratchParent = m_state.paths.dataRoot;
    arhive::RemoveStaleScratch(scratchParent);
    const bool ok = !target.isEmpty() && arhive::ReplaceFolder(verified, target, scratchParent);
    if (!ok) RestoreError();
    return ok;
}

bool TArhiveRestore::AgreeToReplace(const TArhiveInfo& info) {
    TMemTable users;
    FreshUsers(m_state, users);
    const QStringList question = arhive::RestoreOverQuestion(info, m_state.baseName, users, m_state.admin);
    if (question.isEmpty() || Messages().AskYesNo(question, TMsgButton::No)) return true;
    Cancelled();
    return false;
}

TArhiveRestore::TResult TArhiveRestore::RestoreOver(const QString& archivePath) {
    if (RefuseChange(m_state)) return TResult::Cancelled;
    Run(m_hooks.saveAll);
    TArhiveInfo info;
    TScratchFolder verified(m_state.paths.programDataFolder);
    QStringList leftOut;
    if (Verify(archivePath, info, verified, leftOut) != TVerify::Ok) return TResult::Failed;
    if (!AgreeToReplace(info)) return TResult::Cancelled;
    if (!PutInPlace(verified.Path(), m_state.baseFolder)) return TResult::Failed;
    verified.Remove();
    // The users and their roles are the administrator's business: an ordinary user's restore brings
    // back the books only, so an archive cannot make anybody an administrator.
    if (m_state.admin) RestoreOverUsers(info);
    Run(m_hooks.reloadBase);
    Info({QStringLiteral("База заменена")});
    arhive::TellLeftOut(leftOut);
    Run(m_hooks.optimise);
    Run(m_hooks.showFirstPage);
    return TResult::Replaced;
}

void TArhiveRestore::RestoreOverUsers(const TArhiveInfo& info) {
    TMemTable users;
    FreshUsers(m_state, users);
    QString archivedUser = info.ArchivedUser(m_state.userName);
    const QString archivedBase = info.ArchivedBase(m_state.baseName);

    for (int i = users.RowCount() - 1; i >= 0; --i)
        if (users.Row(i)->Cell(col::user::Base) == m_state.baseName) users.DeleteRow(i);

    bool admin = false;
    for (const QStringList& row : info.users)
        if (row.value(0) == archivedUser) {
            admin = IsAdminRole(row.value(2));
            break;
        }

    for (const QStringList& row : info.users) {
        const QString name = row.value(0);
        if (IsBlank(name)) continue;
        QString newName = name;
        const int existing = FindUserNoCase(users, name);
        if (existing >= 0) {
            newName = arhive::FreeUserName(users, name);
            Info({QStringLiteral("Пользователь \"") + name + QStringLiteral("\""),
                  QStringLiteral("уже существует в базе \"") + users.Row(existing)->Cell(col::user::Base) +
                      QStringLiteral("\"."),
                  QStringLiteral("Имя пользователя \"") + name + QStringLiteral("\" в восстановленной"),
                  QStringLiteral("базе заменено на имя \"") + newName + QStringLiteral("\".")});
        }
        if (row.value(1) != archivedBase) continue;
        users.AddRow()->SetCells({newName, m_state.baseName, Role(row), row.value(3)});
        if (newName != name) {
            RenameUserInBaseFiles(m_state.baseFolder, name, newName);
            if (archivedUser == name) archivedUser = newName;
        }
    }
    StoreUsers(m_state, users);
    m_state.userName = archivedUser;
    m_state.admin = admin;
    SaveLastUser(m_state.BaseRoot(), m_state.userName);
    Run(m_hooks.userChanged);
}

TArhiveRestore::TResult TArhiveRestore::RestoreAsNew(const QString& archivePath, bool afterDamage) {
    // A new base with the archive's users under their names and roles: an administrator's command.
    if (!RequireAdmin(m_state)) return TResult::Cancelled;
    const std::optional<QString> typed = m_hooks.askNewBaseName ? m_hooks.askNewBaseName() : std::nullopt;
    if (!typed) return TResult::Cancelled;
    const QString name = TrimmedName(*typed);
    const TBaseNameCheck check = CheckBaseName(name);
    if (check == TBaseNameCheck::Blank) {
        Info({QStringLiteral("Имя базы не может быть пустым."), QStringLiteral("Архив не восстановлен")});
        return TResult::Cancelled;
    }
    if (!AcceptTypedBaseName(*typed)) return TResult::Cancelled;
    if (check == TBaseNameCheck::Reserved) {
        Messages().ShowError({QStringLiteral("Имя не уникально")});
        return TResult::Cancelled;
    }
    const QString target = BaseFolderOf(m_state.paths.dataRoot, name);
    if (target.isEmpty()) {
        RestoreError();
        return TResult::Failed;
    }
    Run(m_hooks.saveAll);
    const bool existed = QFileInfo::exists(target);
    if (existed && RefuseHeldBase(name, target)) return TResult::Cancelled;
    if (existed && !Messages().AskYesNo(
                       {QStringLiteral("База с таким именем уже существует"), QStringLiteral("Заменить?")},
                       TMsgButton::No)) {
        Cancelled();
        return TResult::Cancelled;
    }

    TArhiveInfo info;
    TScratchFolder verified(m_state.paths.programDataFolder);
    QStringList leftOut;
    if (Verify(archivePath, info, verified, leftOut) != TVerify::Ok) return TResult::Failed;
    if (!PutInPlace(verified.Path(), target)) return TResult::Failed;
    verified.Remove();
    // Named in the list only once its folder holds the restored base: a failed restore leaves no name
    // without a folder behind.
    if (!existed && !HasBase(m_state, name)) {
        AddBase(m_state, name);
        SaveBaseList(m_state);
    }
    const QString last = RestoreNewUsers(info, name, target);
    // The open base itself was restored under its own name: what is in memory is not what is on disk.
    if (SameFolder(target, m_state.baseFolder)) Run(m_hooks.reloadBase);

    Run(m_hooks.showFirstPage);
    if (!afterDamage && m_hooks.switchLogin) m_hooks.switchLogin(last);
    Info({QStringLiteral("База восстановлена")});
    arhive::TellLeftOut(leftOut);
    return TResult::RestoredAsNew;
}

QString TArhiveRestore::RestoreNewUsers(const TArhiveInfo& info, const QString& newBase,
                                        const QString& folder) {
    TMemTable users;
    FreshUsers(m_state, users);
    const QString archivedBase = info.ArchivedBase(m_state.baseName);
    QString last;
    for (const QStringList& row : info.users) {
        const QString name = row.value(0);
        if (IsBlank(name) || row.value(1) != archivedBase) continue;
        const QString newName = FindUserNoCase(users, name) >= 0 ? arhive::FreeUserName(users, name) : name;
        if (newName != name) RenameUserInBaseFiles(folder, name, newName);
        users.AddRow()->SetCells({newName, newBase, Role(row), row.value(3)});
        last = newName;
    }
    StoreUsers(m_state, users);
    return last;
}

bool TArhiveRestore::OfferAfterDamage(const QString& chosenArchive) {
    if (chosenArchive.isEmpty()) {
        // Declined: what could be read stays as it is, to be saved as it is.
    } else if (!QFileInfo(chosenArchive).isFile()) {
        Info({QStringLiteral("Указанного файла с архивом не существует")});
    } else {
        Restore(chosenArchive, true);
        // Reads the user's base again, which sets the mark anew if it is still damaged.
        LogInAgain();
    }
    const bool whole = !m_state.damaged;
    m_state.damaged = false;
    return whole;
}

void TArhiveRestore::LogInAgain() {
    // Reading the base again would drop what could not be saved.
    if (m_hooks.saveAll && !m_hooks.saveAll()) return;
    TMemTable users;
    FreshUsers(m_state, users);
    const int row = FindUserExact(users, m_state.userName);
    if (row < 0) return;
    const QString base = users.Row(row)->Cell(col::user::Base);
    if (IsBlank(base)) {
        if (Messages().AskYesNo({QStringLiteral("У данного пользователя не указана база."),
                                 QStringLiteral("Желаете создать нового пользователя в новой базе?")},
                                TMsgButton::No))
            Run(m_hooks.firstRun);
        return;
    }
    const QString folder = MakeBaseFolder(m_state.paths.dataRoot, base);
    if (folder.isEmpty()) return;
    // "Отмена" for a base another program has open: the base open now stays.
    if (AskToOpenBase(m_state, base, folder) == TBaseOpening::Cancelled) return;
    m_state.baseName = base;
    m_state.baseFolder = folder;
    m_state.admin = IsAdminRole(users.Row(row)->Cell(col::user::Role));
    HoldOpenBase(m_state);
    Run(m_hooks.reloadBase);
    SaveLastUser(m_state.BaseRoot(), m_state.userName);
    Run(m_hooks.userChanged);
}
