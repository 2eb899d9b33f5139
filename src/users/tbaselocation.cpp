#include "users/tbaselocation.h"

#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdataprovider.h"
#include "ledger/tmytype.h"
#include "money/tfilters.h"
#include "storage/datafolders.h"
#include "storage/tattributechecks.h"
#include "storage/tbaselock.h"
#include "storage/tinistorage.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsettingsfiles.h"
#include "users/basehold.h"
#include "users/usertables.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kBase = QStringLiteral("BASE");
const QString kRootCaption = QStringLiteral("Папка для хранения баз программы");
const QString kCopyCaption = QStringLiteral("Папка для хранения ежедневных копий баз");

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Every doubled separator collapsed to one, and one at the end.
QString NormalisedFolder(const QString& folder) {
    QString text = folder;
    while (text.contains(QLatin1String("//")))
        text.replace(QLatin1String("//"), QLatin1String("/"));
    return WithTrailingSlash(text);
}

// pathbase.ini can be opened for reading and writing; created empty when missing.
bool PathBaseOpens(const QString& path) {
    if (!EnsureSettingsFile(path)) return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void ShowPathBaseDenied(const QString& path) {
    Messages().ShowError({QStringLiteral("Доступ к файлу ") + path + QStringLiteral(" запрещен."),
                          QStringLiteral("Проверьте параметры безопасности для указанного файла.")});
}

// Every entry under a folder, links not followed.
QStringList EntriesUnder(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

bool SameBytes(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    return fa.readAll() == fb.readAll();
}

// The error for a typed folder, named by its field's caption; empty when the folder may be used.
QStringList FolderPathError(const QString& path, const QString& caption) {
    const QString field = Quoted(caption) + QLatin1Char('.');
    switch (CheckFolderPath(path)) {
    case TFolderPathCheck::Ok:
        return {};
    case TFolderPathCheck::Empty:
        return {QStringLiteral("Укажите полный путь к папке"), field};
    case TFolderPathCheck::NotAbsolute:
        return {QStringLiteral("Укажите полный путь к папке"), field,
                QStringLiteral("Полный путь начинается с символа \"/\".")};
    case TFolderPathCheck::ControlCharacters:
        return {QStringLiteral("Путь к папке содержит управляющие символы"), field,
                QStringLiteral("Удалите табуляцию, перевод строки и другие непечатаемые символы.")};
    case TFolderPathCheck::TooLong:
        return {QStringLiteral("Слишком длинный путь к папке"), field,
                QStringLiteral("Сократите имена папок в пути.")};
    case TFolderPathCheck::NotAFolder:
        return {QStringLiteral("Путь к папке ведет к файлу:"), Quoted(path),
                QStringLiteral("Укажите папку в поле ") + field};
    case TFolderPathCheck::NoAccess:
        return {QStringLiteral("Нет доступа к папке"), Quoted(path),
                QStringLiteral("Проверьте настройки безопасности папки у текущего пользователя.")};
    }
    return {};
}

} // namespace

TFolderPathCheck CheckFolderPath(const QString& path) {
    if (path.trimmed().isEmpty()) return TFolderPathCheck::Empty;
    for (QChar c : path)
        if (c.unicode() < 32 || c.unicode() == 127) return TFolderPathCheck::ControlCharacters;
    if (!path.startsWith(QLatin1Char('/'))) return TFolderPathCheck::NotAbsolute;
    const QByteArray native = QFile::encodeName(path);
    if (native.size() >= PATH_MAX) return TFolderPathCheck::TooLong;
    for (const QByteArray& name : native.split('/'))
        if (name.size() > NAME_MAX) return TFolderPathCheck::TooLong;
    // The folder itself, or the nearest one above it that is there: the program writes in the one and
    // makes the missing folders in the other. A link leading nowhere stops the walk and is no folder.
    QString existing = QDir::cleanPath(path);
    while (!QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink())
        existing = QFileInfo(existing).path();
    if (!QFileInfo(existing).isDir()) return TFolderPathCheck::NotAFolder;
    if (::access(QFile::encodeName(existing).constData(), W_OK | X_OK) != 0)
        return TFolderPathCheck::NoAccess;
    return TFolderPathCheck::Ok;
}

TBaseLocation::TBaseLocation(TMyType& state, TFilters& filters, TBaseLocationHooks hooks)
    : m_state(state), m_filters(filters), m_hooks(std::move(hooks)) {
    // A lock names the program that has its base open where it is, not in the copy.
    m_copier.skip = IsBaseLockName;
}

bool TBaseLocation::UsableFields(const QString& newRoot, const QString& newCopyFolder) const {
    // A field left as it was names the place in use: it is not for this dialog to refuse it now.
    const struct {
        QString text, current, caption;
    } fields[] = {{newRoot, m_state.paths.dataRoot, kRootCaption},
                  {newCopyFolder, m_state.paths.backupCopyFolder, kCopyCaption}};
    for (const auto& f : fields) {
        if (f.text == f.current && !f.text.trimmed().isEmpty()) continue;
        const QStringList error = FolderPathError(f.text, f.caption);
        if (!error.isEmpty()) {
            Messages().ShowError(error);
            return false;
        }
    }
    return true;
}

bool TBaseLocation::Nested(const QString& newRoot, const QString& newCopyFolder) const {
    const QString newBase = JoinPath(newRoot, kBase);
    const QString oldBase = m_state.BaseRoot();
    // As the texts stand, and as folders: "//", "." and links do not hide a folder inside BASE. The
    // BASE folder the bases leave counts too: it is copied whole and may then be deleted.
    const bool copyInBase = WithTrailingSlash(newCopyFolder).contains(WithTrailingSlash(newBase)) ||
                            NormalisedFolder(newCopyFolder).contains(NormalisedFolder(newBase)) ||
                            IsSameOrInside(newCopyFolder, newBase) || IsSameOrInside(newCopyFolder, oldBase);
    if (copyInBase) {
        Messages().ShowError({QStringLiteral("Папка для резервных копий не может быть вложена"),
                              QStringLiteral("в папку баз программы.")});
        return true;
    }
    // A BASE folder inside the other would be copied into itself, or deleted with the other.
    if (ResolvedPath(newBase) != ResolvedPath(oldBase) &&
        (IsSameOrInside(newBase, oldBase) || IsSameOrInside(oldBase, newBase))) {
        Messages().ShowError({QStringLiteral("Новая папка баз программы не может быть вложена"),
                              QStringLiteral("в текущую папку баз программы или содержать её.")});
        return true;
    }
    return false;
}

bool TBaseLocation::WritePathBase(bool withCopyPath) const {
    const QString path = PathBaseIniPath(m_state.paths.programDataFolder);
    TIniStorage ini;
    if (!ini.LoadFromFile(path)) ini.Clear();
    ini.WriteString(QStringLiteral("path base"), QStringLiteral("path"), m_state.paths.dataRoot);
    if (withCopyPath)
        ini.WriteString(QStringLiteral("path base"), QStringLiteral("copypath"),
                        m_state.paths.backupCopyFolder);
    return ini.SaveToFile(path);
}

bool TBaseLocation::SaveAll() {
    if (m_hooks.saveAll) return m_hooks.saveAll();
    const bool saved = TBaseLoader::SaveAndTell(m_state);
    if (!m_state.userName.isEmpty()) SaveLastUser(m_state.BaseRoot(), m_state.userName);
    return saved;
}

void TBaseLocation::FilterToNone() {
    if (m_hooks.filterToNone) m_hooks.filterToNone();
}

// The whole BASE tree, never over a file already there. A file that is there with the same bytes
// (left by an earlier attempt) counts as copied; any other file not copied makes the move fail, and
// what this copy made is taken away again, so that no half set of bases is found there later.
bool TBaseLocation::CopyBases(const QString& from, const QString& to) {
    const bool existed = QFileInfo::exists(to);
    const QStringList before = existed ? EntriesUnder(to) : QStringList();
    m_copier.CopyFolder(from, to, false, false, false);
    bool complete = true;
    for (const TCopyFailureEntry& failure : m_copier.Failures()) {
        if (failure.reason != TCopyFailure::DestinationExists ||
            !SameBytes(failure.source, failure.destination))
            complete = false;
    }
    if (complete) return true;
    if (!existed) {
        QDir(to).removeRecursively();
        return false;
    }
    const QSet<QString> kept(before.begin(), before.end());
    QStringList made = EntriesUnder(to);
    // The deepest first: a folder is empty by the time it is removed.
    std::sort(made.begin(), made.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& path : made) {
        if (kept.contains(path)) continue;
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink())
            QDir().rmdir(path);
        else
            QFile::remove(path);
    }
    return false;
}

bool TBaseLocation::ConfirmChange(const QString& newRoot, const QString& newCopyFolder) {
    const TProgramPaths& paths = m_state.paths;
    QStringList lines;
    if (newRoot != paths.dataRoot)
        lines << QStringLiteral("Ваши базы будут храниться в папке") << Quoted(JoinPath(newRoot, kBase))
              << QStringLiteral("(Папка \"BASE\" добавляется для внутренних целей программы)");
    if (newCopyFolder != paths.backupCopyFolder)
        lines << QStringLiteral("Ежедневные резервные копии баз будут храниться в папке")
              << Quoted(newCopyFolder);
    if (lines.isEmpty()) return false;
    lines << QStringLiteral("Подтверждаете?");
    return Messages().AskYesNo(lines, TMsgButton::Yes);
}

// The new folder already holds bases of the program. Replaced ones are only set aside (`replaced`)
// until the copy is whole; false when the user keeps them and opens them instead of moving his own.
bool TBaseLocation::SetAsideExistingBases(const QString& newRoot, const QString& newBase, QString& replaced) {
    if (Messages().AskYesNo({QStringLiteral("В выбранной папке \"") + newRoot + QLatin1Char('"'),
                             QStringLiteral("уже существуют базы программы."),
                             QStringLiteral("Заменить на текущие базы?")},
                            TMsgButton::No)) {
        replaced = newBase + QStringLiteral(".replaced-") +
                   QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
        if (!QDir().rename(newBase, replaced)) {
            replaced.clear();
            QDir(newBase).removeRecursively();
        }
        return true;
    }
    TProgramPaths& paths = m_state.paths;
    if (Messages().AskYesNo({QStringLiteral("Открыть базы, которые хранятся в папке"),
                             QLatin1Char('"') + newRoot + QStringLiteral("\"?")},
                            TMsgButton::Yes)) {
        const QString oldRoot = paths.dataRoot;
        paths.dataRoot = WithTrailingSlash(newRoot);
        if (!OpenBasesInFolder()) paths.dataRoot = oldRoot;
    }
    FilterToNone();
    return false;
}

bool TBaseLocation::ChangeBaseLocation(const QString& newRoot, const QString& newCopyFolder) {
    if (!UsableFields(newRoot, newCopyFolder) || Nested(newRoot, newCopyFolder)) return false;
    TProgramPaths& paths = m_state.paths;
    const QString iniPath = PathBaseIniPath(paths.programDataFolder);
    if (!PathBaseOpens(iniPath)) {
        ShowPathBaseDenied(iniPath);
        return true;
    }

    const QString newBase = JoinPath(newRoot, kBase);
    if (!ConfirmChange(newRoot, newCopyFolder)) return true;

    // Books that could not be saved are not moved: the failure was told and the dialog stays.
    if (!SaveAll()) return false;
    const QString copyFolder = WithTrailingSlash(newCopyFolder);
    if (NormalisedFolder(paths.backupCopyFolder) != copyFolder) paths.backupCopyFolder = copyFolder;

    const QString oldRoot = paths.dataRoot;
    const QString oldBase = m_state.BaseRoot();
    // Two spellings of one folder are one folder: nothing is copied, and the only copy of the
    // bases is never offered for deletion. A failed copy puts bases set aside back.
    const bool rootChanged = ResolvedPath(newRoot) != ResolvedPath(oldRoot);
    // A base another running program has open would be copied half-written and could be deleted
    // under it, and a read-only program's books are not its own to move: the bases stay where they are.
    if (rootChanged) {
        if (RefuseChange(m_state)) return false;
        for (const QString& name : QDir(oldBase).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (RefuseHeldBase(name, JoinPath(oldBase, name))) return false;
    }
    QString replaced;
    if (rootChanged && QFileInfo::exists(JoinPath(newBase, QStringLiteral("baseuser"))) &&
        !SetAsideExistingBases(newRoot, newBase, replaced))
        return true;
    auto putBack = [&] {
        if (replaced.isEmpty()) return;
        QDir(newBase).removeRecursively();
        QDir().rename(replaced, newBase);
    };

    // The data root moves only once every file is in the new place; until then pathbase.ini and
    // the program keep the old one, whose bases are whole.
    const bool newBaseExisted = QFileInfo::exists(newBase);
    if (rootChanged && !CopyBases(oldBase, newBase)) {
        putBack();
        Messages().ShowError(
            {QStringLiteral("Не удалось скопировать базы программы в папку"), Quoted(newBase)});
        return false;
    }
    paths.dataRoot = rootChanged ? WithTrailingSlash(newRoot) : oldRoot;
    if (!WritePathBase(true)) {
        paths.dataRoot = oldRoot;
        if (rootChanged && !newBaseExisted) QDir(newBase).removeRecursively();
        putBack();
        ShowPathBaseDenied(iniPath);
        return true;
    }
    if (!replaced.isEmpty()) QDir(replaced).removeRecursively();
    if (rootChanged) {
        FilterToNone();
        if (Messages().AskYesNo({QStringLiteral("Базы программы скопированы из папки"), Quoted(oldRoot),
                                 QStringLiteral("в папку \"") + newRoot + QStringLiteral("\"."),
                                 QStringLiteral("Удалить папку \"") + oldRoot + QStringLiteral("/BASE\"?")},
                                TMsgButton::No))
            QDir(oldBase).removeRecursively();
    }
    if (!m_state.baseName.isEmpty()) {
        m_state.baseFolder = JoinPath(m_state.BaseRoot(), m_state.baseName);
        // The lock follows the base into its new folder.
        if (rootChanged) HoldOpenBase(m_state);
    }
    return true;
}

bool TBaseLocation::OpenBasesInFolder() {
    // Checked before the open base is closed: without pathbase.ini the next start would not find
    // the bases the user logs in to now.
    if (!PathBaseOpens(PathBaseIniPath(m_state.paths.programDataFolder))) {
        Messages().ShowError({QStringLiteral("Закрыт доступ к папке с базами пользователя."),
                              QStringLiteral("Проверьте параметры безопасности папки и файлов в ней: "),
                              m_state.paths.programDataFolder});
        return false;
    }
    for (TTableKind kind : LedgerKinds()) {
        m_filters.RemoveFilter(kind, false);
        m_state.Grid(kind).filterChoice = filtertype::None;
    }
    m_state.returns.clear();
    m_state.returnsOnDisk.clear();
    m_state.currentDebt = 0;
    TDataGrid& returns = m_state.Grid(TTableKind::Returns);
    returns.Table = &m_state.ReturnsTable(0);
    returns.ResetRowMap();
    returns.NotifyRows();

    WritePathBase(false);
    ReadBaseListFile(m_state);
    if (m_state.baseList.RowCount() == 0) AddBase(m_state, usertexts::kFirstBase);
    TMemTable users;
    if (ReadUserFile(m_state, users)) SetUsersOfGrid(m_state, users);
    if (m_hooks.showLoginForBases) m_hooks.showLoginForBases();
    if (m_hooks.showFirstSection) m_hooks.showFirstSection();
    return true;
}

QStringList RunDiagnostics(const TAttributeChecks& checks, const QString& dataRoot,
                           const QString& baseFolder) {
    TMemTable findings;
    checks.CollectFindings(dataRoot, baseFolder, findings);
    if (findings.RowCount() == 0) return {QStringLiteral("Неполадок не обнаружено.")};

    TMemTableProvider all(&findings, 2);
    QStringList lines;
    const struct {
        QString kind;
        QString heading;
    } groups[] = {
        {TAttributeChecks::NoWriteKind(),
         QStringLiteral("Файлы и(или) папки программы, которые доступны только для чтения:")},
        {TAttributeChecks::SystemKind(),
         QStringLiteral("Файлы и(или) папки программы, которые являются системными:")},
    };
    for (const auto& group : groups) {
        TDataFilter paths(&all);
        paths.SetCellEquals(0, group.kind);
        paths.Rebuild();
        if (paths.RowCount() == 0) continue;
        lines << group.heading << QString();
        for (int i = 0; i < paths.RowCount(); ++i)
            lines << QStringLiteral("   ") + paths.Cell(i, 1);
        lines << QString();
    }
    lines
        << QStringLiteral("Возможны проблемы с сохранением данных в папку или файл с указанными атрибутами.")
        << QStringLiteral("Рекомендуется сменить атрибуты файлов или папок, которые указаны данном списке.");
    return lines;
}
