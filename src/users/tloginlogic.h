#pragma once

#include "users/tuserhooks.h"

#include <QString>
#include <QStringList>

class TFirstRunLogic;
class TMemTable;
class TMyType;

// The rules of the log-in dialog in its log-in mode (at start) and its switch mode ("Сменить
// пользователя"), and what the dialog does when it is created. The window shows the names and the
// password field, calls these, and does what the outcome says.
class TLoginLogic {
public:
    struct TNameList {
        QStringList names;
        int selected = 0;
        bool typing = false; // the name field takes typing (no users yet)
    };

    enum class TOutcome {
        Stay,          // the dialog stays as it is
        WrongPassword, // the dialog stays; the password's text is selected and focused
        OpenFirstRun,  // show the first-run dialog over this one, then call FirstRunFinished
        LoggedIn,      // hide the dialog and show the main window, which opens the base
        Switched,   // the new base is open: hide the dialog, reload the window settings, show the first page
        Hide,       // hide the dialog; nothing changed
        EndProgram, // close the dialog, which ends the program
    };

    TLoginLogic(TMyType& state, TFirstRunLogic& firstRun, TUserHooks hooks = {});

    // At the creation of the dialog: the data root and the backup-copy folder, the marker of bases of
    // an earlier version with its questions, and the base list.
    void PrepareAtCreation();
    // Once, after the main window first shows: the optimisation of kept bases of an earlier version.
    void AfterMainWindowFirstShown();
    bool EarlierBasesPending() const { return m_optimiseEarlierBases; }

    // Log-in mode. A base another program has open is asked about (AskToOpenBase): "Отмена" keeps the
    // dialog (Stay), the switch too keeping the base open until then.
    TNameList ShowLogin();
    TOutcome AcceptLogin(const QString& typedName, const QString& password);

    // Switch mode.
    TNameList ShowSwitch();
    TOutcome AcceptSwitch(const QString& name, const QString& password);

    // The first-run dialog for the current user who has no base (the switch mode's rules apply).
    void OpenFirstRunForSwitch() { OpenFirstRun(TMode::Switch); }
    // After the first-run dialog that OpenFirstRun asked for has closed.
    TOutcome FirstRunFinished();
    // "Отмена" or the window frame: ends the program in log-in mode, hides the dialog in switch mode.
    TOutcome Cancel() const { return m_mode == TMode::Login ? TOutcome::EndProgram : TOutcome::Hide; }

    int Refusals() const { return m_refusals; }

private:
    enum class TMode { Login, Switch };

    void OfferLostUsers(TMemTable& users, bool fileFound);
    TOutcome Refuse(TMode mode);
    TOutcome OpenFirstRun(TMode mode);
    TOutcome SwitchTo(const QString& name, const QString& base, bool admin);
    bool ReadMarker();
    void WriteMarker();

    TMyType& m_state;
    TFirstRunLogic& m_firstRun;
    TUserHooks m_hooks;
    int m_refusals = 0;
    TMode m_mode = TMode::Login;
    TMode m_firstRunFrom = TMode::Login;
    bool m_optimiseEarlierBases = false;
};
