#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

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

// "2024-03-07.zip"
QString DayFileName(const QDate& day);

// Writes the information table into the open base's folder: the users of that base as the user file
// stores them, then "Save", the current user, the base.
bool WriteInfo(const TMyType& state);
// Reads the information table found in a folder (its name in any letter case); false when there is none
// or it cannot be read.
bool ReadInfo(const QString& folder, TArhiveInfo& info);

// The information table is written and the open base's folder packed into the archive. An existing file
// at that path is replaced only by a complete archive. False with a text in error.
bool PackBase(const TMyType& state, const QString& archivePath, QString& error);

// The command that makes an archive, once its file was chosen: an existing file is replaced only when
// the user agrees ("Заменить?") and only by a complete archive; a failure is reported. True when the
// archive was written.
bool MakeArchive(const TMyType& state, const QString& archivePath);

// The scratch folder an archive is checked in: beside the archive, "MyArviveInfo", or "MyArviveInfo(1)",
// "(2)", ... when that name is taken.
QString VerifyFolderFor(const QString& archivePath);

// Makes the target folder hold what the verified folder holds, in one step: the new content is put
// together beside BASE (the verified files moved or copied there, then the target's own files that the
// archive does not have, except the debt returns), and only when it is complete does it change places
// with the target. Any failure leaves the target exactly as it was. The verified folder is used up.
bool ReplaceFolder(const QString& verifiedFolder, const QString& targetFolder, const QString& scratchParent);

// Removes scratch folders of replacements a crash interrupted.
void RemoveStaleScratch(const QString& scratchParent);

} // namespace arhive
