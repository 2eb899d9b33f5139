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

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {} // namespace

int DebtNumberCell(const QString& text, bool* ok) {
    const int n = text.trimmed().toInt(ok);
    if (*ok && n < 0) *ok = false;
    return n;
}

QString ResolveTablePath(const QString& folder, const QString& tableName) {
    if (!MakePrivateFolder(folder)) return QString();
    const QString path = JoinPath(folder, tableName);
    const QByteArray native = QFile::encodeName(path);
    if (QFileInfo::exists(path)) {
        int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return folder;
        ::close(fd);
        return path;
    }
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return folder;
    ::close(fd);
    return path;
}

QString KeepDamagedCopy(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return QString();
    const QString stem = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString copy = stem;
    for (int i = 2; QFileInfo::exists(copy); ++i)
        copy = stem + QLatin1Char('-') + QString::number(i);
    if (!QFile::copy(path, copy)) return QString();
    MakePrivateFile(copy);
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

bool LoadLedgerFile(TTableKind kind, const QString& path, TMemTable& table) {
    const TTableDef& def = TableDef(kind);
    table.Clear();
    if (path.isEmpty() || QFileInfo(path).isDir())
        return true; // a file that cannot be reached loads as empty; saving it then fails
    const bool whole = table.LoadFromFile(path);
    if (!whole) {
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
    return whole;
}

QString ReturnsFolder(const QString& baseFolder) {
    return JoinPath(baseFolder, QStringLiteral("Debt"));
}

QString ReturnsFilePath(const QString& baseFolder, int number) {
    return JoinPath(ReturnsFolder(baseFolder), QStringLiteral("debt") + QString::number(number));
}

namespace {

// A returns file read in one go: opened, measured and read, nothing else asked of the file system
// (a base has a file per debt, thousands of them). False when it is not a readable regular file: the
// careful way then decides what it is.
bool ReadRegularFile(const QString& path, QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= 0x7FFFFFFF;
    if (ok) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            done += ok ? n : 0;
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

bool LoadReturnsFiles(const QString& baseFolder, const TMemTable& dolg, TReturnsTables& returns,
                      const TUnfinishedSave* unfinished) {
    returns.clear();
    bool allRead = true;
    const QString folder = ReturnsFolder(baseFolder);
    const bool folderMade = MakePrivateFolder(folder);
    for (int i = 0; i < dolg.RowCount(); ++i) {
        bool ok = false;
        const int n = DebtNumberCell(dolg.Row(i)->Cell(col::dolg::DebtNumber), &ok);
        if (!ok || n > dolg.RowCount() + 100000) continue;
        if (size_t(n) >= returns.size()) returns.resize(size_t(n) + 1);
        auto table = std::make_unique<TMemTable>();
        const QString name = QStringLiteral("debt") + QString::number(n);
        QByteArray bytes; // the table keeps it as its buffer
        const QString path = JoinPath(folder, name);
        if (folderMade && ReadRegularFile(unfinished ? unfinished->ReadPath(path) : path, bytes)) {
            if (table->LoadFromBytes(bytes)) {
                table->MarkUnmodified();
            } else {
                KeepDamagedCopy(JoinPath(folder, name));
                allRead = false;
            }
            returns[size_t(n)] = std::move(table);
            continue;
        }
        const QString resolved = ResolveTablePath(folder, name);
        if (!resolved.isEmpty() && !QFileInfo(resolved).isDir() && !table->LoadFromFile(resolved)) {
            // The rows before the damage stay with their debt; the file itself is kept for recovery.
            KeepDamagedCopy(resolved);
            allRead = false;
        } else {
            table->MarkUnmodified();
        }
        returns[size_t(n)] = std::move(table);
    }
    for (auto& t : returns)
        if (!t) t = std::make_unique<TMemTable>();
    return allRead;
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

void LoadKindsFile(TKindsList list, const QString& path, const QString& programFolder, TMemTable& table) {
    table.Clear();
    bool ok = true;
    if (!path.isEmpty() && !QFileInfo(path).isDir()) ok = table.LoadFromFile(path);
    // As read: the save writes the list again only once something in it changed.
    if (ok) table.MarkUnmodified();
    if (!ok) {
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

QString LoadPurseFile(const QString& path, TMemTable& purse) {
    purse.Clear();
    bool read = true;
    if (!path.isEmpty() && !QFileInfo(path).isDir() && !purse.LoadFromFile(path)) {
        KeepDamagedCopy(path);
        Messages().ShowInfo({QStringLiteral("База кошельков повреждена!"),
                             QStringLiteral("Значение кошелька будет установлено по-умолчанию")});
        purse.Clear();
        read = false;
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

bool LoadTransferFile(const QString& path, TMemTable& transfer) {
    transfer.Clear();
    if (path.isEmpty() || QFileInfo(path).isDir()) return true;
    if (transfer.LoadFromFile(path)) return true;
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
