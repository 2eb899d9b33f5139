#include "storage/tinstancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TFileLock::~TFileLock() {
    Release();
}

TFileLock::Result TFileLock::Acquire(const QString& path) {
    Release();
    m_path = path;
    m_error = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_error = errno;
        return Result::CannotOpen;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = errno;
        ::close(fd);
        return m_error == EWOULDBLOCK ? Result::Busy : Result::CannotOpen;
    }
    m_fd = fd;
    return Result::Locked;
}

void TFileLock::Release() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

QString InstanceLockName(const QString& programFile) {
    const QString path = QDir::cleanPath(QFileInfo(programFile).absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha1).toHex().left(16);
    // The account is in the name too: the temp folder is shared by every account of the machine.
    return QStringLiteral("vellumora-%1-%2.lock").arg(::getuid()).arg(QString::fromLatin1(hash));
}

QString InstanceLockPath(const QString& programFile) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir()) return TempInstanceLockPath(programFile);
    return runtime + QLatin1Char('/') + InstanceLockName(programFile);
}

QString TempInstanceLockPath(const QString& programFile) {
    return QDir::tempPath() + QLatin1Char('/') + InstanceLockName(programFile);
}
