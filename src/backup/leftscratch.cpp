#include "backup/leftscratch.h"

#include "backup/tarhivetype.h"
#include "backup/tdailyarhive.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmemtable.h"
#include "storage/tprogrampaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <sys/stat.h>

namespace {

// One row per scratch folder: its path, and the device and inode it was made with.
const QString kNotesName = QStringLiteral("restore_scratch");

enum : int { kPath, kDevice, kInode, kCells };

bool Identity(const QString& path, QString& device, QString& inode) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    device = QString::number(quint64(st.st_dev));
    inode = QString::number(quint64(st.st_ino));
    return true;
}

void ReadNotes(const QString& notes, TMemTable& table) {
    if (notes.isEmpty() || !table.LoadFromFile(notes)) table.Clear();
}

void WriteNotes(const QString& notes, const TMemTable& table) {
    if (table.RowCount() == 0)
        QFile::remove(notes);
    else
        WriteFileAtomic(notes, table.ToBytes());
}

} // namespace

TScratchFolder::TScratchFolder(const QString& programDataFolder)
    : m_notes(programDataFolder.isEmpty() ? QString() : JoinPath(programDataFolder, kNotesName)) {}

TScratchFolder::~TScratchFolder() {
    Remove();
}

bool TScratchFolder::Make(const QString& path) {
    Remove();
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0) return false;
    m_path = path;
    return Note();
}

bool TScratchFolder::MakeInTemp() {
    Remove();
    QByteArray pattern =
        QFile::encodeName(JoinPath(QDir::tempPath(), QStringLiteral("vellumora-verify-XXXXXX")));
    if (!::mkdtemp(pattern.data())) return false;
    m_path = QFile::decodeName(pattern);
    return Note();
}

bool TScratchFolder::Note() {
    if (m_notes.isEmpty()) return true;
    QString device, inode;
    TMemTable table;
    ReadNotes(m_notes, table);
    // A folder that cannot be noted is not filled: a kill would leave it where nothing proves it ours.
    if (!Identity(m_path, device, inode) || !MakePrivateFolder(QFileInfo(m_notes).absolutePath())) {
        Remove();
        return false;
    }
    table.AddRow()->SetCells({m_path, device, inode});
    if (!WriteFileAtomic(m_notes, table.ToBytes())) {
        Remove();
        return false;
    }
    return true;
}

void TScratchFolder::Remove() {
    if (m_path.isEmpty()) return;
    QDir(m_path).removeRecursively();
    if (!m_notes.isEmpty()) {
        TMemTable table;
        ReadNotes(m_notes, table);
        for (int i = table.RowCount() - 1; i >= 0; --i)
            if (table.Row(i)->Cell(kPath) == m_path) table.DeleteRow(i);
        WriteNotes(m_notes, table);
    }
    m_path.clear();
}

void RemoveLeftScratch(const TProgramPaths& paths) {
    if (!paths.programDataFolder.isEmpty()) {
        const QString notes = JoinPath(paths.programDataFolder, kNotesName);
        TMemTable table;
        ReadNotes(notes, table);
        for (int i = 0; i < table.RowCount(); ++i) {
            const TTableRow* row = table.Row(i);
            QString device, inode;
            if (row->CellCount() >= kCells && Identity(row->Cell(kPath), device, inode) &&
                device == row->Cell(kDevice) && inode == row->Cell(kInode))
                QDir(row->Cell(kPath)).removeRecursively();
        }
        QFile::remove(notes);
    }
    if (!paths.backupCopyFolder.isEmpty()) TDailyArhive::RemoveLeftChecks(paths.backupCopyFolder);
    if (!paths.dataRoot.isEmpty()) arhive::RemoveStaleScratch(paths.dataRoot);
}
