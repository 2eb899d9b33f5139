#include "storage/tbaselock.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmemtable.h"

#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum TCell { User, Host, Machine, Pid, Started, Opened, Refreshed, CellCount };

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

QString LockPath(const QString& folder) {
    return JoinPath(folder, baselock::kFileName);
}

QString TimeText(const QDateTime& utc) {
    return utc.toUTC().toString(Qt::ISODate);
}

// To the second, as the file keeps it.
QDateTime NowUtc() {
    return QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
}

QString ReadFirstLine(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLatin1(file.readLine()).trimmed();
}

// The start of a process in clock ticks after boot, from /proc: 0 when the process has ended (or only
// waits to be reaped), nothing when /proc does not tell.
std::optional<quint64> ProcessStart(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QFile::exists(QStringLiteral("/proc/%1").arg(pid)) ? std::nullopt : std::optional<quint64>(0);
    const QByteArray text = stat.readAll();
    // The command name in brackets may hold spaces and brackets of its own: the fields follow the last.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0) return std::nullopt;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    // fields[0] is the line's third field (the state), the start time its twenty-second.
    if (fields.size() < 20) return std::nullopt;
    if (fields[0] == "Z" || fields[0] == "X") return 0;
    return fields[19].toULongLong();
}

bool ProcessRuns(qint64 pid, quint64 started) {
    if (pid <= 0 || pid > INT_MAX) return false;
    if (const std::optional<quint64> now = ProcessStart(pid))
        return *now != 0 && (started == 0 || *now == started);
    // /proc hides another account's processes on some systems: the process table still answers.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

struct TThisProgram {
    QString host;
    QString machine;
    qint64 pid = 0;
    quint64 started = 0;
};

const TThisProgram& ThisProgram() {
    static const TThisProgram self = [] {
        TThisProgram p;
        p.host = QSysInfo::machineHostName();
        p.machine = ReadFirstLine("/etc/machine-id");
        if (p.machine.isEmpty()) p.machine = ReadFirstLine("/var/lib/dbus/machine-id");
        p.pid = ::getpid();
        p.started = ProcessStart(p.pid).value_or(0);
        return p;
    }();
    return self;
}

bool OnThisComputer(const TBaseLockOwner& owner) {
    const TThisProgram& self = ThisProgram();
    if (!owner.machine.isEmpty() && !self.machine.isEmpty()) return owner.machine == self.machine;
    return owner.host == self.host;
}

bool IsThisProgram(const TBaseLockOwner& owner) {
    const TThisProgram& self = ThisProgram();
    return OnThisComputer(owner) && owner.pid == self.pid && owner.started == self.started;
}

bool SameOwner(const TBaseLockOwner& a, const TBaseLockOwner& b) {
    return a.machine == b.machine && a.host == b.host && a.pid == b.pid && a.started == b.started;
}

bool ParseOwner(const QByteArray& bytes, TBaseLockOwner& owner) {
    TMemTable table;
    if (!table.LoadFromBytes(bytes) || table.RowCount() != 1) return false;
    const TTableRow& row = *table.Row(0);
    if (row.CellCount() < CellCount) return false;
    bool pidOk = false, startOk = false;
    owner.user = row.Cell(User);
    owner.host = row.Cell(Host);
    owner.machine = row.Cell(Machine);
    owner.pid = row.Cell(Pid).toLongLong(&pidOk);
    owner.started = row.Cell(Started).toULongLong(&startOk);
    owner.opened = QDateTime::fromString(row.Cell(Opened), Qt::ISODate);
    owner.refreshed = QDateTime::fromString(row.Cell(Refreshed), Qt::ISODate);
    return pidOk && startOk && owner.pid > 0 && owner.opened.isValid() && owner.refreshed.isValid();
}

QByteArray OwnerBytes(const TBaseLockOwner& owner) {
    TMemTable table;
    table.AddRow()->SetCells({owner.user, owner.host, owner.machine, QString::number(owner.pid),
                              QString::number(owner.started), TimeText(owner.opened),
                              TimeText(owner.refreshed)});
    return table.ToBytes();
}

enum class TWrite { Written, Exists, Failed };

// The lock written whole beside its place, flushed, then put there: by a hard link when it must not
// replace a lock another program made meanwhile, else by a rename. Never half a file, and private.
TWrite WriteLock(const QString& folder, const TBaseLockOwner& owner, bool exclusive) {
    const QByteArray target = Native(LockPath(folder));
    QByteArray temp =
        Native(JoinPath(folder, QLatin1Char('.') + baselock::kFileName + QStringLiteral(".tmp-XXXXXX")));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return TWrite::Failed;
    ::fchmod(fd, 0600);
    const QByteArray bytes = OwnerBytes(owner);
    bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    TWrite result = ok ? TWrite::Written : TWrite::Failed;
    if (ok && exclusive) {
        if (::link(temp.constData(), target.constData()) != 0) {
            if (errno == EEXIST) {
                result = TWrite::Exists;
            } else {
                // A file system without hard links: the window between the look and the rename stays open.
                struct stat st {};
                if (::lstat(target.constData(), &st) == 0)
                    result = TWrite::Exists;
                else if (::rename(temp.constData(), target.constData()) != 0)
                    result = TWrite::Failed;
            }
        }
    } else if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        result = TWrite::Failed;
    }
    ::unlink(temp.constData());
    if (result == TWrite::Written) SyncFolder(folder);
    return result;
}

TBaseLockOwner NewOwner(const QString& user, const QDateTime& opened) {
    const TThisProgram& self = ThisProgram();
    TBaseLockOwner owner;
    owner.user = user;
    owner.host = self.host;
    owner.machine = self.machine;
    owner.pid = self.pid;
    owner.started = self.started;
    owner.refreshed = NowUtc();
    owner.opened = opened.isValid() ? opened : owner.refreshed;
    return owner;
}

} // namespace

bool IsBaseLockName(const QString& fileName) {
    return fileName == baselock::kFileName;
}

QString LockOwnerText(const TBaseLockOwner& owner) {
    return owner.user + QStringLiteral(", компьютер ") + owner.host + QStringLiteral(", с ") +
           owner.opened.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

TBaseLockLook LookAtBaseLock(const QString& baseFolder) {
    TBaseLockLook look;
    const QByteArray folder = Native(baseFolder);
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0) {
        // A base whose folder is not made yet is nobody's.
        if (errno != ENOENT) look.state = TBaseLockState::Unreadable;
        return look;
    }
    if (!S_ISDIR(st.st_mode) || ::access(folder.constData(), R_OK | X_OK) != 0) {
        look.state = TBaseLockState::Unreadable;
        return look;
    }
    const QString path = LockPath(baseFolder);
    if (::stat(Native(path).constData(), &st) != 0) {
        look.state = errno == ENOENT ? TBaseLockState::Free : TBaseLockState::Unreadable;
        return look;
    }
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec, Qt::UTC);
    QByteArray bytes;
    look.named = ReadTableFile(path, bytes) == TTableFileState::File && ParseOwner(bytes, look.owner);
    if (!look.named) look.owner = TBaseLockOwner();

    if (look.named && OnThisComputer(look.owner)) {
        if (IsThisProgram(look.owner))
            look.state = TBaseLockState::Own;
        else
            look.state = ProcessRuns(look.owner.pid, look.owner.started) ? TBaseLockState::Held
                                                                         : TBaseLockState::Abandoned;
        return look;
    }
    // Another computer's clock may differ from this one's: the later of the time it wrote and the time
    // the file system saw the write counts, and a time ahead of this clock counts as now.
    QDateTime last = modified;
    if (look.named && look.owner.refreshed > last) last = look.owner.refreshed;
    look.state = last.secsTo(NowUtc()) < baselock::kAbandonedAfterSeconds ? TBaseLockState::Held
                                                                          : TBaseLockState::Abandoned;
    return look;
}

bool BaseHeldElsewhere(const QString& baseFolder, TBaseLockLook* found) {
    const TBaseLockLook look = LookAtBaseLock(baseFolder);
    if (found) *found = look;
    return look.state == TBaseLockState::Held;
}

TBaseLock::TTake TBaseLock::Take(const QString& baseFolder, const QString& user, TBaseLockLook* found) {
    if (Held() && ResolvedPath(m_folder) != ResolvedPath(baseFolder)) Release();
    // Taken again by another user of the same program, the base stays open since it first opened.
    const QDateTime opened = Held() ? m_owner.opened : QDateTime();
    m_folder.clear();
    // Two programs making the lock at once: the one whose link came second looks again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const TBaseLockLook look = LookAtBaseLock(baseFolder);
        if (found) *found = look;
        const TBaseLockOwner owner = NewOwner(user, opened);
        TWrite written = TWrite::Failed;
        switch (look.state) {
        case TBaseLockState::Held:
            return TTake::Held;
        case TBaseLockState::Unreadable:
            return TTake::NotKept;
        case TBaseLockState::Free:
            written = WriteLock(baseFolder, owner, true);
            break;
        case TBaseLockState::Own:
        case TBaseLockState::Abandoned:
            written = WriteLock(baseFolder, owner, false);
            break;
        }
        if (written == TWrite::Exists) continue;
        if (written == TWrite::Failed) return TTake::NotKept;
        m_folder = baseFolder;
        m_owner = owner;
        return look.state == TBaseLockState::Abandoned && look.named ? TTake::TakenOver : TTake::Taken;
    }
    return TTake::NotKept;
}

bool TBaseLock::Keep(bool refresh, TBaseLockLook* found) {
    if (!Held()) return true;
    const TBaseLockLook look = LookAtBaseLock(m_folder);
    if (found) *found = look;
    if (look.named && !SameOwner(look.owner, m_owner)) {
        m_folder.clear();
        return false;
    }
    if (look.state == TBaseLockState::Unreadable) return true;
    if (look.state == TBaseLockState::Free) {
        // Gone from under the program (the folder replaced, say): made again, unless another was quicker.
        const TWrite written = WriteLock(m_folder, m_owner, true);
        if (written == TWrite::Exists) return Keep(false, found);
        return true;
    }
    if (refresh) {
        TBaseLockOwner owner = m_owner;
        owner.refreshed = NowUtc();
        if (WriteLock(m_folder, owner, false) == TWrite::Written) m_owner = owner;
    }
    return true;
}

void TBaseLock::Release() {
    if (!Held()) return;
    const TBaseLockLook look = LookAtBaseLock(m_folder);
    if (look.named && SameOwner(look.owner, m_owner) && ::unlink(Native(LockPath(m_folder)).constData()) == 0)
        SyncFolder(m_folder);
    m_folder.clear();
}

void TBaseLock::Moved(const QString& baseFolder) {
    if (Held()) m_folder = baseFolder;
}
