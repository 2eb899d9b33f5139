#include "backup/tarhivetype.h"

#include "backup/tfilezipper.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tfilecopier.h"
#include "storage/tmemtable.h"
#include "storage/tmessageboxclass.h"
#include "users/usertables.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace {

const QString kScratchPrefix = QStringLiteral(".vellumora-restore-");
const QString kDebtFolder = QStringLiteral("Debt");

// Files and folders under a folder as relative paths, links neither followed nor listed.
void ListTree(const QString& folder, QStringList& files, QStringList& folders) {
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) continue;
        const QString rel = root.relativeFilePath(info.absoluteFilePath());
        if (info.isDir())
            folders << rel;
        else if (info.isFile())
            files << rel;
    }
}

// The returns files the archive replaces; the copies kept of damaged ones stay for recovery by hand.
bool UnderDebt(const QString& rel) {
    return rel.startsWith(kDebtFolder + QLatin1Char('/')) && !rel.contains(QLatin1String(".damaged-"));
}

bool MoveOrCopy(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    TFileCopier copier;
    copier.overwrite = true;
    return copier.CopyFile(from, to);
}

// Two folders change places in one step where the file system can; otherwise the target is moved aside
// first and put back when the new one cannot take its place.
bool SwapFolders(const QString& fresh, const QString& target, bool targetExists) {
    const QByteArray a = QFile::encodeName(fresh);
    const QByteArray b = QFile::encodeName(target);
    if (!targetExists) return ::rename(a.constData(), b.constData()) == 0;
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    const QByteArray aside = QFile::encodeName(fresh + QStringLiteral(".old"));
    if (::rename(b.constData(), aside.constData()) != 0) return false;
    if (::rename(a.constData(), b.constData()) != 0) {
        ::rename(aside.constData(), b.constData());
        return false;
    }
    return ::rename(aside.constData(), a.constData()) == 0;
}

} // namespace

namespace arhive {

QString DayFileName(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".zip");
}

bool WriteInfo(const TMyType& state) {
    TMemTable users;
    const QString userFile = UserTablePath(state);
    if (QFileInfo(userFile).isFile() && !users.LoadFromFile(userFile)) users.Clear();
    TMemTable info;
    for (int i = 0; i < users.RowCount(); ++i) {
        const TTableRow* row = users.Row(i);
        if (row->Cell(1) != state.baseName) continue;
        info.AddRow()->SetCells({row->Cell(0), row->Cell(1), row->Cell(2), row->Cell(3)});
    }
    info.AddRow()->SetCells({arhivetexts::kSaveMark, state.userName, state.baseName, QString()});
    return info.SaveToFile(JoinPath(state.baseFolder, arhivetexts::kInfoName));
}

bool ReadInfo(const QString& folder, TArhiveInfo& info) {
    info = TArhiveInfo();
    QString path;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (name.compare(arhivetexts::kInfoName, Qt::CaseInsensitive) == 0) {
            path = JoinPath(folder, name);
            break;
        }
    TMemTable table;
    if (path.isEmpty() || !table.LoadFromFile(path)) return false;
    int users = table.RowCount();
    if (users > 0) {
        const TTableRow* last = table.Row(users - 1);
        info.saveRow = last->Cell(0) == arhivetexts::kSaveMark;
        if (info.saveRow) {
            info.user = last->Cell(1);
            info.base = last->Cell(2);
        }
        // An earlier version's last row is not a user either.
        --users;
    }
    for (int i = 0; i < users; ++i) {
        const TTableRow* row = table.Row(i);
        info.users.push_back({row->Cell(0), row->Cell(1), row->Cell(2), row->Cell(3)});
    }
    return true;
}

bool PackBase(const TMyType& state, const QString& archivePath, QString& error) {
    if (state.baseFolder.isEmpty() || !QFileInfo(state.baseFolder).isDir()) {
        error = QStringLiteral("no base folder");
        return false;
    }
    WriteInfo(state);
    TFileZipper zipper;
    if (!zipper.Pack(archivePath, state.baseFolder)) {
        error = zipper.Error();
        return false;
    }
    return true;
}

bool MakeArchive(const TMyType& state, const QString& archivePath) {
    if (QFileInfo::exists(archivePath) &&
        !Messages().AskYesNo({QStringLiteral("Архив с таким именем уже существует"), QStringLiteral("Заменить?")},
                             TMsgButton::No))
        return false;
    QString error;
    if (PackBase(state, archivePath, error)) return true;
    Messages().ShowError({QStringLiteral("Не удалось создать резервную копию в файле"), archivePath});
    return false;
}

QString VerifyFolderFor(const QString& archivePath) {
    const QString base = JoinPath(QFileInfo(archivePath).absolutePath(), arhivetexts::kVerifyFolder);
    QString folder = base;
    for (int n = 1; QFileInfo::exists(folder) || QFileInfo(folder).isSymLink(); ++n)
        folder = base + QStringLiteral("(%1)").arg(n);
    return folder;
}

bool ReplaceFolder(const QString& verifiedFolder, const QString& targetFolder, const QString& scratchParent) {
    if (!MakePrivateFolder(scratchParent)) return false;
    QByteArray pattern = QFile::encodeName(JoinPath(scratchParent, kScratchPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data())) return false;
    const QString scratch = QFile::decodeName(pattern);
    const QString fresh = JoinPath(scratch, QStringLiteral("base"));

    bool ok = MakePrivateFolder(fresh);
    QStringList newFiles, newFolders;
    ListTree(verifiedFolder, newFiles, newFolders);
    for (const QString& rel : newFolders)
        ok = ok && MakePrivateFolder(JoinPath(fresh, rel));
    for (const QString& rel : newFiles)
        ok = ok && MoveOrCopy(JoinPath(verifiedFolder, rel), JoinPath(fresh, rel));

    const QFileInfo targetInfo(targetFolder);
    const bool targetExists = targetInfo.isDir() && !targetInfo.isSymLink();
    if (ok && targetExists) {
        // The base's own files that the archive does not have stay; its debt returns do not.
        QStringList oldFiles, oldFolders;
        ListTree(targetFolder, oldFiles, oldFolders);
        for (const QString& rel : oldFolders)
            ok = ok && MakePrivateFolder(JoinPath(fresh, rel));
        TFileCopier copier;
        for (const QString& rel : oldFiles) {
            if (UnderDebt(rel) || QFileInfo::exists(JoinPath(fresh, rel))) continue;
            ok = ok && copier.CopyFile(JoinPath(targetFolder, rel), JoinPath(fresh, rel));
        }
    }
    if (ok) {
        QStringList files, folders;
        ListTree(fresh, files, folders);
        for (const QString& rel : folders)
            SyncFolder(JoinPath(fresh, rel));
        SyncFolder(fresh);
        ok = SwapFolders(fresh, targetFolder, targetExists);
        SyncFolder(QFileInfo(targetFolder).absolutePath());
    }
    QDir(scratch).removeRecursively();
    SyncFolder(scratchParent);
    return ok;
}

void RemoveStaleScratch(const QString& scratchParent) {
    const QDir parent(scratchParent);
    for (const QString& name : parent.entryList({kScratchPrefix + QStringLiteral("??????")}, QDir::Dirs | QDir::Hidden)) {
        const QFileInfo info(parent.filePath(name));
        if (!info.isSymLink()) QDir(info.absoluteFilePath()).removeRecursively();
    }
}

} // namespace arhive
