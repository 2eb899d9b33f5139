#include "output/toolprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel keeps this many characters of a process name in `comm`.
constexpr int kCommLength = 15;

QString ProcFile(pid_t pid, const char* name) {
    return QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name));
}

QByteArray ReadProc(pid_t pid, const char* name) {
    QFile file(ProcFile(pid, name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// A process that has ended but not been reaped by its parent counts as gone.
bool Running(pid_t pid) {
    if (::kill(pid, 0) != 0) return false;
    const QByteArray stat = ReadProc(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size()) return false;
    const char state = stat[close + 2];
    return state != 'Z' && state != 'X';
}

bool OwnedByMe(pid_t pid) {
    struct stat info {};
    return ::stat(QFile::encodeName(QStringLiteral("/proc/%1").arg(pid)).constData(), &info) == 0 &&
           info.st_uid == ::getuid();
}

bool Matches(pid_t pid, const QString& fullPath, const QString& name) {
    QString exe = QFile::symLinkTarget(ProcFile(pid, "exe"));
    exe.remove(QStringLiteral(" (deleted)"));
    if (!exe.isEmpty() &&
        (exe.toUpper() == fullPath.toUpper() || QFileInfo(exe).fileName().toUpper() == name.toUpper()))
        return true;
    const QString comm = QString::fromLocal8Bit(ReadProc(pid, "comm")).trimmed();
    return !comm.isEmpty() && comm.toUpper() == name.left(kCommLength).toUpper();
}

// Waits a moment for the processes to end; returns those still running.
std::vector<pid_t> Survivors(const std::vector<pid_t>& pids, int waitMs) {
    QDeadlineTimer deadline(waitMs);
    std::vector<pid_t> left = pids;
    for (;;) {
        std::erase_if(left, [](pid_t p) { return !Running(p); });
        if (left.empty() || deadline.hasExpired()) return left;
        QThread::msleep(20);
    }
}

} // namespace

QString ToolLockName() {
    return QStringLiteral("accessible.lock");
}

int OpenLockFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    return fd >= 0 ? fd : ::open(name.constData(), O_RDONLY | O_CLOEXEC);
}

bool LockFileFree(const QString& path) {
    const int fd = OpenLockFile(path);
    if (fd < 0) return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

int TerminateProcesses(const QString& fullPath, const QString& name) {
    std::vector<pid_t> found;
    const pid_t self = ::getpid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t pid = pid_t(entry.toInt(&number));
        if (!number || pid == self || !OwnedByMe(pid) || !Running(pid)) continue;
        if (Matches(pid, fullPath, name)) found.push_back(pid);
    }
    for (pid_t pid : found)
        ::kill(pid, SIGTERM);
    const std::vector<pid_t> stubborn = Survivors(found, 2000);
    for (pid_t pid : stubborn)
        ::kill(pid, SIGKILL);
    Survivors(stubborn, 1000);
    return int(found.size());
}
