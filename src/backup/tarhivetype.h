#pragma once

#include "backup/tzipitem.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class TMemTable;
class TMyType;

namespace arhivetexts {
// The information table packed with a base: its users, then who packed it from which base.
inline const QString kInfoName = QStringLiteral("arviveInfo");
inline const QString kSaveMark = QStringLiteral("Save");
inline const QString kVerifyFolder = QStringLiteral("MyArviveInfo");
} // namespace arhivetexts

// What the information table of an archive says.
struct TArhiveInfo {
    std::vector<QStringList> users; // name, base, role as the user file stores it, password code
    bool saveRow = false;           // made by this version: the last row names the user and the base
    QString user;
    QString base;

    // The user and the base the archive was made by: those of its last row, or, for an archive of an
    // earlier version, the current ones.
    QString ArchivedUser(const QString& currentUser) const { return saveRow ? user : currentUser; }
    QString ArchivedBase(const QString& currentBase) const { return saveRow ? base : currentBase; }
};

// Backup archives of a base: their names, their information table, packing a base, and putting the
// content of a checked archive in place of a base folder.
namespace arhive {

// What a file under a base folder is to an archive, by its path relative to the folder.
enum class TBaseFileRole {
    // The tables, the debts' returns "Debt/debt<N>", the settings files, the information table:
    // packed, and all a restore takes.
    Own,
    // The program's working files in the folder (a save's journal and temporary files): never packed
    // nor taken, and not worth a word.
    Scratch,
    // Anything else: never packed; a restore leaves it out and names it.
    Foreign,
};
// The one rule of which files an archive holds: packing and restoring both ask it.
TBaseFileRole BaseFileRole(const QString& relativePath);

// Whether the program can read a file of the base as it does when it opens the base: a table file
// (returns, information table and export copy included) must load as a table, a settings file as
// settings. False for bytes the program would report as damaged or silently replace by defaults.
bool BaseFileReads(const QString& relativePath, const QByteArray& bytes);
// Every entry of an archive decoded with its size and CRC checked, and every file of the base in it
// readable by BaseFileReads: what makes a daily copy good.
bool ReadsBackWhole(const QString& archivePath);

// "2024-03-07.zip"
QString DayFileName(const QDate& day);

// Writes the information table into the open base's folder: the users of that base as the user file
// stores them, then "Save", the current user, the base.
bool WriteInfo(const TMyType& state);
// Reads the information table found in a folder (its name in any letter case); false when there is none
// or it cannot be read.
bool ReadInfo(const QString& folder, TArhiveInfo& info);
// What an information table says.
TArhiveInfo InfoOf(const TMemTable& table);

// The information table is written and the open base's folder packed into the archive, without the
// journal and the temporary files of saves and without the base's lock. An existing file at that path is
// replaced only by a complete archive. False with a text in error.
bool PackBase(const TMyType& state, const QString& archivePath, QString& error);

// The command that makes an archive, once its file was chosen: an existing file is replaced only when
// the user agrees ("Заменить?") and only by a complete archive; a failure is reported. A base open
// read-only is refused with a beep. True when the archive was written.
bool MakeArchive(const TMyType& state, const QString& archivePath);

// What a restore makes of an archive from its listing alone, before a byte of it is unpacked.
enum class TListingCheck {
    Ok,
    NotOurs, // no information table, two entries of one name, or more than a base can be
    Link,    // an entry is a symbolic link
    NoSpace, // the disk has no room for it
};
// The most a restore unpacks: a base of many years is tens of megabytes, so anything near this is
// not one.
inline constexpr quint64 kRestoreLimit = quint64(2) << 30;
// Room left free on the disk after a restore, for the base's own saves and everything else running.
inline constexpr quint64 kFreeSpaceMargin = quint64(64) << 20;

// The entries a restore takes: all but the journal and the temporary files of saves, which belong to
// the base they were written in, and a lock, which names a program of the past.
std::vector<TZipItem> RestorableItems(const std::vector<TZipItem>& items);
// The entries a restore takes: the base's own files. The other files but scratch are named in
// leftOut; folder entries are neither.
std::vector<TZipItem> TakenItems(const std::vector<TZipItem>& items, QStringList& leftOut);
// The stated sizes of the entries added up must stay within the limit and, with the margin, within
// the free bytes; the information table must be there (its name in any letter case), no name may
// come twice (nor the information table twice in any letter case), and no entry may be a link (its
// name then in entry).
TListingCheck CheckListing(const std::vector<TZipItem>& items, quint64 freeBytes, QString* entry = nullptr);
// CheckListing, with a refusal told: the two lines of an archive that is not one of bases (or was
// damaged), or that the disk has no room, then "Архив не был восстановлен"; a link as an unreadable
// table. True when it may be unpacked.
bool AcceptListing(const std::vector<TZipItem>& items, quint64 freeBytes);
// "Данный файл не является архивом баз программы," / "или архив был поврежден", then "Архив не был
// восстановлен".
void TellNotOurs();
// "Архив повреждён: таблица \"<name>\" не читается." / "База не изменена."
void TellUnreadable(const QString& name);
// One information box naming the files a restore left out in name order, at most kNamedLeftOut of
// them by name.
inline constexpr int kNamedLeftOut = 10;
void TellLeftOut(const QStringList& names);

// The name with "(1)", "(2)", ... appended, the first that no user of the table has in any letter case.
QString FreeUserName(const TMemTable& users, const QString& name);

// What a restore over the open base asks before it replaces anything, as the lines of one yes/no
// question ending with "Восстановить?": the archive was made from another base, and, when the users
// are restored too (an administrator's restore), the users of the open base the archive does not
// bring back, who will be gone. Empty when there is nothing to ask. users: the user table as its file
// holds it.
QStringList RestoreOverQuestion(const TArhiveInfo& info, const QString& openBase, const TMemTable& users,
                                bool usersRestored);
// Free bytes on the fullest of the file systems of these folders; the largest number when none can
// be asked (a restore then finds out by writing).
quint64 FreeBytes(const QStringList& folders);

// The scratch folder an archive is checked in: beside the archive, "MyArviveInfo", or "MyArviveInfo(1)",
// "(2)", ... when that name is taken.
QString VerifyFolderFor(const QString& archivePath);

// Makes the target folder hold what the verified folder holds, in one step: the new content is put
// together beside BASE (the verified files moved or copied there, then the target's own files that the
// archive does not have, except the debt returns and the scratch of its saves), flushed to the disk
// whole, and only then does it change places with the target. Any failure leaves the target exactly as
// it was. The verified folder is used up; its files need not have been flushed.
bool ReplaceFolder(const QString& verifiedFolder, const QString& targetFolder, const QString& scratchParent);

// Removes scratch folders of replacements a crash interrupted.
void RemoveStaleScratch(const QString& scratchParent);

} // namespace arhive
