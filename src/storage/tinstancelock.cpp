#include "storage/tinstancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TFileLock::~TFileLock() { Release(); }

TFileLock::Result TFileLock::Acquire(const QString& path) {
    Release();
    m_path = path;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::CannotOpen;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? Result::Busy : Result::CannotOpen;
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

QString InstanceLockPath(const QString& programFile) {
    const QFileInfo info(programFile);
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return info.absoluteFilePath() + QLatin1String(".lock");
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(".lock");
}

QString FallbackInstanceLockPath(const QString& programFile) {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(QFileInfo(programFile).absoluteFilePath()),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return folder + QLatin1String("/vellumora-") + QString::fromLatin1(hash) + QLatin1String(".lock");
}
