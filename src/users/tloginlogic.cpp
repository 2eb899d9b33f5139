#include "users/tloginlogic.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsavetransaction.h"
#include "storage/tsettingsfiles.h"
#include "users/basefolders.h"
#include "users/basehold.h"
#include "users/passwordcode.h"
#include "users/tfirstrunlogic.h"
#include "users/usertables.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QStringList& NoBaseQuestion() {
    static const QStringList lines = {QStringLiteral("У данного пользователя не указана база."),
                                      QStringLiteral("Желаете создать нового пользователя в новой базе?")};
    return lines;
}

QString MarkerPath(const TMyType& state) {
    return JoinPath(state.paths.programDataFolder, QStringLiteral("path"));
}

void RunHook(const std::function<void()>& hook) {
    if (hook) hook();
}

} // namespace

TLoginLogic::TLoginLogic(TMyType& state, TFirstRunLogic& firstRun, TUserHooks hooks)
    : m_state(state), m_firstRun(firstRun), m_hooks(std::move(hooks)) {}

void TLoginLogic::WriteMarker() {
    TMemTable marker;
    marker.AddRow()->SetCells({QStringLiteral("1")});
    marker.SaveToFile(MarkerPath(m_state));
}

// Returns whether the program starts for the first time: the marker has just been made, or still
// marks bases of an earlier version.
bool TLoginLogic::ReadMarker() {
    const QString path = MarkerPath(m_state);
    if (!QFileInfo::exists(path)) {
        MakePrivateFolder(m_state.paths.programDataFolder);
        WriteMarker();
        return true;
    }
    TMemTable marker;
    if (!marker.LoadFromFile(path) || marker.RowCount() == 0 ||
        marker.Row(0)->Cell(col::baselist::Name) != QLatin1String("0"))
        return false;
    // The earlier version kept its bases in the program data folder, whatever the data root is now.
    const QString earlierBases = JoinPath(m_state.paths.programDataFolder, QStringLiteral("BASE"));
    if (!QFileInfo::exists(JoinPath(earlierBases, QStringLiteral("baseuser")))) return true;
    if (Messages().AskYesNo({QStringLiteral("Обнаружены базы предыдущей версии Vellumora."),
                             QStringLiteral("Продолжить работу с этими базами?")},
                            TMsgButton::Yes)) {
        m_optimiseEarlierBases = true;
        return true;
    }
    if (Messages().AskYesNo({QStringLiteral("Удалить базы программы \"Vellumora\"?")}, TMsgButton::No)) {
        // The folder found is the one deleted: when the data root is elsewhere, its BASE holds the
        // family's current bases and stays. A link is not followed into whatever it points at.
        if (QFileInfo(earlierBases).isSymLink() || !QDir(earlierBases).removeRecursively())
            Messages().ShowError({QStringLiteral("Не удалось удалить базы программы."),
                                  QStringLiteral("Очистите базы через главное меню программы.")});
        WriteMarker();
    }
    return true;
}

void TLoginLogic::PrepareAtCreation() {
    TProgramPaths& paths = m_state.paths;
    paths.dataRoot = ResolveDataRoot(paths.programDataFolder);
    paths.backupCopyFolder = ResolveBackupCopyFolder(paths.programDataFolder);
    // A save that a crash or a power cut interrupted is completed (or dropped) in every base before
    // the users are read: the user table may be one of its files.
    RecoverInterruptedSaves(m_state.BaseRoot());
    PrepareTemplateFolders(paths.programFolder, paths.programDataFolder);
    const bool firstStart = ReadMarker();
    RunHook(m_hooks.checkDataRootFolders);
    ReadBaseListWithDefault(m_state, firstStart);
}

void TLoginLogic::AfterMainWindowFirstShown() {
    if (!m_optimiseEarlierBases) return;
    m_optimiseEarlierBases = false;
    RunHook(m_hooks.normaliseAllDates);
    // Optimised, the bases are this version's: the question does not come back at the next start.
    WriteMarker();
}

TLoginLogic::TNameList TLoginLogic::ShowLogin() {
    m_mode = TMode::Login;
    m_refusals = 0;
    TMemTable users;
    bool damaged = false;
    TUnreachableFiles unreachable;
    const QString path = UserTablePath(m_state);
    const bool found = TableFileState(path) == TTableFileState::File;
    const bool read = ReadUserFile(m_state, users, &damaged, &unreachable);
    if (!unreachable.empty()) {
        // Nothing was read from it and nothing is written over it; the log-in tells it again.
        TellUnreachable(unreachable);
        SetUsersOfGrid(m_state, users);
    } else if (!read || damaged) {
        Messages().Beep();
        Messages().ShowInfo({QStringLiteral("База пользователей повреждена!"),
                             QStringLiteral("Внесите исправления после открытия программы.")});
        // The table is written again (with the users read before the damage) only once what could
        // not be read is kept beside it.
        const QFileInfo file(path);
        const bool keep = !file.isFile() || file.size() == 0 || !KeepDamagedCopy(path).isEmpty();
        if (!read) users.Clear();
        SetUsersOfGrid(m_state, users);
        if (keep) SaveUserTable(m_state);
    } else if (users.RowCount() == 0 && AnyBaseFolder(m_state.paths.dataRoot)) {
        OfferLostUsers(users, found);
    } else {
        SetUsersOfGrid(m_state, users);
    }
    TNameList list;
    for (int i = 0; i < users.RowCount(); ++i) {
        const QString name = users.Row(i)->Cell(col::user::Name);
        if (!IsBlank(name)) list.names.append(name);
    }
    if (list.names.isEmpty()) {
        list.names.append(usertexts::kNewUserPrompt);
        list.typing = true;
        return list;
    }
    list.selected = std::max(0, int(list.names.indexOf(ReadLastUser(m_state.BaseRoot()))));
    return list;
}

// Bases without a single user: the first log-in would make whoever types a name their administrator,
// which only a program starting for the first time may do. It is told as damage, the empty file kept
// aside, and the users kept in the newest daily copy of each base are offered back.
void TLoginLogic::OfferLostUsers(TMemTable& users, bool fileFound) {
    Messages().Beep();
    if (fileFound) KeepDamagedCopy(UserTablePath(m_state));
    const TCopiedUsers copied =
        m_hooks.usersFromDailyCopies ? m_hooks.usersFromDailyCopies() : TCopiedUsers{};
    QStringList lines = {QStringLiteral("База пользователей повреждена!"),
                         QStringLiteral("Файл пользователей пуст, хотя базы программы уже созданы.")};
    if (copied.rows.empty()) {
        lines << QStringLiteral("В ежедневных резервных копиях пользователей не найдено.")
              << QStringLiteral("Войти можно под любым именем: новый пользователь станет администратором "
                                "базы \"") +
                     usertexts::kFirstBase + QStringLiteral("\".");
        Messages().ShowInfo(lines);
        SetUsersOfGrid(m_state, users);
        return;
    }
    lines << QStringLiteral("Пользователи найдены в ежедневных резервных копиях:");
    for (const TCopiedUsers::TCopy& c : copied.copies)
        lines << QStringLiteral("база \"") + c.base + QStringLiteral("\" — копия от ") +
                     c.day.toString(QStringLiteral("dd.MM.yyyy"));
    lines << QStringLiteral("Восстановить пользователей из этих копий?");
    if (Messages().AskYesNo(lines, TMsgButton::Yes)) {
        users.Clear();
        for (const QStringList& row : copied.rows)
            users.AddRow()->SetCells(row);
        NormaliseUserRows(users);
        SetUsersOfGrid(m_state, users);
        // The users are theirs again whatever happens next; only the file's own trouble stops it.
        if (!SaveUserTable(m_state)) ShowNoAccess(UserTablePath(m_state));
        return;
    }
    SetUsersOfGrid(m_state, users);
}

TLoginLogic::TOutcome TLoginLogic::AcceptLogin(const QString& typedName, const QString& password) {
    // Only a first user's name is typed (the list offers the others as they are stored).
    const QString name = typedName == usertexts::kNewUserPrompt || IsBlank(typedName)
                             ? usertexts::kNewUserName
                             : TrimmedName(typedName);
    TMemTable users;
    if (!ReadUserFile(m_state, users)) {
        ShowNoAccess(UserTablePath(m_state));
        return TOutcome::Stay;
    }
    QString base;
    bool admin = false;
    if (users.RowCount() > 0) {
        const int row = FindUserExact(users, name);
        const TPasswordCheck check =
            row < 0 ? TPasswordCheck::Refused
                    : CheckPassword(password, users.Row(row)->Cell(col::user::PasswordCode));
        SetUsersOfGrid(m_state, users);
        if (!IsAccepted(check)) return Refuse(TMode::Login);
        if (check == TPasswordCheck::AcceptedRewrite) {
            m_state.users.Row(row)->SetCell(col::user::PasswordCode, PasswordCode(password));
            SaveUserTable(m_state);
        }
        admin = IsAdminRole(users.Row(row)->Cell(col::user::Role));
        base = users.Row(row)->Cell(col::user::Base);
    } else {
        users.AddRow()->SetCells(
            {name, usertexts::kFirstBase, usertexts::kAdminCode, PasswordCode(password)});
        SetUsersOfGrid(m_state, users);
        if (!SaveUserTable(m_state)) {
            ShowNoAccess(UserTablePath(m_state));
            return TOutcome::Stay;
        }
        base = usertexts::kFirstBase;
        admin = true;
        if (!HasBase(m_state, usertexts::kFirstBase)) {
            AddBase(m_state, usertexts::kFirstBase);
            SaveBaseList(m_state);
        }
    }
    if (IsBlank(base)) {
        if (Messages().AskYesNo(NoBaseQuestion(), TMsgButton::No)) return OpenFirstRun(TMode::Login);
        return TOutcome::EndProgram;
    }
    const QString folder = MakeBaseFolder(m_state.paths.dataRoot, base);
    if (folder.isEmpty()) return TOutcome::Stay;
    // "Отмена" for a base another program has open: the dialog stays for another user, or for leaving.
    if (AskToOpenBase(m_state, base, folder) == TBaseOpening::Cancelled) return TOutcome::Stay;
    m_state.userName = name;
    m_state.baseName = base;
    m_state.baseFolder = folder;
    m_state.admin = admin;
    HoldOpenBase(m_state);
    SaveLastUser(m_state.BaseRoot(), name);
    // The warning's marker lies in the base folder: a base another program has is that program's to warn.
    if (MayChangeBase(m_state)) RunHook(m_hooks.checkBaseFiles);
    return TOutcome::LoggedIn;
}

TLoginLogic::TOutcome TLoginLogic::Refuse(TMode mode) {
    ++m_refusals;
    if (mode == TMode::Switch) {
        Messages().ShowError({QStringLiteral("Неправильный пароль")});
        return m_refusals < 3 ? TOutcome::WrongPassword : TOutcome::Hide;
    }
    if (m_refusals < 3) {
        Messages().ShowError({QStringLiteral("Неправильный пароль")});
        return TOutcome::WrongPassword;
    }
    if (Messages().AskYesNo({QStringLiteral("Неправильный пароль."),
                             QStringLiteral("Желаете создать нового пользователя в новой базе?")},
                            TMsgButton::No))
        return OpenFirstRun(TMode::Login);
    return TOutcome::Stay;
}

TLoginLogic::TOutcome TLoginLogic::OpenFirstRun(TMode mode) {
    m_firstRunFrom = mode;
    m_firstRun.SetOpenBaseToSave(mode == TMode::Switch);
    return TOutcome::OpenFirstRun;
}

TLoginLogic::TOutcome TLoginLogic::FirstRunFinished() {
    const bool created = m_firstRun.Created();
    if (m_firstRunFrom == TMode::Login) return created ? TOutcome::LoggedIn : TOutcome::EndProgram;
    if (!created) return TOutcome::Hide;
    TBaseLoader::OpenBase(m_state);
    RunHook(m_hooks.recomputeTotals);
    return TOutcome::Switched;
}

TLoginLogic::TNameList TLoginLogic::ShowSwitch() {
    m_mode = TMode::Switch;
    m_refusals = 0;
    TNameList list;
    const TMemTable& users = m_state.users;
    for (int i = 0; i < users.RowCount(); ++i) {
        const TTableRow& row = *users.Row(i);
        if (!IsBlank(row.Cell(col::user::Name)) && !IsBlank(row.Cell(col::user::Base)) &&
            !IsBlank(row.Cell(col::user::Role)))
            list.names.append(row.Cell(col::user::Name));
    }
    list.selected = std::max(0, int(list.names.indexOf(m_state.userName)));
    return list;
}

TLoginLogic::TOutcome TLoginLogic::AcceptSwitch(const QString& name, const QString& password) {
    TOutcome outcome = TOutcome::Stay;
    // Edits of the users grid reach the file before it is read again, or they would be lost.
    if (m_state.users.Modified()) SaveUserTable(m_state);
    TMemTable users;
    if (!ReadUserFile(m_state, users)) {
        ShowNoAccess(UserTablePath(m_state));
    } else {
        SetUsersOfGrid(m_state, users);
        const int row = FindUserExact(users, name);
        const TPasswordCheck check =
            row < 0 ? TPasswordCheck::Refused
                    : CheckPassword(password, users.Row(row)->Cell(col::user::PasswordCode));
        if (!IsAccepted(check)) {
            outcome = Refuse(TMode::Switch);
        } else {
            if (check == TPasswordCheck::AcceptedRewrite) {
                m_state.users.Row(row)->SetCell(col::user::PasswordCode, PasswordCode(password));
                SaveUserTable(m_state);
            }
            const QString base = users.Row(row)->Cell(col::user::Base);
            if (!IsBlank(base))
                outcome = SwitchTo(name, base, IsAdminRole(users.Row(row)->Cell(col::user::Role)));
            else if (Messages().AskYesNo(NoBaseQuestion(), TMsgButton::No))
                outcome = OpenFirstRun(TMode::Switch);
            else
                outcome = TOutcome::Hide;
        }
    }
    RunHook(m_hooks.normaliseAllDates);
    return outcome;
}

TLoginLogic::TOutcome TLoginLogic::SwitchTo(const QString& name, const QString& base, bool admin) {
    const QString folder = MakeBaseFolder(m_state.paths.dataRoot, base);
    if (folder.isEmpty()) return TOutcome::Stay;
    // "Отмена" for a base another program has open: the open base stays as it was.
    if (AskToOpenBase(m_state, base, folder) == TBaseOpening::Cancelled) return TOutcome::Stay;
    // The open base is written to its own folder before another base becomes current; books that
    // could not be written stay open (the failure was told) rather than be lost with the switch.
    if (!TBaseLoader::SaveAndTell(m_state)) return TOutcome::Stay;
    m_state.userName = name;
    m_state.baseName = base;
    m_state.baseFolder = folder;
    m_state.admin = admin;
    HoldOpenBase(m_state);
    TBaseLoader::OpenBase(m_state);
    RunHook(m_hooks.recomputeTotals);
    SaveLastUser(m_state.BaseRoot(), name);
    return TOutcome::Switched;
}
