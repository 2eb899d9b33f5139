#include "backup/tdailyarhive.h"

#include "backup/tarhivetype.h"
#include "backup/tfilezipper.h"
#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "users/basefolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace {

// The new archive is made under this prefix and checked before it takes the day's name.
const QString kCheckPrefix = QStringLiteral(".check-");

bool IsOwnScratch(const QString& relativePath) {
    return TDailyArhive::IsLeftCheck(QFileInfo(relativePath).fileName());
}

} // namespace

bool TDailyArhive::IsLeftCheck(const QString& fileName) {
    // The packed check, or the temporary file it is written as before it takes its own name.
    static const QRegularExpression name(QStringLiteral(
        R"(^(\.check-\d{4}-\d{2}-\d{2}\.zip|\.\.check-\d{4}-\d{2}-\d{2}\.zip\.tmp-[A-Za-z0-9]{6})$)"));
    return name.match(fileName).hasMatch();
}

void TDailyArhive::RemoveLeftChecks(const QString& backupCopyFolder) {
    const QDir copies(backupCopyFolder);
    for (const QFileInfo& base : copies.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (base.isSymLink()) continue;
        const QDir folder(base.absoluteFilePath());
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
            if (!file.isSymLink() && IsLeftCheck(file.fileName())) QFile::remove(file.absoluteFilePath());
    }
}

QString TDailyArhive::Folder() const {
    return JoinPath(m_state.paths.backupCopyFolder, m_state.baseName);
}

QString TDailyArhive::DayFile(const QDate& day) const {
    return JoinPath(Folder(), arhive::DayFileName(day));
}

QStringList TDailyArhive::FilesInNameOrder(const QString& folder) {
    QStringList files;
    for (const TZipFile& file : TFileZipper::FolderFiles(folder))
        files << file.name;
    return files;
}

bool TDailyArhive::Write(const QDate& today) {
    // A base open read-only is another program's to copy.
    if (m_state.baseName.isEmpty() || m_state.baseFolder.isEmpty() ||
        m_state.paths.backupCopyFolder.isEmpty() || !MayChangeBase(m_state))
        return false;
    const QString folder = Folder();
    if (!MakePrivateFolder(folder)) return false;
    const QString dayName = arhive::DayFileName(today);
    const QString dayFile = JoinPath(folder, dayName);
    const bool damaged = m_state.damaged || SameFolder(m_damagedFolder, m_state.baseFolder);
    if (damaged && QFileInfo::exists(dayFile)) return false;
    // The books on disk are not the ones the family saw: the copy of the day stays as it was.
    if (m_state.saveFailed) return false;

    // Checks an interrupted run left behind are not copies.
    QStringList files = FilesInNameOrder(folder);
    for (const QString& rel : files)
        if (IsOwnScratch(rel)) QFile::remove(JoinPath(folder, rel));
    files.erase(std::remove_if(files.begin(), files.end(), IsOwnScratch), files.end());
    // Decided as the folder stands before today's copy, carried out only once that copy is sound.
    const QStringList thinned = files.mid(0, std::max<qsizetype>(0, files.size() - kKept));

    const QString check = JoinPath(folder, kCheckPrefix + dayName);
    QString error;
    bool ok = arhive::PackBase(m_state, check, error);
    if (ok && afterPacking) afterPacking(check);
    // Good only when a restore would take it: whole, and every table of it read back as a table.
    ok = ok && arhive::ReadsBackWhole(check);
    ok = ok && ::rename(QFile::encodeName(check).constData(), QFile::encodeName(dayFile).constData()) == 0;
    if (!ok) {
        QFile::remove(check);
        return false;
    }
    SyncFolder(folder);
    for (const QString& rel : thinned) {
        if (rel == dayName) continue; // replaced by today's copy, not an old one
        const QString path = JoinPath(folder, rel);
        QFile file(path);
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
        file.remove();
    }
    return true;
}
