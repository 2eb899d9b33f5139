#pragma once

#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tkindslists.h"
#include "ledger/tmytype.h"
#include "money/tfilters.h"
#include "money/tmoney.h"
#include "money/tmoneyhooks.h"
#include "session/tchange.h"
#include "storage/tattributechecks.h"
#include "storage/ttabledelta.h"
#include "users/tbasessession.h"
#include "users/tfirstrunlogic.h"
#include "users/tloginlogic.h"
#include "users/tpassworddialoglogic.h"
#include "users/tuserslogic.h"
#include "users/tusertablerules.h"

#include <QObject>
#include <QTimer>
#include <QUndoStack>

#include <functional>

// The program-wide state with the logic objects that act on it, wired to each other here and nowhere
// else: the editor's commits reach the purses, totals and filters, a base read again recomputes its
// totals, the log-in and users rules reach the totals and the date optimisation. Made once by the
// program (and by tests) without any window; windows only listen to the signals below.
class TSession : public QObject {
    Q_OBJECT
public:
    // The attribute checks probe the files the platform's way unless a test gives its own probe.
    explicit TSession(TAttributeProbe probe = PlatformAttributes);
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
    ~TSession() override;

    TMyType state;
    TMoney money{state};
    TFilters filters{state};
    TMoneyHooks hooks{state, money, filters};
    TGeneralClass general{state, hooks};
    TEditClass edit{state, general, hooks};
    TUsersLogic users;
    TUserTableRules userTable{state, users};
    TPasswordDialogLogic passwords{state};
    TBasesSession bases{state};
    TKindsLists kinds{state};
    const TAttributeChecks attributes;
    TFirstRunLogic firstRun{state};
    TLoginLogic login;

    // After a base was read into memory: every total, and the filters kept in its settings.
    void RecomputeAll();
    // The base named in the state read whole from its files, then RecomputeAll.
    void OpenBase();

    // Throws std::logic_error naming the first link between the logic objects that is not made.
    void CheckLinks() const;

    // The one way the books are changed. `body` runs the rules as one change called `text` (the menu
    // offers «Отменить: <text>»); everything it does to the tables of the open base is recorded, and the
    // change goes on the history unless it did nothing. A change made while another is being made is
    // part of that one. True when the books changed.
    bool Change(const QString& text, const std::function<void()>& body);
    // Work the window does on the books that is no step of its own (the new-record row put under the last
    // record as the family moves down or starts typing): recorded like a change, it is taken back with
    // the next step, or by itself before an undo or a redo.
    void Prepare(const std::function<void()>& body);
    // The steps that can be taken back and done again, at least kHistorySteps of them. Undo and redo are
    // changes like any other: the tables count as modified, and the autosave writes them.
    QUndoStack& History() { return m_history; }
    static constexpr int kHistorySteps = 200;
    // The last step taken back or done again, as the menu does it. Steps are replayed by the rows they
    // name, so a history whose books were changed by anything but this door is emptied instead: nothing is
    // taken back over a change it does not know. False when there was nothing to do.
    bool Undo();
    bool Redo();
    // Another base or user opened, or a tool that moves whole bases: nothing before can be taken back.
    // `why` is said by the menu («Отменить нельзя: <why>») until the next step.
    void ClearHistory(const QString& why = {});
    const QString& HistoryClearedWhy() const { return m_clearedWhy; }
    // After an undo or a redo put the tables back: the debt on show, the row maps, filters, totals and
    // views follow the books as they are now.
    void BooksReplayed();

Q_SIGNALS:
    // A commit changed the totals of this grid's table (the totals panel and the purse views redraw).
    void TotalsChanged(TTableKind kind);
    // A filter was set, changed or removed on this ledger; its filtered totals are new.
    void FilterChanged(TTableKind kind);
    // A kinds list changed as a whole (sorted, reloaded, a name added or renamed).
    void KindsListChanged(TDataVidGrid* list);
    // Whether the last save of the open base failed, and why, changed: a save failed, or a save that
    // succeeded or a base newly opened left nothing failed (state.saveFailed, state.saveError).
    void SaveStateChanged();
    // The open base became read-only while open: another program took it over.
    void ReadOnlyChanged();
    // An undo or a redo changed the books: every view reads its rows again.
    void BooksChanged();
    // The history was emptied (the menu's undo and redo items follow; the steps themselves are told by
    // History()'s own signals).
    void HistoryChanged();

private:
    TUserHooks UserHooks();

    // Writes the open base's lock again while the base stays open.
    QTimer m_lockRefresh;
    TTableRecorder m_recorder;
    QUndoStack m_history;
    // What Prepare recorded since the last step.
    TTableDelta m_pending;
    QString m_clearedWhy;
    void TakeBackPending();
    // The totals as the last change left them, so that the next one need not picture them again.
    TTotalsPicture m_lastTotals;
    // The books as the door leaves them: the recorder counts from here every change made past it, the
    // returns list's included.
    void NoteBooksSeen();
    // The books changed outside the door since it last left them: the history is emptied.
    void ForgetIfChangedOutside();
};
