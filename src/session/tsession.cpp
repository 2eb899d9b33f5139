#include "session/tsession.h"

#include "backup/dailyusers.h"
#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "session/requirelink.h"
#include "session/tchange.h"

#include <memory>

TSession::TSession(TAttributeProbe probe)
    : users(state, UserHooks()), attributes(std::move(probe)), login(state, firstRun, UserHooks()) {
    hooks.RegisterTables(general);
    general.SetTableRules(TTableKind::User, userTable);
    money.purse.reapplyFilter = [this](TTableKind kind) { filters.ReapplyFilter(kind); };
    hooks.totalsChanged = [this](TDataGrid& grid) { Q_EMIT TotalsChanged(grid.kind); };
    filters.onChanged = [this](TTableKind kind) { Q_EMIT FilterChanged(kind); };
    kinds.listChanged = [this](TDataVidGrid& list) { Q_EMIT KindsListChanged(&list); };
    state.saveStateChanged = [this] { Q_EMIT SaveStateChanged(); };
    state.baseLock.onLost = [this] { Q_EMIT ReadOnlyChanged(); };
    m_lockRefresh.setInterval(baselock::kRefreshMs);
    connect(&m_lockRefresh, &QTimer::timeout, this, [this] { KeepBaseLock(state, true); });
    m_lockRefresh.start();
    m_history.setUndoLimit(kHistorySteps);
    // Once for the session: a base read anew keeps its table objects, and the returns list passes the
    // recorder on to every table it takes.
    state.AttachRecorder(&m_recorder);
    CheckLinks();
}

TSession::~TSession() {
    // Nothing that outlives the session may call back into it.
    money.purse.reapplyFilter = nullptr;
    hooks.totalsChanged = nullptr;
    filters.onChanged = nullptr;
    kinds.listChanged = nullptr;
    state.saveStateChanged = nullptr;
    state.baseLock.onLost = nullptr;
    state.AttachRecorder(nullptr);
}

TUserHooks TSession::UserHooks() {
    TUserHooks h;
    // Whatever read the open base anew leaves nothing to take back.
    h.recomputeTotals = [this] {
        ClearHistory();
        RecomputeAll();
    };
    h.forgetHistory = [this](const QString& why) { ClearHistory(why); };
    h.normaliseAllDates = [this] { edit.NormaliseAllDates(); };
    h.checkDataRootFolders = [this] {
        attributes.CheckDataRootFolders(state.paths.dataRoot, state.baseFolder);
    };
    h.checkBaseFiles = [this] { attributes.CheckBaseFiles(state.paths.dataRoot, state.baseFolder); };
    h.usersFromDailyCopies = [this] { return UsersFromDailyCopies(state); };
    return h;
}

void TSession::RecomputeAll() {
    money.RecomputeAfterLoad();
    filters.RestoreFromSettings(state.settings);
}

void TSession::OpenBase() {
    ClearHistory();
    TBaseLoader::OpenBase(state);
    RecomputeAll();
}

bool TSession::Change(const QString& text, const std::function<void()>& body) {
    if (m_recorder.Recording()) {
        body();
        return true;
    }
    ForgetIfChangedOutside();
    auto change = std::make_unique<TChange>(*this, text);
    change->KeepBefore(m_lastTotals);
    {
        TRecording recording(m_recorder, change->Delta());
        body();
    }
    change->Delta().DropUnchanged();
    change->KeepAfter(m_lastTotals);
    const bool changed = !change->Empty();
    if (changed) {
        change->Delta().Prepend(std::move(m_pending));
        m_history.push(change.release());
        m_clearedWhy.clear();
    }
    NoteBooksSeen();
    return changed;
}

void TSession::Prepare(const std::function<void()>& body) {
    if (m_recorder.Recording()) {
        body();
        return;
    }
    ForgetIfChangedOutside();
    {
        TRecording recording(m_recorder, m_pending);
        body();
    }
    NoteBooksSeen();
}

void TSession::TakeBackPending() {
    if (m_pending.Empty()) return;
    m_pending.Undo();
    m_pending = TTableDelta();
}

bool TSession::Undo() {
    ForgetIfChangedOutside();
    if (!m_history.canUndo()) return false;
    TakeBackPending();
    m_history.undo();
    NoteBooksSeen();
    return true;
}

bool TSession::Redo() {
    ForgetIfChangedOutside();
    if (!m_history.canRedo()) return false;
    TakeBackPending();
    m_history.redo();
    NoteBooksSeen();
    return true;
}

void TSession::NoteBooksSeen() {
    m_recorder.ResetChangesOutside();
}

void TSession::ForgetIfChangedOutside() {
    if ((m_history.count() > 0 || !m_pending.Empty()) && m_recorder.ChangesOutside() > 0) ClearHistory();
}

void TSession::ClearHistory(const QString& why) {
    m_clearedWhy = why;
    m_history.clear();
    m_pending = TTableDelta();
    m_lastTotals = {};
    m_recorder.ResetChangesOutside();
    Q_EMIT HistoryChanged();
}

void TSession::BooksReplayed() {
    state.Grid(TTableKind::Returns).Table = &state.ReturnsTable(state.currentDebt);
    for (TTableKind kind :
         {TTableKind::Rashod, TTableKind::Dohod, TTableKind::PlanRashod, TTableKind::PlanDohod,
          TTableKind::Dolg, TTableKind::Returns, TTableKind::Transfer, TTableKind::Purse, TTableKind::User})
        state.Grid(kind).ResetRowMap();
    // The totals were put back as they were; a filter picks its rows again from the books as they are.
    for (TTableKind kind : LedgerKinds())
        if (state.Grid(kind).filterActive) filters.ReapplyFilter(kind);
    for (TTableKind kind :
         {TTableKind::Rashod, TTableKind::Dohod, TTableKind::PlanRashod, TTableKind::PlanDohod,
          TTableKind::Dolg, TTableKind::Returns, TTableKind::Transfer, TTableKind::Purse, TTableKind::User}) {
        state.Grid(kind).NotifyRows();
        Q_EMIT TotalsChanged(kind);
    }
    Q_EMIT KindsListChanged(&state.vidRashodGrid);
    Q_EMIT KindsListChanged(&state.vidDohodGrid);
    Q_EMIT BooksChanged();
}

void TSession::CheckLinks() const {
    for (TTableKind kind : {TTableKind::Purse, TTableKind::Transfer, TTableKind::User})
        RequireLink(general.HasTableRules(kind),
                    "editor -> rules of the " + TableDef(kind).fileName.toStdString() + " table");
    RequireLink(bool(money.purse.reapplyFilter), "purses -> filters (reapply after a transfer)");
    RequireLink(bool(hooks.totalsChanged), "editor -> totals changed");
    RequireLink(bool(filters.onChanged), "filters -> filter changed");
    RequireLink(bool(kinds.listChanged), "kinds lists -> list changed");
    RequireLink(bool(state.saveStateChanged), "saves -> save state changed");
    RequireLink(bool(state.baseLock.onLost), "base lock -> read-only changed");
}
