#include "storage/tsavetransaction.h"
#include "storage/tabledefs.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
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
#include <utility>

namespace {

const QString kDebtFolder = QStringLiteral("Debt");
const QString kJournalMark = QStringLiteral("Vellumora save");
const QString kEndMark = QStringLiteral("end");
// A journal of version 1 names the renames only; version 2 adds each new content's size and SHA-256.
const QString kVersion1 = QStringLiteral("1");
const QString kVersion2 = QStringLiteral("2");
// How many files a save of version 1 flushed one by one; more were flushed with their names by syncfs.
constexpr size_t kVersion1FilesSyncedOneByOne = 8;

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

QByteArray Sha256Hex(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool IsSha256Hex(const QString& text) {
    if (text.size() != 64) return false;
    for (QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

struct TJournalEntry {
    QString target; // relative to the base folder
    QString temp;   // the temporary file's name, in the target's folder
    qint64 size = -1;
    QByteArray sha256; // hex; empty in a journal of version 1
};

struct TJournal {
    bool checked = false; // version 2: each new content can be recognised
    std::vector<TJournalEntry> entries;
};

// What lies at a path, links not followed.
enum class TKind { Missing, File, Folder, Link, Other };

TKind KindOf(const QString& path) {
    struct stat st {};
    if (::lstat(Native(path).constData(), &st) != 0) return TKind::Missing;
    if (S_ISLNK(st.st_mode)) return TKind::Link;
    if (S_ISREG(st.st_mode)) return TKind::File;
    if (S_ISDIR(st.st_mode)) return TKind::Folder;
    return TKind::Other;
}

// The file, not a link, holds exactly the content a journal of version 2 names.
bool HoldsContent(const QString& path, const TJournalEntry& e) {
    QByteArray bytes;
    return ReadTableFile(path, bytes) == TTableFileState::File && bytes.size() == e.size &&
           Sha256Hex(bytes) == e.sha256;
}

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
bool ParseJournal(const QByteArray& bytes, TJournal& journal) {
    TMemTable table;
    if (!table.LoadFromBytes(bytes) || table.RowCount() < 2) return false;
    const TTableRow* head = table.Row(0);
    const TTableRow* end = table.Row(table.RowCount() - 1);
    if (head->Cell(col::journal::Mark) != kJournalMark || end->CellCount() != col::journal::EndCells ||
        end->Cell(col::journal::EndMark) != kEndMark)
        return false;
    const QString version = head->Cell(col::journal::Version);
    if (version != kVersion1 && version != kVersion2) return false;
    journal.checked = version == kVersion2;
    TMemTable body;
    for (int i = 0; i + 1 < table.RowCount(); ++i)
        body.AddRow()->SetCells(table.Row(i)->Cells());
    if (end->Cell(col::journal::RenameCount) != QString::number(table.RowCount() - 2) ||
        end->Cell(col::journal::Digest) != QString::fromLatin1(Sha256Hex(body.ToBytes())))
        return false;
    const int cells = journal.checked ? col::journal::EntryCells : col::journal::Size;
    for (int i = 1; i + 1 < table.RowCount(); ++i) {
        const TTableRow* row = table.Row(i);
        TJournalEntry e;
        e.target = row->Cell(col::journal::Target);
        e.temp = row->Cell(col::journal::Temp);
        if (row->CellCount() != cells || !IsJournalTarget(e.target) ||
            !IsTempOf(e.temp, FileNameOf(e.target)))
            return false;
        if (journal.checked) {
            bool ok = false;
            e.size = row->Cell(col::journal::Size).toLongLong(&ok);
            const QString sha = row->Cell(col::journal::Sha256);
            if (!ok || e.size < 0 || !IsSha256Hex(sha)) return false;
            e.sha256 = sha.toLatin1();
        }
        journal.entries.push_back(e);
    }
    return true;
}

// One rename of a complete journal as the disk shows it now.
struct TEntryState {
    QString target; // absolute paths
    QString temp;
    bool waiting = false; // the temporary file holds the new content and is still to be renamed
    TFileError fault;     // neither waiting nor in place: the journal cannot be carried out
};

TEntryState StateOf(const QString& baseFolder, const TJournal& journal, const TJournalEntry& e) {
    const QString where = FolderOf(baseFolder, e.target);
    TEntryState s;
    s.target = JoinPath(where, FileNameOf(e.target));
    s.temp = JoinPath(where, e.temp);
    if (e.target.startsWith(kDebtFolder + QLatin1Char('/'))) {
        const TKind debt = KindOf(where);
        if (debt != TKind::Folder) {
            s.fault.SetOnce(where, debt == TKind::Link ? fileerror::kFolderIsLink : ENOTDIR);
            return s;
        }
    }
    // Only a regular file is taken for a temporary file; anything else by its name is not the program's
    // and is never renamed.
    if (KindOf(s.temp) == TKind::File) {
        if (journal.checked && !HoldsContent(s.temp, e)) {
            s.fault.SetOnce(s.target, fileerror::kNewContentBroken);
            return s;
        }
        s.waiting = true;
    }
    // Neither replaced nor taken for the new content: whatever a link points at is not the program's.
    if (KindOf(s.target) == TKind::Link) s.fault.SetOnce(s.target, fileerror::kLinkInPlace);
    if (s.waiting || s.fault.Failed()) return s;
    if (journal.checked) {
        if (!HoldsContent(s.target, e)) s.fault.SetOnce(s.target, fileerror::kNewContentLost);
        return s;
    }
    // Version 1 cannot tell a file put in place from one whose temporary file a power cut took. Its
    // save flushed the journal's folder after writing the journal, and with more than eight files
    // flushed the whole file system before it: those temporary files were on the disk, so only their
    // renames can have taken them.
    if (where != baseFolder && journal.entries.size() <= kVersion1FilesSyncedOneByOne)
        s.fault.SetOnce(s.target, fileerror::kCannotBeChecked);
    return s;
}

// The journal of a base folder: false when there is none or it is torn.
bool ReadJournal(const QString& folder, TJournal& journal) {
    const QString path = JoinPath(folder, savejournal::kFileName);
    QByteArray bytes;
    if (KindOf(path) == TKind::File) ReadTableFile(path, bytes);
    return ParseJournal(bytes, journal);
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
    const QString relative = RelativeName(m_baseFolder, target);
    if (relative.isEmpty()) return Fail(target, EINVAL);
    if (!CheckFolderOf(relative)) return false;
    const QByteArray native = Native(target);
    switch (KindOf(target)) {
    case TKind::Link:
        // Not written through, nor replaced: whatever it points at is not the program's.
        return Fail(target, fileerror::kLinkInPlace);
    case TKind::Folder:
        return Fail(target, EISDIR);
    case TKind::Missing:
        break;
    default:
        // A file the user may not write stays as it is, as the file manager shows it (read-only).
        if (::access(native.constData(), W_OK) != 0) return Fail(target, errno);
    }
    const QFileInfo info(target);
    QByteArray temp = Native(info.absolutePath() + QLatin1Char('/') + TempPattern(info.fileName()));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Fail(target, errno);
    ::fchmod(fd, 0600);
    TEntry entry{target, QFile::decodeName(temp), fd, bytes.size(), QByteArray()};
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
    // Digests only go into a journal, which a save of one file does without: the first file's bytes
    // are kept (shared, not copied) until a second one comes.
    if (m_entries.empty()) {
        m_firstBytes = bytes;
    } else {
        if (m_entries.size() == 1) m_entries.front().sha256 = Sha256Hex(std::exchange(m_firstBytes, {}));
        entry.sha256 = Sha256Hex(bytes);
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

// The files of the "Debt" folder go only into the base's own folder, never through a link to another.
bool TSaveTransaction::CheckFolderOf(const QString& relative) {
    if (!relative.startsWith(kDebtFolder + QLatin1Char('/'))) return true;
    const QString debt = JoinPath(m_baseFolder, kDebtFolder);
    switch (KindOf(debt)) {
    case TKind::Folder:
        return true;
    case TKind::Link:
        return Fail(debt, fileerror::kFolderIsLink);
    case TKind::Missing:
        return Fail(debt, ENOENT);
    default:
        return Fail(debt, ENOTDIR);
    }
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
    table.AddRow()->SetCells({kJournalMark, kVersion2});
    for (const TEntry& e : m_entries)
        table.AddRow()->SetCells({RelativeName(m_baseFolder, e.target), QFileInfo(e.temp).fileName(),
                                  QString::number(e.size), QString::fromLatin1(e.sha256)});
    const QByteArray body = table.ToBytes();
    table.AddRow()->SetCells(
        {kEndMark, QString::number(m_entries.size()), QString::fromLatin1(Sha256Hex(body))});
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
    for (const QString& path : m_removals) {
        const QString relative = RelativeName(m_baseFolder, path);
        if (relative.isEmpty()) Fail(path, EINVAL);
        if (m_failed || !CheckFolderOf(relative)) break;
    }
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
    const bool journal = m_entries.size() > 1;
    if (journal) {
        // The temporary files' names reach the disk before the journal that names them: a power cut
        // that kept the journal and lost a name would leave a rename that can never be made.
        SyncFolders(folders);
        if (m_failed || !WriteJournal()) {
            Abort();
            return false;
        }
    }
    // From here the save is made: a rename that fails leaves the journal for the next try.
    for (const TEntry& e : m_entries)
        if (::rename(Native(e.temp).constData(), Native(e.target).constData()) != 0) Fail(e.target, errno);
    if (!journal && m_failed) ::unlink(Native(m_entries.front().temp).constData());
    m_entries.clear();
    m_firstBytes.clear();
    SyncFolders(folders);
    if (journal && !m_failed) {
        // Its removal is flushed too: a journal that a power cut brought back would meet files a later
        // save has put in place since, and could no longer recognise its own.
        const QString path = JoinPath(m_baseFolder, savejournal::kFileName);
        if (::unlink(Native(path).constData()) != 0)
            Fail(path, errno);
        else if (const int code = FsyncFolder(m_baseFolder))
            Fail(m_baseFolder, code);
    }
    if (m_failed) return false;
    // Files no longer part of the base (returns of debts that are gone) are removed only once the
    // new files are in place; one left behind by a crash is never read. Only the program's own files:
    // a link or a folder by such a name stays.
    QStringList removed;
    for (const QString& path : m_removals) {
        if (KindOf(path) == TKind::File && ::unlink(Native(path).constData()) == 0) {
            const QString folder = QFileInfo(path).absolutePath();
            if (!removed.contains(folder)) removed.append(folder);
        }
    }
    m_removals.clear();
    SyncFolders(removed);
    return !m_failed;
}

void TSaveTransaction::Abort() {
    m_firstBytes.clear();
    for (TEntry& e : m_entries) {
        if (e.fd >= 0) ::close(e.fd);
        ::unlink(Native(e.temp).constData());
    }
    m_entries.clear();
    m_removals.clear();
}

bool RecoverInterruptedSave(const QString& baseFolder, TFileError* error) {
    const QString folder = Clean(baseFolder);
    const QString journalPath = JoinPath(folder, savejournal::kFileName);
    const QByteArray nativeJournal = Native(journalPath);
    if (KindOf(journalPath) == TKind::Missing) return true;
    auto fail = [&](const QString& path, int code) {
        if (error) error->SetOnce(path, code);
        return false;
    };
    TJournal journal;
    if (!ReadJournal(folder, journal)) {
        // Torn: the save never reached its renames, so the old files stand. Its temporary files go.
        // A journal that cannot be removed leaves the books whole all the same.
        RemoveStaleTempFiles(folder);
        if (KindOf(JoinPath(folder, kDebtFolder)) == TKind::Folder)
            RemoveStaleTempFiles(JoinPath(folder, kDebtFolder));
        if (::unlink(nativeJournal.constData()) == 0) FsyncFolder(folder);
        return true;
    }
    // Every rename is known to be possible before the first is made: one that is not leaves the files
    // as they are for the next try.
    std::vector<TEntryState> states;
    for (const TJournalEntry& e : journal.entries) {
        states.push_back(StateOf(folder, journal, e));
        if (states.back().fault.Failed()) return fail(states.back().fault.path, states.back().fault.code);
    }
    QStringList folders;
    for (const TEntryState& s : states) {
        if (!s.waiting) continue;
        if (::rename(Native(s.temp).constData(), Native(s.target).constData()) != 0)
            return fail(s.target, errno);
        const QString where = QFileInfo(s.target).absolutePath();
        if (!folders.contains(where)) folders.append(where);
    }
    for (const QString& where : folders)
        if (const int code = FsyncFolder(where)) return fail(where, code);
    if (::unlink(nativeJournal.constData()) != 0) return fail(journalPath, errno);
    if (const int code = FsyncFolder(folder)) return fail(folder, code);
    return true;
}

TUnfinishedSave InspectInterruptedSave(const QString& baseFolder) {
    TUnfinishedSave view;
    const QString folder = Clean(baseFolder);
    TJournal journal;
    if (!ReadJournal(folder, journal)) return view;
    for (const TJournalEntry& e : journal.entries) {
        const TEntryState s = StateOf(folder, journal, e);
        if (s.waiting) view.newContent[s.target] = s.temp;
    }
    return view;
}

QString TUnfinishedSave::ReadPath(const QString& path) const {
    if (newContent.empty()) return path;
    const auto it = newContent.find(Clean(path));
    return it == newContent.end() ? path : it->second;
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
        if (KindOf(JoinPath(folder, savejournal::kFileName)) != TKind::Missing) return true;
    return false;
}

bool IsSaveScratchName(const QString& fileName) {
    if (fileName == savejournal::kFileName) return true;
    const int mark = fileName.lastIndexOf(QStringLiteral(".tmp-"));
    return fileName.startsWith(QLatin1Char('.')) && mark > 0 && IsTempOf(fileName, fileName.mid(1, mark - 1));
}
