#pragma once

#include <QString>

// Base names become folder names inside the data root's BASE folder, so a name is never allowed to
// reach outside it: every folder a base operation creates, renames or deletes is checked here, by
// its name and by the path it resolves to.
enum class TBaseNameCheck {
    Ok,
    Blank,         // empty after trimming
    BadCharacters, // ".", "..", a refused character (below) or a control character
    Reserved,      // the name of a file the program keeps in BASE
};

TBaseNameCheck CheckBaseName(const QString& name);

// The characters every field where a base is named refuses as they are typed or pasted: those a folder
// name cannot hold on the desktops the bases may be carried to, and control characters.
bool IsRefusedInBaseName(QChar c);

// The hint shown for a second under such a field, with a beep, when it refuses a character or a name
// that can never be a base's ("..").
inline const QString kBadBaseNameCharacters = QStringLiteral("Недопустимые символы >,<,*,?,/,|,\\,:,\"");
inline constexpr int kBadBaseNameHintMs = 1000;

// Shows the error for a blank name or one with characters a folder name must not have; true when the
// name passes. Reserved names pass here: each caller refuses them with its own duplicate message.
bool AcceptTypedBaseName(const QString& name);

// data root/BASE
QString BaseRootOf(const QString& dataRoot);
// The folder of a base; empty when the name cannot be a folder of BASE or the path resolves elsewhere
// (a link leading out of BASE).
QString BaseFolderOf(const QString& dataRoot, const QString& name);
// The folder of a base, created when missing; empty when it can be neither found nor created.
QString MakeBaseFolder(const QString& dataRoot, const QString& name);
// Renames an existing base folder; false when either name is unusable, the old folder is not a real
// folder of BASE or the new name is taken.
bool RenameBaseFolder(const QString& dataRoot, const QString& from, const QString& to);
// Deletes a base folder with everything in it. A link is never followed.
bool DeleteBaseFolder(const QString& dataRoot, const QString& name);
bool SameFolder(const QString& a, const QString& b);
// A folder of a base stands in data root/BASE: the family has books, so the program is not starting
// for the first time.
bool AnyBaseFolder(const QString& dataRoot);
