#include "backup/tarhivetype.h"
#include "storage/tabledefs.h"

#include "backup/tfilezipper.h"
#include "backup/tziparchive.h"
#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tbaselock.h"
#include "storage/textrules.h"
#include "storage/tinistorage.h"
#include "storage/tmemtable.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsavetransaction.h"
#include "users/usertables.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

const QString kScratchPrefix = QStringLiteral(".vellumora-restore-");
const QString kDebtFolder = QStringLiteral("Debt");

// Files and folders under a folder as relative paths, links neither followed nor listed.
void ListTree(const QString& folder, QStringList& files, QStringList& folders) {
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) continue;
        const QString rel = root.relativeFilePath(info.absoluteFilePath());
        if (info.isDir())
            folders << rel;
        else if (info.isFile())
            files << rel;
    }
}

// The file's last path component.
QString FileNameOf(const QString& rel) {
    return rel.section(QLatin1Char('/'), -1);
}

// What the program makes of a file of the base when it opens the base.
enum class TOwnKind { None, Table, Settings };

// The tables at the top of a base folder: the five ledgers, the transfers, the purses, the two kinds
// lists, and the copy of the table last exported.
const QSet<QString>& TopTables() {
    static const QSet<QString> names = [] {
        QSet<QString> set;
        for (TTableKind kind : LedgerKinds())
            set.insert(TableDef(kind).fileName);
        set.insert(TableDef(TTableKind::Transfer).fileName);
        set.insert(TableDef(TTableKind::Purse).fileName);
        set.insert(KindsFileName(TKindsList::Rashod));
        set.insert(KindsFileName(TKindsList::Dohod));
        set.insert(QStringLiteral("path_excel"));
        return set;
    }();
    return names;
}

// The window and page settings, and the marker of the attribute warning.
const QSet<QString>& SettingsFiles() {
    static const QSet<QString> names = {QStringLiteral("Tarnwell.ini"), QStringLiteral("attr_quest.ini")};
    return names;
}

// "Debt/debt<N>" with N as the loader writes the number: no sign, no leading zero.
bool IsReturnsFile(const QString& rel) {
    const QString prefix = kDebtFolder + QStringLiteral("/debt");
    if (!rel.startsWith(prefix)) return false;
    const QStringView digits = QStringView(rel).mid(prefix.size());
    if (digits.isEmpty() || digits.size() > 9 || (digits.size() > 1 && digits.front() == QLatin1Char('0')))
        return false;
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

TOwnKind OwnKind(const QString& rel) {
    if (rel.compare(arhivetexts::kInfoName, Qt::CaseInsensitive) == 0) return TOwnKind::Table;
    if (TopTables().contains(rel) || IsReturnsFile(rel)) return TOwnKind::Table;
    if (SettingsFiles().contains(rel)) return TOwnKind::Settings;
    return TOwnKind::None;
}

// The returns files the archive replaces; the copies kept of damaged ones, and the returns no debt
// named, stay for recovery by hand.
bool UnderDebt(const QString& rel) {
    return rel.startsWith(kDebtFolder + QLatin1Char('/')) && !IsKeptAsideName(FileNameOf(rel));
}

// A copy into the folder being put together, which is flushed whole before it is used: the file is new
// there, and keeps its permission bits and times.
bool CopyUnflushed(const QString& from, const QString& to) {
    const QByteArray target = QFile::encodeName(to);
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (in >= 0) ::close(in);
        return false;
    }
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool ok = out >= 0;
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = ::write(out, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            done += ok ? w : 0;
        }
    }
    ::close(in);
    if (out >= 0) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ok = ok && ::fchmod(out, st.st_mode & 0777) == 0 && ::futimens(out, times) == 0;
        ok = ::close(out) == 0 && ok;
        if (!ok) ::unlink(target.constData());
    }
    return ok;
}

bool MoveOrCopy(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    return CopyUnflushed(from, to);
}

// One flush of the file system a folder is on: every file written there reaches the disk at once,
// where a flush of each would cost a wait on the disk per file.
bool FlushFileSystemOf(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

// Two folders change places in one step where the file system can; otherwise the target is moved aside
// first and put back when the new one cannot take its place.
bool SwapFolders(const QString& fresh, const QString& target, bool targetExists) {
    const QByteArray a = QFile::encodeName(fresh);
    const QByteArray b = QFile::encodeName(target);
    if (!targetExists) return ::rename(a.constData(), b.constData()) == 0;
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    const QByteArray aside = QFile::encodeName(fresh + QStringLiteral(".old"));
    if (::rename(b.constData(), aside.constData()) != 0) return false;
    if (::rename(a.constData(), b.constData()) != 0) {
        ::rename(aside.constData(), b.constData());
        return false;
    }
    return ::rename(aside.constData(), a.constData()) == 0;
}

} // namespace

namespace arhive {

QString DayFileName(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".zip");
}

bool WriteInfo(const TMyType& state) {
    TMemTable users;
    const QString userFile = UserTablePath(state);
    if (QFileInfo(userFile).isFile() && !users.LoadFromFile(userFile)) users.Clear();
    TMemTable info;
    for (int i = 0; i < users.RowCount(); ++i) {
        const TTableRow* row = users.Row(i);
        if (row->Cell(col::user::Base) != state.baseName) continue;
        info.AddRow()->SetCells({row->Cell(col::user::Name), row->Cell(col::user::Base),
                                 row->Cell(col::user::Role), row->Cell(col::user::PasswordCode)});
    }
    info.AddRow()->SetCells({arhivetexts::kSaveMark, state.userName, state.baseName, QString()});
    return info.SaveToFile(JoinPath(state.baseFolder, arhivetexts::kInfoName));
}

bool ReadInfo(const QString& folder, TArhiveInfo& info) {
    info = TArhiveInfo();
    QString path;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (name.compare(arhivetexts::kInfoName, Qt::CaseInsensitive) == 0) {
            path = JoinPath(folder, name);
            break;
        }
    TMemTable table;
    if (path.isEmpty() || !table.LoadFromFile(path)) return false;
    info = InfoOf(table);
    return true;
}

TArhiveInfo InfoOf(const TMemTable& table) {
    TArhiveInfo info;
    int users = table.RowCount();
    if (users > 0) {
        const TTableRow* last = table.Row(users - 1);
        info.saveRow = last->Cell(col::arhiveinfo::Mark) == arhivetexts::kSaveMark;
        if (info.saveRow) {
            info.user = last->Cell(col::arhiveinfo::User);
            info.base = last->Cell(col::arhiveinfo::Base);
        }
        // An earlier version's last row is not a user either.
        --users;
    }
    for (int i = 0; i < users; ++i) {
        const TTableRow* row = table.Row(i);
        info.users.push_back({row->Cell(col::user::Name), row->Cell(col::user::Base),
                              row->Cell(col::user::Role), row->Cell(col::user::PasswordCode)});
    }
    return info;
}

TBaseFileRole BaseFileRole(const QString& relativePath) {
    const QString name = FileNameOf(relativePath);
    if (IsSaveScratchName(name) || IsBaseLockName(name)) return TBaseFileRole::Scratch;
    return OwnKind(relativePath) == TOwnKind::None ? TBaseFileRole::Foreign : TBaseFileRole::Own;
}

bool BaseFileReads(const QString& relativePath, const QByteArray& bytes) {
    switch (OwnKind(relativePath)) {
    case TOwnKind::Table:
        return TMemTable().LoadFromBytes(bytes);
    case TOwnKind::Settings:
        return TIniStorage().LoadFromBytes(bytes);
    case TOwnKind::None:
        break;
    }
    return true;
}

bool ReadsBackWhole(const QString& archivePath) {
    TZipArchive zip;
    if (!zip.Open(archivePath) || !zip.DirectoryError().isEmpty()) return false;
    for (const TZipItem& item : zip.Items()) {
        QString rel;
        if (!item.SafeRelativePath(rel)) return false;
        if (item.IsFolder) continue;
        const bool own = BaseFileRole(rel) == TBaseFileRole::Own;
        QByteArray bytes;
        if (own) bytes.reserve(qsizetype(std::min<quint32>(item.UncompressedSize, 64u << 20)));
        QString error;
        const bool decoded = zip.Decode(
            item,
            [&](const char* data, size_t size) {
                if (own) bytes.append(data, qsizetype(size));
                return true;
            },
            error);
        if (!decoded || (own && !BaseFileReads(rel, bytes))) return false;
    }
    return true;
}

bool PackBase(const TMyType& state, const QString& archivePath, QString& error) {
    if (state.baseFolder.isEmpty() || !QFileInfo(state.baseFolder).isDir()) {
        error = QStringLiteral("no base folder");
        return false;
    }
    WriteInfo(state);
    TFileZipper zipper;
    if (!zipper.Pack(archivePath, state.baseFolder,
                     [](const TZipFile& f) { return BaseFileRole(f.name) != TBaseFileRole::Own; })) {
        error = zipper.Error();
        return false;
    }
    return true;
}

bool MakeArchive(const TMyType& state, const QString& archivePath) {
    // Packing writes the information table into the base folder.
    if (RefuseChange(state)) return false;
    if (QFileInfo::exists(archivePath) &&
        !Messages().AskYesNo(
            {QStringLiteral("Архив с таким именем уже существует"), QStringLiteral("Заменить?")},
            TMsgButton::No))
        return false;
    QString error;
    if (PackBase(state, archivePath, error)) return true;
    Messages().ShowError({QStringLiteral("Не удалось создать резервную копию в файле"), archivePath});
    return false;
}

std::vector<TZipItem> RestorableItems(const std::vector<TZipItem>& items) {
    std::vector<TZipItem> kept;
    kept.reserve(items.size());
    for (const TZipItem& item : items)
        if (BaseFileRole(item.Name) != TBaseFileRole::Scratch) kept.push_back(item);
    return kept;
}

std::vector<TZipItem> TakenItems(const std::vector<TZipItem>& items, QStringList& leftOut) {
    std::vector<TZipItem> taken;
    for (const TZipItem& item : items) {
        QString rel;
        if (item.IsFolder || !item.SafeRelativePath(rel)) continue;
        switch (BaseFileRole(rel)) {
        case TBaseFileRole::Own:
            taken.push_back(item);
            break;
        case TBaseFileRole::Foreign:
            leftOut << rel;
            break;
        case TBaseFileRole::Scratch:
            break;
        }
    }
    return taken;
}

TListingCheck CheckListing(const std::vector<TZipItem>& items, quint64 freeBytes, QString* entry) {
    quint64 total = 0;
    int infos = 0;
    QSet<QString> names;
    for (const TZipItem& item : items) {
        QString rel;
        if (!item.SafeRelativePath(rel) || names.contains(rel)) return TListingCheck::NotOurs;
        // Unpacked as a file it would hold the link's target; followed, it would lead anywhere.
        if (item.IsSymLink()) {
            if (entry) *entry = rel;
            return TListingCheck::Link;
        }
        names.insert(rel);
        if (!item.IsFolder && rel.compare(arhivetexts::kInfoName, Qt::CaseInsensitive) == 0) ++infos;
        // A 32-bit size each, so the sum cannot overflow for any number of entries a file can list.
        total += item.UncompressedSize;
    }
    if (infos != 1 || total > kRestoreLimit) return TListingCheck::NotOurs;
    if (freeBytes < kFreeSpaceMargin || total > freeBytes - kFreeSpaceMargin) return TListingCheck::NoSpace;
    return TListingCheck::Ok;
}

bool AcceptListing(const std::vector<TZipItem>& items, quint64 freeBytes) {
    QString entry;
    switch (CheckListing(items, freeBytes, &entry)) {
    case TListingCheck::Ok:
        return true;
    case TListingCheck::NotOurs:
        TellNotOurs();
        return false;
    case TListingCheck::Link:
        TellUnreadable(entry);
        return false;
    case TListingCheck::NoSpace:
        Messages().ShowInfo({QStringLiteral("Недостаточно места на диске для восстановления архива.")});
        Messages().ShowInfo({QStringLiteral("Архив не был восстановлен")});
        return false;
    }
    return false;
}

void TellNotOurs() {
    Messages().ShowInfo({QStringLiteral("Данный файл не является архивом баз программы,"),
                         QStringLiteral("или архив был поврежден")});
    Messages().ShowInfo({QStringLiteral("Архив не был восстановлен")});
}

void TellUnreadable(const QString& name) {
    Messages().ShowInfo(
        {QStringLiteral("Архив повреждён: таблица \"") + name + QStringLiteral("\" не читается."),
         QStringLiteral("База не изменена.")});
}

void TellLeftOut(const QStringList& names) {
    if (names.isEmpty()) return;
    QStringList sorted = names;
    sorted.sort();
    QStringList lines = {QStringLiteral("Из архива не восстановлены файлы, которых нет в базах программы:")};
    lines << sorted.mid(0, kNamedLeftOut);
    if (names.size() > kNamedLeftOut) lines << QStringLiteral("и ещё %1").arg(names.size() - kNamedLeftOut);
    Messages().ShowInfo(lines);
}

QString FreeUserName(const TMemTable& users, const QString& name) {
    for (int n = 1;; ++n) {
        const QString candidate = name + QStringLiteral("(%1)").arg(n);
        if (FindUserNoCase(users, candidate) < 0) return candidate;
    }
}

QStringList RestoreOverQuestion(const TArhiveInfo& info, const QString& openBase, const TMemTable& users,
                                bool usersRestored) {
    QStringList lines;
    const QString archivedBase = info.ArchivedBase(openBase);
    if (archivedBase != openBase)
        lines << QStringLiteral("Архив сделан из базы \"") + archivedBase +
                     QStringLiteral("\", а открыта база \"") + openBase + QStringLiteral("\".");
    if (usersRestored) {
        // The users step played through: the open base's users go, the archive's come back under their
        // names unless a user of another base (or one just added) already has the name in some case.
        TMemTable after;
        for (int i = 0; i < users.RowCount(); ++i)
            if (users.Row(i)->Cell(col::user::Base) != openBase)
                after.AddRow()->SetCells({users.Row(i)->Cell(col::user::Name)});
        QSet<QString> back;
        for (const QStringList& row : info.users) {
            const QString name = row.value(col::user::Name);
            if (IsBlank(name) || row.value(col::user::Base) != archivedBase) continue;
            const QString newName = FindUserNoCase(after, name) >= 0 ? FreeUserName(after, name) : name;
            after.AddRow()->SetCells({newName});
            back.insert(newName);
        }
        QStringList gone;
        for (int i = 0; i < users.RowCount(); ++i) {
            const QString name = users.Row(i)->Cell(col::user::Name);
            if (users.Row(i)->Cell(col::user::Base) == openBase && !IsBlank(name) && !back.contains(name))
                gone << name;
        }
        if (!gone.isEmpty())
            lines << QStringLiteral("Будут удалены пользователи, которых нет в архиве: ") +
                         gone.join(QStringLiteral(", ")) + QStringLiteral(".");
    }
    if (!lines.isEmpty()) lines << QStringLiteral("Восстановить?");
    return lines;
}

quint64 FreeBytes(const QStringList& folders) {
    quint64 fewest = std::numeric_limits<quint64>::max();
    for (const QString& folder : folders) {
        struct statvfs fs {};
        if (folder.isEmpty() || ::statvfs(QFile::encodeName(folder).constData(), &fs) != 0) continue;
        fewest = std::min<quint64>(fewest, quint64(fs.f_bavail) * fs.f_frsize);
    }
    return fewest;
}

QString VerifyFolderFor(const QString& archivePath) {
    const QString base = JoinPath(QFileInfo(archivePath).absolutePath(), arhivetexts::kVerifyFolder);
    QString folder = base;
    for (int n = 1; QFileInfo::exists(folder) || QFileInfo(folder).isSymLink(); ++n)
        folder = base + QStringLiteral("(%1)").arg(n);
    return folder;
}

bool ReplaceFolder(const QString& verifiedFolder, const QString& targetFolder, const QString& scratchParent) {
    if (!MakePrivateFolder(scratchParent)) return false;
    QByteArray pattern =
        QFile::encodeName(JoinPath(scratchParent, kScratchPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data())) return false;
    const QString scratch = QFile::decodeName(pattern);
    const QString fresh = JoinPath(scratch, QStringLiteral("base"));

    bool ok = MakePrivateFolder(fresh);
    QStringList newFiles, newFolders;
    ListTree(verifiedFolder, newFiles, newFolders);
    for (const QString& rel : newFolders)
        ok = ok && MakePrivateFolder(JoinPath(fresh, rel));
    for (const QString& rel : newFiles)
        ok = ok && MoveOrCopy(JoinPath(verifiedFolder, rel), JoinPath(fresh, rel));

    const QFileInfo targetInfo(targetFolder);
    const bool targetExists = targetInfo.isDir() && !targetInfo.isSymLink();
    if (ok && targetExists) {
        // The base's own files that the archive does not have stay; its debt returns do not.
        QStringList oldFiles, oldFolders;
        ListTree(targetFolder, oldFiles, oldFolders);
        for (const QString& rel : oldFolders)
            ok = ok && MakePrivateFolder(JoinPath(fresh, rel));
        // A journal left by a failed save of the old base would otherwise be carried out over the
        // restored files the next time the base is opened.
        for (const QString& rel : oldFiles) {
            if (UnderDebt(rel) || IsSaveScratchName(FileNameOf(rel)) ||
                QFileInfo::exists(JoinPath(fresh, rel)))
                continue;
            ok = ok && CopyUnflushed(JoinPath(targetFolder, rel), JoinPath(fresh, rel));
        }
    }
    if (ok) ok = FlushFileSystemOf(fresh);
    if (ok) {
        ok = SwapFolders(fresh, targetFolder, targetExists);
        SyncFolder(QFileInfo(targetFolder).absolutePath());
    }
    QDir(scratch).removeRecursively();
    SyncFolder(scratchParent);
    return ok;
}

void RemoveStaleScratch(const QString& scratchParent) {
    const QDir parent(scratchParent);
    for (const QString& name :
         parent.entryList({kScratchPrefix + QStringLiteral("??????")}, QDir::Dirs | QDir::Hidden)) {
        const QFileInfo info(parent.filePath(name));
        if (!info.isSymLink()) QDir(info.absoluteFilePath()).removeRecursively();
    }
}

} // namespace arhive
