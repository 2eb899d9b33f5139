#include "storage/tfilecopier.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

// The names in a folder, sorted; false when the folder cannot be listed.
bool ListFolder(const QString& folder, QStringList& names) {
    DIR* dir = ::opendir(Native(folder).constData());
    if (!dir) return false;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String("..")) names.append(name);
        errno = 0;
    }
    const bool ok = errno == 0;
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return ok;
}

void GiveTimes(const QString& path, const struct stat& from) {
    const struct timespec times[2] = {from.st_atim, from.st_mtim};
    ::utimensat(AT_FDCWD, Native(path).constData(), times, 0);
}

void GiveAttributes(const QString& path, const struct stat& from) {
    ::chmod(Native(path).constData(), from.st_mode & 07777);
}

// Reads exactly size bytes unless the file ends first.
qint64 ReadSome(int fd, char* buffer, qint64 size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n >= 0 || errno != EINTR) return n;
    }
}

} // namespace

void TFileCopier::Reset() {
    m_files = 0;
    m_bytes = 0;
    m_failures.clear();
}

bool TFileCopier::Fail(const QString& source, const QString& destination, TCopyFailure reason) {
    m_failures.push_back({source, destination, reason});
    return false;
}

bool TFileCopier::CopyFolder(const QString& source, const QString& destination, bool attributes, bool times,
                             bool overwriteFiles) {
    copyAttributes = attributes;
    copyTimes = times;
    overwrite = overwriteFiles;
    return CopyFolder(source, destination);
}

bool TFileCopier::CopyFolder(const QString& source, const QString& destination) {
    Reset();
    const QString from = WithTrailingSlash(source);
    const QString to = WithTrailingSlash(destination);
    if (!QFileInfo(from).isDir()) return Fail(from, to, TCopyFailure::SourceMissing);
    if (IsSameOrInside(to, from)) return Fail(from, to, TCopyFailure::IntoItself);
    return CopyTree(from, to);
}

bool TFileCopier::CopyFile(const QString& source, const QString& destination) {
    Reset();
    return CopyOneFile(source, destination);
}

bool TFileCopier::CopyTree(const QString& source, const QString& destination) {
    if (!MakePrivateFolder(destination)) return Fail(source, destination, TCopyFailure::FolderNotMade);
    QStringList names;
    if (!ListFolder(source, names)) return Fail(source, destination, TCopyFailure::FolderNotListed);

    QStringList folders, files;
    for (const QString& name : names) {
        struct stat st {};
        if (::lstat(Native(JoinPath(source, name)).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            folders.append(name);
        else if (!skip || !skip(name))
            files.append(name);
    }
    bool ok = true;
    for (const QString& name : folders) {
        const QString from = JoinPath(source, name);
        const QString to = JoinPath(destination, name);
        struct stat st {};
        if (::lstat(Native(from).constData(), &st) != 0) {
            ok = Fail(from, to, TCopyFailure::SourceMissing);
            continue;
        }
        if (!CopyTree(WithTrailingSlash(from), WithTrailingSlash(to))) {
            ok = false;
            continue;
        }
        // After the content: writing the files has changed the folder's times.
        if (copyTimes) GiveTimes(to, st);
        if (copyAttributes) GiveAttributes(to, st);
    }
    for (const QString& name : files)
        ok = CopyOneFile(JoinPath(source, name), JoinPath(destination, name)) && ok;
    return ok;
}

bool TFileCopier::CopyOneFile(const QString& source, const QString& destination) {
    const QByteArray from = Native(source);
    const QByteArray to = Native(destination);
    struct stat st {};
    if (::stat(from.constData(), &st) != 0) return Fail(source, destination, TCopyFailure::SourceMissing);
    if (!S_ISREG(st.st_mode)) return Fail(source, destination, TCopyFailure::NotAFile);

    struct stat existing {};
    if (::lstat(to.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return Fail(source, destination, TCopyFailure::DestinationIsFolder);
        if (!overwrite) return Fail(source, destination, TCopyFailure::DestinationExists);
        if (::access(to.constData(), W_OK) != 0 &&
            ::chmod(to.constData(), (existing.st_mode & 07777) | S_IWUSR) != 0)
            return Fail(source, destination, TCopyFailure::WriteFailed);
    }

    const int fd = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(source, destination, TCopyFailure::ReadFailed);
    TAtomicFile target(destination);
    if (!target.Open()) {
        ::close(fd);
        return Fail(source, destination, TCopyFailure::WriteFailed);
    }
    std::vector<char> buffer(size_t(std::max(1, bufferSize)));
    qint64 left = st.st_size;
    bool readOk = true;
    bool writeOk = true;
    while (left > 0) {
        const qint64 n = ReadSome(fd, buffer.data(), std::min<qint64>(left, qint64(buffer.size())));
        if (n <= 0) {
            readOk = false;
            break;
        }
        if (!target.Write(buffer.data(), n)) {
            writeOk = false;
            break;
        }
        left -= n;
    }
    ::close(fd);
    if (!readOk || !writeOk) {
        target.Abort();
        return Fail(source, destination, readOk ? TCopyFailure::WriteFailed : TCopyFailure::ReadFailed);
    }
    if (!target.Commit()) return Fail(source, destination, TCopyFailure::WriteFailed);
    if (copyTimes) GiveTimes(destination, st);
    if (copyAttributes) GiveAttributes(destination, st);
    ++m_files;
    m_bytes += st.st_size;
    return true;
}
