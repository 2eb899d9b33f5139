#include "ledger/tmytype.h"

#include "ledger/gridids.h"
#include "ledger/tdatereader.h"
#include "storage/datafolders.h"

TMyType::TMyType() {
    for (int k = 0; k < kTableKindCount; ++k) {
        const auto kind = TTableKind(k);
        TDataGrid& g = m_grids[size_t(k)];
        g.Define(TableDef(kind));
        g.DefaultDate = Today();
        if (kind == TTableKind::Returns) {
            g.Table = &ReturnsTable(0);
        } else {
            g.Table = &Table(kind);
        }
        g.ResetRowMap();
    }
    vidRashodGrid.gridId = gridid::BaseRashod;
    vidRashodGrid.FileName = KindsFileName(TKindsList::Rashod);
    vidRashodGrid.listNumber = 0;
    vidRashodGrid.Table = &vidRashod;
    vidDohodGrid.gridId = gridid::BaseDohod;
    vidDohodGrid.FileName = KindsFileName(TKindsList::Dohod);
    vidDohodGrid.listNumber = 1;
    vidDohodGrid.Table = &vidDohod;
    planUntilRashod = Today().addDays(30);
    planUntilDohod = Today().addDays(30);
    current = &Grid(TTableKind::Rashod);
}

TMemTable& TMyType::Table(TTableKind kind) {
    switch (kind) {
    case TTableKind::Rashod:
        return m_ledgers[0];
    case TTableKind::Dohod:
        return m_ledgers[1];
    case TTableKind::Dolg:
        return m_ledgers[2];
    case TTableKind::PlanRashod:
        return m_ledgers[3];
    case TTableKind::PlanDohod:
        return m_ledgers[4];
    case TTableKind::Returns:
        return ReturnsTable(currentDebt);
    case TTableKind::Transfer:
        return m_transfer;
    case TTableKind::Purse:
        return m_purse;
    case TTableKind::User:
        return users;
    }
    return m_ledgers[0];
}

TMemTable& TMyType::ReturnsTable(int number) {
    return returns.Make(number < 0 ? 0 : number);
}

void TMyType::AttachRecorder(TTableRecorder* recorder) {
    for (TMemTable& ledger : m_ledgers)
        ledger.AttachRecorder(recorder);
    m_transfer.AttachRecorder(recorder);
    m_purse.AttachRecorder(recorder);
    // The users are no books: they are shared by the bases, and a user's change is no step to take back.
    vidRashod.AttachRecorder(recorder);
    vidDohod.AttachRecorder(recorder);
    returns.AttachRecorder(recorder);
}

int TMyType::NextDebtNumber() const {
    return int(returns.size());
}

TDataGrid& TMyType::Grid(TTableKind kind) {
    return m_grids[size_t(kind)];
}

TDataGrid* TMyType::GridById(int gridId) {
    for (TDataGrid& g : m_grids)
        if (g.gridId == gridId) return &g;
    return nullptr;
}

void TMyType::SetSaveOutcome(const TFileError& failure) {
    const bool changed =
        failure.Failed() != saveFailed || failure.path != saveError.path || failure.code != saveError.code;
    saveFailed = failure.Failed();
    saveError = saveFailed ? failure : TFileError();
    if (changed && saveStateChanged) saveStateChanged();
}

QString TMyType::BaseRoot() const {
    return JoinPath(paths.dataRoot, QStringLiteral("BASE"));
}

QString TMyType::TablePath(TTableKind kind) const {
    const TTableDef& def = TableDef(kind);
    return JoinPath(def.shared ? BaseRoot() : baseFolder, def.fileName);
}
