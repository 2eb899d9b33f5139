#include "session/tsession.h"

#include "backup/dailyusers.h"
#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "session/requirelink.h"

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
}

TUserHooks TSession::UserHooks() {
    TUserHooks h;
    h.recomputeTotals = [this] { RecomputeAll(); };
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
    TBaseLoader::OpenBase(state);
    RecomputeAll();
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
