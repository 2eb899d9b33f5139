#include "storage/atomicfile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void SyncFolder(const QString& folder) {
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

TAtomicFile::TAtomicFile(const QString& path) : m_path(path) {}

TAtomicFile::~TAtomicFile() {
    Abort();
}

bool TAtomicFile::Open() {
    Abort();
    m_failed = false;
    const QByteArray target = QFile::encodeName(m_path);
    struct stat st {};
    if (::stat(target.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || ::access(target.constData(), W_OK) != 0) return false;
    }
    const QFileInfo info(m_path);
    m_tempName = QFile::encodeName(info.absolutePath() + QLatin1String("/.") + info.fileName() +
                                   QLatin1String(".tmp-XXXXXX"));
    m_fd = ::mkostemp(m_tempName.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_tempName.clear();
        return false;
    }
    ::fchmod(m_fd, 0600);
    return true;
}

bool TAtomicFile::Write(const char* data, qint64 size) {
    if (m_fd < 0 || m_failed) return false;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_failed = true;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool TAtomicFile::WriteAt(qint64 offset, const char* data, qint64 size) {
    if (m_fd < 0 || m_failed || offset < 0) return false;
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, data, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_failed = true;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

bool TAtomicFile::Commit() {
    if (m_fd < 0) return false;
    bool ok = !m_failed && ::fsync(m_fd) == 0;
    ok = (::close(m_fd) == 0) && ok;
    m_fd = -1;
    if (ok) ok = ::rename(m_tempName.constData(), QFile::encodeName(m_path).constData()) == 0;
    if (!ok) {
        ::unlink(m_tempName.constData());
        m_tempName.clear();
        return false;
    }
    m_tempName.clear();
    SyncFolder(QFileInfo(m_path).absolutePath());
    return true;
}

void TAtomicFile::Abort() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlink(m_tempName.constData());
        m_tempName.clear();
    }
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes) {
    TAtomicFile file(path);
    return file.Open() && file.Write(bytes) && file.Commit();
}

void RemoveStaleTempFiles(const QString& folder) {
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral(".*.tmp-??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        QFile::remove(dir.filePath(name));
}

bool MakePrivateFolder(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isDir()) return true;
    if (info.exists()) return false;
    // Every level the program has to make is its own: 0700, as desktops make their data folders.
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        if (QFileInfo(current).isDir()) continue;
        if (::mkdir(QFile::encodeName(current).constData(), 0700) != 0 && errno != EEXIST) return false;
    }
    return QFileInfo(path).isDir();
}

bool IsRealFolder(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

void MakePrivateFile(const QString& path) {
    ::chmod(QFile::encodeName(path).constData(), 0600);
}
