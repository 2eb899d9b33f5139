#pragma once

#include "backup/leftscratch.h"
#include "backup/tarhivetype.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class TMyType;

// What a restore asks of the windows, wired by the main window. An empty hook is skipped.
struct TArhiveHooks {
    // The open base, its purses and the last user written to their files; false when the base could
    // not be saved (the failure was told).
    std::function<bool()> saveAll;
    // While an archive is unpacked: the main window disabled with its waiting panel (true), then
    // enabled again (false).
    std::function<void(bool)> busy;
    // "Введите имя восстановленной базы": the typed name, or none for "Отмена".
    std::function<std::optional<QString>()> askNewBaseName;
    // The base named in the state read again whole from its files, its totals computed and shown from
    // the first page with its column widths.
    std::function<void()> reloadBase;
    // The base optimisation that follows a restore over the open base.
    std::function<void()> optimise;
    std::function<void()> showFirstPage;
    // The current user or its rights changed: the caption and the administrator commands follow.
    std::function<void()> userChanged;
    // The log-in dialog in its switch mode with this name selected.
    std::function<void(const QString& name)> switchLogin;
    // The first-run dialog, for a user who has no base after the offer of a daily copy.
    std::function<void()> firstRun;
};

// Restoring a backup archive over the open base or as a new base, with every question and message
// of it. The archive's listing is checked before a byte is unpacked, the archive is then checked by
// unpacking the base's own files into a scratch folder and reading every one of them before any base
// is touched, and a base folder is replaced only as a whole. Files that are not a base's are left out
// and named once the restore is done.
class TArhiveRestore {
public:
    enum class TResult { Missing, Cancelled, Failed, Replaced, RestoredAsNew };

    TArhiveRestore(TMyType& state, TArhiveHooks hooks = {});
    void SetHooks(TArhiveHooks hooks) { m_hooks = std::move(hooks); }

    // From the check that the chosen file exists on: the question "Заменить текущую базу архивной?"
    // decides between the two restores. afterDamage: the offer of a daily copy after a damaged load,
    // which opens no log-in dialog for a new base.
    TResult Restore(const QString& archivePath, bool afterDamage = false);
    // Over the open base: for a non-administrator the books only, the users and roles left as they are.
    // A base open read-only is refused with a beep (in Restore, right after its first question).
    TResult RestoreOver(const QString& archivePath);
    // As a new base, with the archive's users: an administrator's command only. An existing base another
    // program has open is not replaced: that is told.
    TResult RestoreAsNew(const QString& archivePath, bool afterDamage = false);

    // The offer of a daily copy once the main window shows after a table could not be read: the chosen
    // archive (empty when the dialog was closed) is restored, then the current user is logged in to its
    // own base again. Declined, the base stays as it was loaded. Either way the damage mark is cleared.
    // False when the base the user works in is still the damaged one. The user's own base, when another
    // program has it open, is asked about as at a log-in.
    bool OfferAfterDamage(const QString& chosenArchive);

private:
    enum class TVerify { Ok, NotOurs, Refused, Damaged, Unreadable };
    // Checks the archive's listing, then unpacks the base's own files into the scratch folder and reads
    // the information table and every other file as the base's loader would. An archive whose
    // directory had to be rebuilt, or whose listing is refused, is not unpacked at all. On Ok the
    // folder holds what is to be put in place, and leftOut the files of the archive that are not; the
    // refusals are told.
    TVerify Verify(const QString& archivePath, TArhiveInfo& info, TScratchFolder& folder,
                   QStringList& leftOut);
    bool PutInPlace(const QString& verified, const QString& target);
    // The question of a restore over the open base, when it has one to ask; false when declined.
    bool AgreeToReplace(const TArhiveInfo& info);
    void RestoreOverUsers(const TArhiveInfo& info);
    QString RestoreNewUsers(const TArhiveInfo& info, const QString& newBase, const QString& folder);
    void LogInAgain();
    static void Run(const std::function<void()>& hook) {
        if (hook) hook();
    }

    TMyType& m_state;
    TArhiveHooks m_hooks;
};
