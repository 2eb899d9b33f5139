#include "storage/tbasefiles.h"
#include "storage/tabledefs.h"
#include "storage/textrules.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsavetransaction.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int DebtNumberCell(const QString& text, bool* ok) {
    const int n = text.trimmed().toInt(ok);
    if (*ok && n < 0) *ok = false;
    return n;
}

namespace {

TTableFileState StateOfError(int code) {
    switch (code) {
    case ENOENT:
        return TTableFileState::Missing;
    case ELOOP:
        return TTableFileState::Link;
    case EACCES:
    case EPERM:
        return TTableFileState::NoRead;
    case ENXIO:
        return TTableFileState::NotAFile;
    default:
        return TTableFileState::ReadError;
    }
}

TTableFileState StateOfMode(mode_t mode) {
    if (S_ISLNK(mode)) return TTableFileState::Link;
    if (S_ISDIR(mode)) return TTableFileState::Folder;
    if (!S_ISREG(mode)) return TTableFileState::NotAFile;
    return TTableFileState::File;
}

// Opens a regular file for reading, never through a link and never waiting on a pipe. The open comes
// first and the name is looked at only when it fails: a base has a returns file per debt.
TTableFileState OpenForReading(const QByteArray& native, int& fd, qint64& size) {
    fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) {
        const int code = errno;
        if (code != ENOENT && ::lstat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            return StateOfMode(st.st_mode);
        return StateOfError(code);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const TTableFileState state = StateOfMode(st.st_mode);
        ::close(fd);
        fd = -1;
        return state == TTableFileState::File ? TTableFileState::ReadError : state;
    }
    size = st.st_size;
    return TTableFileState::File;
}

QString Quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}

} // namespace

TTableFileState TableFileState(const QString& path) {
    int fd = -1;
    qint64 size = 0;
    const TTableFileState state = OpenForReading(QFile::encodeName(path), fd, size);
    if (fd >= 0) ::close(fd);
    return state;
}

TTableFileState ReadTableFile(const QString& path, QByteArray& bytes) {
    bytes.clear();
    int fd = -1;
    qint64 size = 0;
    const TTableFileState state = OpenForReading(QFile::encodeName(path), fd, size);
    if (state != TTableFileState::File) return state;
    bool ok = size <= 0x7FFFFFFF;
    if (ok) {
        bytes.resize(qsizetype(size));
        qsizetype done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            ok = n > 0;
            done += ok ? n : 0;
        }
    }
    ::close(fd);
    if (ok) return TTableFileState::File;
    bytes.clear();
    return TTableFileState::ReadError;
}

QString UnreachableLine(const TUnreachable& file) {
    const QString what = file.folder ? QStringLiteral("папки ") : QStringLiteral("файла ");
    switch (file.state) {
    case TTableFileState::NoRead:
        return QStringLiteral("Нет прав на чтение ") + what + Quoted(file.path);
    case TTableFileState::Folder:
        return QStringLiteral("На месте файла ") + Quoted(file.path) + QStringLiteral(" находится папка");
    case TTableFileState::Link:
        return QStringLiteral("На месте ") + what + Quoted(file.path) + QStringLiteral(" находится ссылка");
    case TTableFileState::NotAFile:
        if (file.folder)
            return QStringLiteral("На месте папки ") + Quoted(file.path) + QStringLiteral(" находится файл");
        return QStringLiteral("Файл ") + Quoted(file.path) + QStringLiteral(" не является обычным файлом");
    case TTableFileState::File:
    case TTableFileState::Missing:
    case TTableFileState::ReadError:
    case TTableFileState::NoFolder:
        break;
    }
    return QStringLiteral("Не удалось прочитать ") + what + Quoted(file.path);
}

void TellUnreachable(const TUnreachableFiles& files, const QString& readOnlyBase) {
    if (files.empty()) return;
    QStringList lines;
    for (const TUnreachable& f : files)
        lines << UnreachableLine(f);
    if (!readOnlyBase.isEmpty())
        lines << QStringLiteral("База ") + Quoted(readOnlyBase) +
                     QStringLiteral(" открыта только для просмотра: изменения в ней не будут сохранены.");
    Messages().Beep();
    Messages().ShowError(lines);
}

void NoteUnreachable(TUnreachableFiles* list, const TUnreachable& file) {
    if (list)
        list->push_back(file);
    else
        TellUnreachable({file});
}

TTableFileState ResolveTableFile(const QString& folder, const QString& tableName, QString& path) {
    if (!MakePrivateFolder(folder)) {
        path.clear();
        return TTableFileState::NoFolder;
    }
    path = JoinPath(folder, tableName);
    const TTableFileState state = TableFileState(path);
    if (state != TTableFileState::Missing) return state;
    // An exclusive create follows no link either: a dangling one makes it fail.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return TTableFileState::Missing;
    ::close(fd);
    return TTableFileState::File;
}

QString ResolveTablePath(const QString& folder, const QString& tableName) {
    QString path;
    const TTableFileState state = ResolveTableFile(folder, tableName, path);
    if (state == TTableFileState::NoFolder) return QString();
    return state == TTableFileState::File ? path : folder;
}

QString KeptAsideStamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

bool IsKeptAsideName(const QString& fileName) {
    return fileName.contains(QLatin1String(".damaged-")) || fileName.contains(QLatin1String(".orphan-"));
}

QString KeepDamagedCopy(const QString& path) {
    QByteArray bytes;
    if (ReadTableFile(path, bytes) != TTableFileState::File) return QString();
    const QString stem = path + QStringLiteral(".damaged-") + KeptAsideStamp();
    QString copy = stem;
    for (int i = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++i)
        copy = stem + QLatin1Char('-') + QString::number(i);
    const int fd = ::open(QFile::encodeName(copy).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return QString();
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        data += ok ? n : 0;
        left -= ok ? n : 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        QFile::remove(copy);
        return QString();
    }
    return copy;
}

bool IsOldDebtTable(const TMemTable& dolg) {
    return dolg.RowCount() > 0 && dolg.Row(0)->CellCount() > 11;
}

TReturnsTables TakeOldDebtReturns(TMemTable& dolg) {
    TReturnsTables returns;
    for (int i = 0; i < dolg.RowCount(); ++i) {
        const QStringList cells = dolg.Row(i)->Cells();
        auto table = std::make_unique<TMemTable>();
        const QString cell0 = cells.value(0);
        const QStringList ret = {cells.value(9), cells.value(10), cells.value(11)};
        if (!cell0.isEmpty() && !(IsBlank(ret[0]) && IsBlank(ret[1]) && IsBlank(ret[2])))
            table->AddRow()->SetCells({ret[0], ret[1], ret[2], QString()});
        returns.push_back(std::move(table));
    }
    return returns;
}

int KeepWholeRows(TMemTable& table) {
    for (int i = 0; i < table.RowCount(); ++i) {
        const TTableRow* row = table.Row(i);
        const int count = row->CellCount();
        QString text;
        bool whole = true;
        for (int c = 0; c < count && whole; ++c)
            whole = row->TryCell(c, text);
        if (!whole) {
            while (table.RowCount() > i)
                table.DeleteRow(table.RowCount() - 1);
            break;
        }
    }
    return table.RowCount();
}

namespace {

// Reads a table file into the table: a missing file gives an empty table; what is not a readable
// regular file is noted and left alone.
TTableLoad LoadTableBytes(const QString& path, TMemTable& table, TUnreachableFiles* unreachable) {
    table.Clear();
    QByteArray bytes; // the table keeps it as its buffer
    const TTableFileState state = ReadTableFile(path, bytes);
    switch (state) {
    case TTableFileState::File:
        return table.LoadFromBytes(bytes) ? TTableLoad::Read : TTableLoad::Damaged;
    case TTableFileState::Missing:
    case TTableFileState::NoFolder:
        return TTableLoad::Read;
    default:
        NoteUnreachable(unreachable, {path, state});
        return TTableLoad::Unreachable;
    }
}

} // namespace

TTableLoad LoadLedgerFile(TTableKind kind, const QString& path, TMemTable& table,
                          TUnreachableFiles* unreachable) {
    const TTableDef& def = TableDef(kind);
    const TTableLoad load = LoadTableBytes(path, table, unreachable);
    if (load == TTableLoad::Unreachable) return load;
    if (load == TTableLoad::Damaged) {
        // The records before the damage stay; the file itself is kept for recovery by hand.
        KeepDamagedCopy(path);
        KeepWholeRows(table);
        Messages().Beep();
        const QString word = kind == TTableKind::User ? QStringLiteral("пользователей") : def.damageWord;
        Messages().ShowInfo({QStringLiteral("База ") + word + QStringLiteral(" повреждена!"),
                             QStringLiteral("Восстановите резервную копию!")});
    }
    for (int i = 0; i < table.RowCount(); ++i) {
        TTableRow* row = table.Row(i);
        if (kind != TTableKind::Dolg && kind != TTableKind::User && row->CellCount() == def.CellCount())
            continue; // already in shape: no need to decode and re-encode it
        if (kind == TTableKind::Dolg && row->CellCount() == def.CellCount() &&
            row->CellBytes(col::dolg::DebtNumber) == QByteArrayView(QByteArray::number(i)))
            continue; // numbered by its place, as a save leaves it
        QStringList cells = row->Cells();
        switch (kind) {
        case TTableKind::Dolg:
            cells.resize(def.CellCount());
            cells[col::dolg::DebtNumber] = QString::number(i);
            break;
        case TTableKind::User: {
            while (cells.size() < def.CellCount())
                cells.append(QString());
            QString& role = cells[col::user::Role];
            role = (role == QLatin1String("1") || role == cells::kAdmin) ? cells::kAdmin : cells::kOrdinary;
            break;
        }
        default:
            cells.resize(def.CellCount());
            break;
        }
        row->SetCells(cells);
    }
    return load;
}

QString ReturnsFolder(const QString& baseFolder) {
    return JoinPath(baseFolder, QStringLiteral("Debt"));
}

QString ReturnsFilePath(const QString& baseFolder, int number) {
    return JoinPath(ReturnsFolder(baseFolder), QStringLiteral("debt") + QString::number(number));
}

TTableFileState ReturnsFolderState(const QString& baseFolder) {
    const QString folder = ReturnsFolder(baseFolder);
    const QByteArray native = QFile::encodeName(folder);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT) return StateOfError(errno);
        return MakePrivateFolder(folder) ? TTableFileState::File : TTableFileState::NoFolder;
    }
    if (S_ISLNK(st.st_mode)) return TTableFileState::Link;
    if (!S_ISDIR(st.st_mode)) return TTableFileState::NotAFile;
    if (::access(native.constData(), R_OK | X_OK) != 0) return TTableFileState::NoRead;
    return TTableFileState::File;
}

bool LoadReturnsFiles(const QString& baseFolder, const TMemTable& dolg, TReturnsTables& returns,
                      TReturnsOnDisk& onDisk, TUnreachableFiles* unreachable,
                      const TUnfinishedSave* unfinished) {
    returns.clear();
    onDisk.clear();
    bool allRead = true;
    const QString folder = ReturnsFolder(baseFolder);
    const TTableFileState folderState = ReturnsFolderState(baseFolder);
    // Through a link the returns would be read from (and new files made in) a folder outside the base.
    const bool readable = folderState == TTableFileState::File;
    if (!readable && folderState != TTableFileState::NoFolder)
        NoteUnreachable(unreachable, {folder, folderState, true});
    for (int i = 0; i < dolg.RowCount(); ++i) {
        bool ok = false;
        const int n = DebtNumberCell(dolg.Row(i)->Cell(col::dolg::DebtNumber), &ok);
        if (!ok || n > dolg.RowCount() + 100000) continue;
        if (size_t(n) >= returns.size()) returns.resize(size_t(n) + 1);
        auto table = std::make_shared<TMemTable>();
        const QString name = QStringLiteral("debt") + QString::number(n);
        const QString path = JoinPath(folder, name);
        QByteArray bytes; // the table keeps it as its buffer
        const TTableFileState state =
            readable ? ReadTableFile(unfinished ? unfinished->ReadPath(path) : path, bytes) : folderState;
        if (state == TTableFileState::File) {
            if (table->LoadFromBytes(bytes)) {
                table->MarkUnmodified();
            } else {
                // The rows before the damage stay with their debt; the file itself is kept for recovery.
                KeepDamagedCopy(path);
                allRead = false;
            }
        } else {
            // A missing file is made, as any missing table file.
            if (state == TTableFileState::Missing) {
                QString made;
                ResolveTableFile(folder, name, made);
            } else if (readable) {
                NoteUnreachable(unreachable, {path, state});
            }
            table->MarkUnmodified();
        }
        // What was read from a file is what it holds; a damaged file is written whole by the next save.
        if (!table->Modified() && (state == TTableFileState::File || state == TTableFileState::Missing)) {
            if (size_t(n) >= onDisk.size()) onDisk.resize(size_t(n) + 1);
            onDisk[size_t(n)] = table;
        }
        returns[size_t(n)] = std::move(table);
    }
    for (auto& t : returns)
        if (!t) t = std::make_unique<TMemTable>();
    return allRead;
}

QStringList KeepOrphanReturns(const QString& baseFolder, int debtCount) {
    static const QRegularExpression name(QStringLiteral("^debt(\\d{1,9})$"));
    QStringList kept;
    if (ReturnsFolderState(baseFolder) != TTableFileState::File) return kept;
    const QDir folder(ReturnsFolder(baseFolder));
    std::vector<std::pair<int, QString>> orphans;
    for (const QString& file : folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort)) {
        const auto m = name.match(file);
        if (m.hasMatch() && m.captured(1).toInt() >= debtCount)
            orphans.emplace_back(m.captured(1).toInt(), file);
    }
    std::sort(orphans.begin(), orphans.end());
    const QString stamp = KeptAsideStamp();
    for (const auto& [number, file] : orphans) {
        const QString path = folder.filePath(file);
        struct stat st {};
        // An empty file holds no returns (a new debt's file from a run that ended unsaved): the save
        // removes it, as it always has.
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
            continue;
        QString aside = path + QStringLiteral(".orphan-") + stamp;
        for (int i = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++i)
            aside = path + QStringLiteral(".orphan-") + stamp + QLatin1Char('-') + QString::number(i);
        if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0)
            kept << file;
    }
    return kept;
}

void FillEmptyKinds(TKindsList list, const QString& programFolder, TMemTable& table) {
    const QString defaults = JoinPath(JoinPath(programFolder, QStringLiteral("DATA")), KindsFileName(list));
    table.Clear();
    if (QFileInfo::exists(defaults)) {
        if (!table.LoadFromFile(defaults)) {
            table.Clear();
            Messages().ShowError({QStringLiteral("Нет доступа к базам программы."),
                                  QStringLiteral("Проверьте настройки безопасности для файла ") + defaults});
        }
        return;
    }
    table.AddRow()->SetCells({DefaultKindsCaption(list)});
}

void LoadKindsFile(TKindsList list, const QString& path, const QString& programFolder, TMemTable& table,
                   TUnreachableFiles* unreachable) {
    const TTableLoad load = LoadTableBytes(path, table, unreachable);
    // As read: the save writes the list again only once something in it changed.
    if (load == TTableLoad::Read) table.MarkUnmodified();
    if (load == TTableLoad::Damaged) {
        KeepDamagedCopy(path);
        table.Clear();
        Messages().Beep();
        Messages().ShowInfo(
            {QStringLiteral("База названий ") + KindsListWord(list) + QStringLiteral(" повреждена!"),
             QStringLiteral("Будет восстановлена по умолчанию")});
        const QString defaults =
            JoinPath(JoinPath(programFolder, QStringLiteral("DATA")), KindsFileName(list));
        if (!QFileInfo::exists(defaults) || !table.LoadFromFile(defaults)) table.Clear();
    }
    bool empty = true;
    for (int i = 0; i < table.RowCount() && empty; ++i)
        for (const QString& c : table.Row(i)->Cells())
            if (!c.isEmpty()) {
                empty = false;
                break;
            }
    if (empty) FillEmptyKinds(list, programFolder, table);
}

QString LoadPurseFile(const QString& path, TMemTable& purse, TUnreachableFiles* unreachable) {
    const TTableLoad load = LoadTableBytes(path, purse, unreachable);
    const bool read = load == TTableLoad::Read;
    if (load == TTableLoad::Damaged) {
        KeepDamagedCopy(path);
        Messages().ShowInfo({QStringLiteral("База кошельков повреждена!"),
                             QStringLiteral("Значение кошелька будет установлено по-умолчанию")});
        purse.Clear();
    }
    // The rows without a name (the row for a new purse is saved with the others) are dropped as the
    // file is read, not as a change: the file is written again only once something in it changed.
    for (int i = purse.RowCount() - 1; i >= 0; --i)
        if (IsBlank(purse.Row(i)->Cell(col::purse::Name))) purse.DeleteRow(i);
    if (read) purse.MarkUnmodified();
    if (purse.RowCount() == 0) {
        purse.AddRow()->SetCells(
            {QStringLiteral("рубль"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1")});
        purse.AddRow()->SetCells(
            {QStringLiteral("копилка"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0")});
        return QStringLiteral("рубль");
    }
    for (int i = 0; i < purse.RowCount(); ++i)
        if (purse.Row(i)->Cell(col::purse::BaseFlag) == QLatin1String("1"))
            return purse.Row(i)->Cell(col::purse::Name);
    for (int i = 0; i < purse.RowCount(); ++i)
        if (purse.Row(i)->CellCount() < 4) purse.Row(i)->SetCellCount(4);
    purse.Row(0)->SetCell(col::purse::BaseFlag, QStringLiteral("1"));
    return purse.Row(0)->Cell(col::purse::Name);
}

bool LoadTransferFile(const QString& path, TMemTable& transfer, TUnreachableFiles* unreachable) {
    if (LoadTableBytes(path, transfer, unreachable) != TTableLoad::Damaged) return true;
    KeepDamagedCopy(path);
    KeepWholeRows(transfer);
    Messages().Beep();
    Messages().ShowError({QStringLiteral("База названий переноса денег из кошелька в кошелек повреждена!")});
    return false;
}

// The bytes of the file: every row cut or padded to the first row's cell count, leaving out the rows
// with an empty required cell (the new-record row and half-typed records). Rows already in shape are
// copied as they are encoded, without decoding their text.
QByteArray FilteredTableBytes(TTableKind kind, const TMemTable& table) {
    QByteArray out;
    if (table.RowCount() == 0) return out;
    const int cellCount = table.Row(0)->CellCount();
    const int required = TableDef(kind).required;
    out.reserve(table.BufferSize());
    for (int i = 0; i < table.RowCount(); ++i) {
        const QByteArray enc = table.RowEncoding(i);
        const char* p = enc.constData();
        qsizetype pos = 0;
        quint32 count = 0;
        bool direct =
            !enc.isEmpty() && memtable::ReadVarint(p, enc.size(), pos, count) && int(count) == cellCount;
        bool complete = true;
        for (int c = 0; direct && c < required; ++c) {
            quint32 len = 0;
            if (c >= cellCount || !memtable::ReadVarint(p, enc.size(), pos, len) ||
                len > quint64(enc.size() - pos)) {
                direct = false;
                break;
            }
            complete = complete && len > 0;
            pos += len;
        }
        if (direct) {
            if (complete) {
                memtable::AppendVarint(out, quint32(enc.size()));
                out.append(enc);
            }
            continue;
        }
        QStringList cells = table.Row(i)->Cells();
        cells.resize(cellCount);
        complete = true;
        for (int c = 0; c < required && complete; ++c)
            complete = c < cellCount && !cells[c].isEmpty();
        if (!complete) continue;
        TMemTable one;
        one.AddRow()->SetCells(cells);
        out.append(one.ToBytes());
    }
    return out;
}

bool SaveTableFiltered(TTableKind kind, const TMemTable& table, const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    return WriteFileAtomic(path, FilteredTableBytes(kind, table));
}
