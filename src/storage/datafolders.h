#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Joins folder and name with exactly one "/" between them.
QString JoinPath(const QString& folder, const QString& name);
// The text of a folder with one trailing "/".
QString WithTrailingSlash(const QString& folder);
// The absolute path with ".", ".." and doubled separators gone and links resolved as far as the path
// exists: two spellings of one folder give the same text.
QString ResolvedPath(const QString& path);
// The path is the folder or lies inside it (both as ResolvedPath gives them).
bool IsSameOrInside(const QString& path, const QString& folder);

// The shared application-data folder of the desktop ($XDG_DATA_HOME, by default ~/.local/share).
QString SharedDataFolder();
// The program data folder: locks, pathbase.ini, the working copies of the templates; the default data root.
QString ProgramDataFolder();
// The default backup-copy folder, with a trailing "/"; created (private) when missing.
QString DefaultBackupCopyFolder();

QString PathBaseIniPath(const QString& programDataFolder);

// Reads the data root from pathbase.ini, repairing the file and telling the user when it is missing,
// damaged or names a folder that is gone. The result ends with "/".
QString ResolveDataRoot(const QString& programDataFolder);
// Reads the backup-copy folder from pathbase.ini, writing the default there when it has none. A folder
// that is not acceptable (below) gives way to the default, which is written back, and the user is told.
QString ResolveBackupCopyFolder(const QString& programDataFolder);
// An absolute path of a folder that exists, or of one to be made in a folder the user owns.
bool AcceptableCopyFolder(const QString& path);

// Copies the program folder's templates into the program data folder when they are not there yet.
void PrepareTemplateFolders(const QString& programFolder, const QString& programDataFolder);

// Copies a folder with everything in it; existing files in the target are replaced.
bool CopyFolderRecursively(const QString& from, const QString& to);

// The checks of the program folder at start-up, each reported in its own error box.
void CheckProgramFolder(const QString& programFolder,
                        const std::function<bool(const QString&)>& pictureLoads);

// Creates the settings file empty when it does not exist yet. False when it cannot be created:
// the caller then reads nothing and writes nothing.
bool EnsureSettingsFile(const QString& path);
