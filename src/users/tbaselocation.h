#pragma once

#include "storage/tfilecopier.h"

#include <QString>
#include <QStringList>

#include <functional>

class TAttributeChecks;
class TFilters;
class TMyType;

// What moving the bases asks of the windows, wired at start-up. An empty hook is skipped, except
// saveAll, which then saves the base itself.
struct TBaseLocationHooks {
    // The in-cell editors closed and everything saved: the base with its window settings, the kinds
    // lists, the purses and the last user. False when the base could not be saved (already told).
    std::function<bool()> saveAll;
    // The filter radio group "Фильтр" set to "Нет".
    std::function<void()> filterToNone;
    // The log-in dialog shown without a way out but a log-in, for the bases of the new data root.
    std::function<void()> showLoginForBases;
    // The main window on its first section.
    std::function<void()> showFirstSection;
};

// What a folder typed for the bases or for their daily copies must be. On Linux any character but a
// control character may stand in a path, so the Windows list of forbidden characters does not apply:
// the path must be absolute, of names the file system takes, and lead to a folder that exists and the
// user may write in, or to one that can be made (the nearest folder above it that exists may be
// written in).
enum class TFolderPathCheck {
    Ok,
    Empty,             // nothing but spaces
    ControlCharacters, // a tab, a line break or another character below 32
    NotAbsolute,       // does not start with "/"
    TooLong,           // a folder name over 255 bytes, or the whole path over 4095
    NotAFolder,        // a file stands where the folder is or above it
    NoAccess,          // the folder, or the one it would be made in, cannot be written
};
TFolderPathCheck CheckFolderPath(const QString& path);

// Where the bases live: the settings dialog's "Сохранить" moves the bases to another data root, opens
// the bases already there, or changes the folder of the daily copies.
class TBaseLocation {
public:
    TBaseLocation(TMyType& state, TFilters& filters, TBaseLocationHooks hooks = {});

    // newRoot and newCopyFolder as typed in the two fields. True when the dialog may close.
    bool ChangeBaseLocation(const QString& newRoot, const QString& newCopyFolder);
    // Closes the open base and waits for a log-in to a base of the data root now set. False, with the
    // base still open, when pathbase.ini cannot be written.
    bool OpenBasesInFolder();

    // The copier of the last move, with its counters.
    const TFileCopier& Copier() const { return m_copier; }

private:
    bool ConfirmChange(const QString& newRoot, const QString& newCopyFolder);
    bool SetAsideExistingBases(const QString& newRoot, const QString& newBase, QString& replaced);
    bool UsableFields(const QString& newRoot, const QString& newCopyFolder) const;
    bool Nested(const QString& newRoot, const QString& newCopyFolder) const;
    bool CopyBases(const QString& from, const QString& to);
    bool WritePathBase(bool withCopyPath) const;
    bool SaveAll();
    void FilterToNone();

    TMyType& m_state;
    TFilters& m_filters;
    TBaseLocationHooks m_hooks;
    TFileCopier m_copier;
};

// The lines of the diagnostics report "Возможные неполадки" for the data root and the base folder.
QStringList RunDiagnostics(const TAttributeChecks& checks, const QString& dataRoot,
                           const QString& baseFolder);
