#include "storage/tsavetransaction.h"
#include "storage/tabledefs.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbaselock.h"
#include "storage/tmemtable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDebtFolder = QStringLiteral("Debt");
const QString kJournalMark = QStringLiteral("Vellumora save");
const QString kEndMark = QStringLiteral("end");

QString Clean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool IsPlainName(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name == savejournal::kFileName) return false;
    for (QChar c : name)
        if (c.unicode() < 32 || c == QLatin1Char('/') || c == QLatin1Char('\\')) return false;
    return true;
}

// Where a file of the transaction lies, as the journal names it: "rashod", "Debt/debt3" or "../user".
QString RelativeName(const QString& baseFolder, const QString& path) {
    const QFileInfo info(path);
    const QString folder = QDir::cleanPath(info.absolutePath());
    const QString name = info.fileName();
    if (!IsPlainName(name)) return QString();
    if (folder == baseFolder) return name;
    if (folder == baseFolder + QLatin1Char('/') + kDebtFolder) return kDebtFolder + QLatin1Char('/') + name;
    if (folder == QDir::cleanPath(baseFolder + QStringLiteral("/.."))) return QStringLiteral("../") + name;
    return QString();
}

// Only the files a save writes can be named by a journal, so a journal that came from elsewhere (an
// archive, say) can never put a file anywhere else.
bool IsJournalTarget(const QString& relative) {
    static const QRegularExpression debt(QStringLiteral("^Debt/debt[0-9]{1,9}$"));
    if (relative.startsWith(QLatin1String("../"))) return relative == QLatin1String("../user");
    if (relative.startsWith(kDebtFolder + QLatin1Char('/'))) return debt.match(relative).hasMatch();
    return IsPlainName(relative);
}

QString TempPattern(const QString& fileName) {
    return QLatin1Char('.') + fileName + QStringLiteral(".tmp-XXXXXX");
}

bool IsTempOf(const QString& temp, const QString& fileName) {
    const QString prefix = QLatin1Char('.') + fileName + QStringLiteral(".tmp-");
    if (!temp.startsWith(prefix) || temp.size() != prefix.size() + 6) return false;
    for (int i = prefix.size(); i < temp.size(); ++i)
        if (!temp[i].isLetterOrNumber() || temp[i].unicode() > 127) return false;
    return true;
}

int FsyncFolder(const QString& folder) {
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int rc = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return rc;
}

QByteArray JournalDigest(const QByteArray& rows) {
    return QCryptographicHash::hash(rows, QCryptographicHash::Sha256).toHex();
}

struct TJournalEntry {
    QString target; // relative to the base folder
    QString temp;   // the temporary file's name, in the target's folder
};

QString FolderOf(const QString& baseFolder, const QString& relative) {
    const int slash = relative.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return baseFolder;
    return QDir::cleanPath(baseFolder + QLatin1Char('/') + relative.left(slash));
}

QString FileNameOf(const QString& relative) {
    return relative.mid(relative.lastIndexOf(QLatin1Char('/')) + 1);
}

// A journal is complete when it reads whole, names only files a save writes and ends with the count
// and the digest of what comes before it.
bool ParseJournal(const QByteArray& bytes, std::vector<TJournalEntry>& entries) {
    TMemTable table;
    if (!table.LoadFromBytes(bytes) || table.RowCount() < 2) return false;
    const TTableRow* head = table.Row(0);
    const TTableRow* end = table.Row(table.RowCount() - 1);
    if (head->Cell(col::journal::Mark) != kJournalMark || end->CellCount() != col::journal::EndCells ||
        end->Cell(col::journal::EndMark) != kEndMark)
        return false;
    TMemTable body;
    for (int i = 0; i + 1 < table.RowCount(); ++i)
        body.AddRow()->SetCells(table.Row(i)->Cells());
    if (end->Cell(col::journal::RenameCount) != QString::number(table.RowCount() - 2) ||
        end->Cell(col::journal::Digest) != QString::fromLatin1(JournalDigest(body.ToBytes())))
        return false;
    for (int i = 1; i + 1 < table.RowCount(); ++i) {
        const TTableRow* row = table.Row(i);
        TJournalEntry e{row->Cell(col::journal::Temp), row->Cell(col::journal::Target)};
        if (row->CellCount() != 2 || !IsJournalTarget(e.target) || !IsTempOf(e.temp, FileNameOf(e.target)))
            return false;
        entries.push_back(e);
    }
    return true;
}

} // namespace

TSaveTransaction::TSaveTransaction(const QString& baseFolder) : m_baseFolder(Clean(baseFolder)) {}

TSaveTransaction::~TSaveTransaction() {
    Abort();
    if (m_folderFd >= 0) ::close(m_folderFd);
}

bool TSaveTransaction::Fail(const QString& path, int code) {
    m_error.SetOnce(path, code);
    m_failed = true;
    return false;
}

bool TSaveTransaction::Stage(const QString& path, const QByteArray& bytes) {
    if (m_failed) return false;
    // Opened before the first file is written: a flush of the whole file system through it then
    // reports the write errors of this save.
    if (m_folderFd < 0)
        m_folderFd = ::open(Native(m_baseFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) return Fail(m_baseFolder, errno);
    const QString target = Clean(path);
    if (RelativeName(m_baseFolder, target).isEmpty()) return Fail(target, EINVAL);
    const QByteArray native = Native(target);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Fail(target, EISDIR);
        // A file the user may not write stays as it is, as the file manager shows it (read-only).
        if (::access(native.constData(), W_OK) != 0) return Fail(target, errno);
    }
    const QFileInfo info(target);
    QByteArray temp = Native(info.absolutePath() + QLatin1Char('/') + TempPattern(info.fileName()));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Fail(target, errno);
    ::fchmod(fd, 0600);
    TEntry entry{target, QFile::decodeName(temp), fd};
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(temp.constData());
            return Fail(target, code);
        }
        data += n;
        left -= n;
    }
    m_entries.push_back(entry);
    if (!m_bulk && int(m_entries.size()) > kFilesSyncedOneByOne) {
        // From here on the files are flushed together; the ones kept open for their own flush close.
        m_bulk = true;
        for (TEntry& e : m_entries)
            if (e.fd >= 0) {
                if (::close(e.fd) != 0) Fail(e.target, errno);
                e.fd = -1;
            }
    } else if (m_bulk) {
        if (::close(m_entries.back().fd) != 0) Fail(target, errno);
        m_entries.back().fd = -1;
    }
    return !m_failed;
}

void TSaveTransaction::Remove(const QString& path) {
    m_removals.append(Clean(path));
}

bool TSaveTransaction::Flush() {
    if (m_bulk) {
        if (::syncfs(m_folderFd) != 0) return Fail(m_baseFolder, errno);
        return true;
    }
    for (TEntry& e : m_entries) {
        if (e.fd < 0) continue;
        if (::fsync(e.fd) != 0) Fail(e.target, errno);
        if (::close(e.fd) != 0) Fail(e.target, errno);
        e.fd = -1;
    }
    return !m_failed;
}

bool TSaveTransaction::WriteJournal() {
    TMemTable table;
    table.AddRow()->SetCells({kJournalMark, QStringLiteral("1")});
    for (const TEntry& e : m_entries)
        table.AddRow()->SetCells({RelativeName(m_baseFolder, e.target), QFileInfo(e.temp).fileName()});
    const QByteArray body = table.ToBytes();
    table.AddRow()->SetCells(
        {kEndMark, QString::number(m_entries.size()), QString::fromLatin1(JournalDigest(body))});
    const QByteArray bytes = table.ToBytes();

    const QString path = JoinPath(m_baseFolder, savejournal::kFileName);
    const QByteArray native = Native(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return Fail(path, errno);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    int code = 0;
    while (left > 0 && code == 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            code = n < 0 ? errno : EIO;
            break;
        }
        data += n;
        left -= n;
    }
    if (code == 0 && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0) code = FsyncFolder(m_baseFolder);
    if (code != 0) {
        // Not made: the journal goes, and a piece of it left behind would read as torn.
        ::unlink(native.constData());
        return Fail(path, code);
    }
    return true;
}

void TSaveTransaction::SyncFolders(const QStringList& folders) {
    for (const QString& folder : folders)
        if (const int code = FsyncFolder(folder)) Fail(folder, code);
}

bool TSaveTransaction::Commit() {
    if (m_failed) {
        Abort();
        return false;
    }
    if (IsEmpty()) return true;
    if (!Flush()) {
        Abort();
        return false;
    }
    QStringList folders;
    for (const TEntry& e : m_entries) {
        const QString folder = QFileInfo(e.target).absolutePath();
        if (!folders.contains(folder)) folders.append(folder);
    }
    const bool journaled = m_entries.size() > 1;
    if (journaled && !WriteJournal()) {
        Abort();
        return false;
    }
    // From here the save is made: a rename that fails leaves the journal for the next try.
    for (const TEntry& e : m_entries)
        if (::rename(Native(e.temp).constData(), Native(e.target).constData()) != 0) Fail(e.target, errno);
    const bool single = m_entries.size() == 1;
    if (single && m_failed) ::unlink(Native(m_entries.front().temp).constData());
    m_entries.clear();
    SyncFolders(folders);
    if (journaled && !m_failed) {
        // The renames are on the disk: a journal that a crash brings back finds none of its temporary
        // files and is dropped, so its removal needs no flush of its own.
        const QString journal = JoinPath(m_baseFolder, savejournal::kFileName);
        if (::unlink(Native(journal).constData()) != 0) Fail(journal, errno);
    }
    if (m_failed) return false;
    // Files no longer part of the base (returns of debts that are gone) are removed only once the
    // new files are in place; one left behind by a crash is never read.
    QStringList removed;
    for (const QString& path : m_removals) {
        if (::unlink(Native(path).constData()) == 0) {
            const QString folder = QFileInfo(path).absolutePath();
            if (!removed.contains(folder)) removed.append(folder);
        }
    }
    m_removals.clear();
    SyncFolders(removed);
    return !m_failed;
}

void TSaveTransaction::Abort() {
    for (TEntry& e : m_entries) {
        if (e.fd >= 0) ::close(e.fd);
        ::unlink(Native(e.temp).constData());
    }
    m_entries.clear();
    m_removals.clear();
}

bool RecoverInterruptedSave(const QString& baseFolder, TFileError* error) {
    const QString folder = Clean(baseFolder);
    const QString journal = JoinPath(folder, savejournal::kFileName);
    const QByteArray nativeJournal = Native(journal);
    struct stat st {};
    if (::lstat(nativeJournal.constData(), &st) != 0) return true;
    auto fail = [&](const QString& path, int code) {
        if (error) error->SetOnce(path, code);
        return false;
    };
    QByteArray bytes;
    QFile file(journal);
    if (S_ISREG(st.st_mode) && file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    file.close();
    std::vector<TJournalEntry> entries;
    if (!ParseJournal(bytes, entries)) {
        // Torn: the save never reached its renames, so the old files stand. Its temporary files go.
        RemoveStaleTempFiles(folder);
        RemoveStaleTempFiles(JoinPath(folder, kDebtFolder));
        if (::unlink(nativeJournal.constData()) != 0) return fail(journal, errno);
        if (const int code = FsyncFolder(folder)) return fail(folder, code);
        return true;
    }
    QStringList folders;
    for (const TJournalEntry& e : entries) {
        const QString where = FolderOf(folder, e.target);
        const QByteArray temp = Native(JoinPath(where, e.temp));
        if (::access(temp.constData(), F_OK) != 0) continue; // already in place
        const QByteArray target = Native(JoinPath(where, FileNameOf(e.target)));
        if (::rename(temp.constData(), target.constData()) != 0)
            return fail(JoinPath(where, FileNameOf(e.target)), errno);
        if (!folders.contains(where)) folders.append(where);
    }
    for (const QString& where : folders)
        if (const int code = FsyncFolder(where)) return fail(where, code);
    if (::unlink(nativeJournal.constData()) != 0) return fail(journal, errno);
    if (const int code = FsyncFolder(folder)) return fail(folder, code);
    return true;
}

namespace {

QStringList BaseFolders(const QString& baseRoot) {
    QStringList folders;
    const QDir root(baseRoot);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        folders.append(root.filePath(name));
    return folders;
}

} // namespace

void RecoverInterruptedSaves(const QString& baseRoot) {
    // A base another program has open is that program's to complete: its journal may be a save it is
    // making right now.
    for (const QString& folder : BaseFolders(baseRoot))
        if (!BaseHeldElsewhere(folder)) RecoverInterruptedSave(folder);
}

bool AnySaveJournal(const QString& baseRoot) {
    for (const QString& folder : BaseFolders(baseRoot))
        if (QFileInfo::exists(JoinPath(folder, savejournal::kFileName))) return true;
    return false;
}

bool IsSaveScratchName(const QString& fileName) {
    if (fileName == savejournal::kFileName) return true;
    const int mark = fileName.lastIndexOf(QStringLiteral(".tmp-"));
    return fileName.startsWith(QLatin1Char('.')) && mark > 0 && IsTempOf(fileName, fileName.mid(1, mark - 1));
}
