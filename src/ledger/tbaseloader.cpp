#include "ledger/tbaseloader.h"

#include "ledger/clock.h"
#include "ledger/ledgersort.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"

#include <QFileInfo>

#include <algorithm>

namespace {

QString PathIn(const QString& folder, const QString& name) { return ResolveTablePath(folder, name); }

void SortByDate(TDataGrid& grid) {
    grid.SortColumn = grid.DateColumn;
    grid.SortAscending = true;
    SortLedgerTable(grid);
}

} // namespace

void TBaseLoader::AppendNewRecordRow(TMyType& state, TDataGrid& grid) {
    TMemTable& table = *grid.Table;
    const TTableDef& def = TableDef(grid.kind);
    QStringList cells;
    cells.resize(def.CellCount());
    if (grid.kind == TTableKind::Rashod || grid.kind == TTableKind::Dohod || grid.kind == TTableKind::Transfer)
        cells[0] = grid.DefaultDate.toString(QStringLiteral("dd.MM.yyyy"));
    if (grid.kind == TTableKind::Dolg) {
        const int n = state.NextDebtNumber();
        state.ReturnsTable(n);
        cells[9] = QString::number(n);
    }
    table.AddRow()->SetCells(cells);
}

void TBaseLoader::OpenBase(TMyType& state) {
    const QString folder = state.baseFolder;
    state.damaged = false;
    LoadKindsFile(TKindsList::Rashod, PathIn(folder, KindsFileName(TKindsList::Rashod)), state.paths.programFolder,
                  state.vidRashod);
    LoadKindsFile(TKindsList::Dohod, PathIn(folder, KindsFileName(TKindsList::Dohod)), state.paths.programFolder,
                  state.vidDohod);
    TMemTable& purse = state.Table(TTableKind::Purse);
    state.basePurse = LoadPurseFile(PathIn(folder, TableDef(TTableKind::Purse).fileName), purse);
    LoadTransferFile(PathIn(folder, TableDef(TTableKind::Transfer).fileName), state.Table(TTableKind::Transfer));

    state.returns.clear();
    for (TTableKind kind : LedgerKinds()) {
        TDataGrid& grid = state.Grid(kind);
        TMemTable& table = state.Table(kind);
        const QString path = PathIn(folder, TableDef(kind).fileName);
        TReturnsTables oldReturns;
        bool oldDebts = false;
        if (kind == TTableKind::Dolg) {
            // A debt table of an earlier version is converted before its rows are cut to ten cells.
            TMemTable probe;
            if (!path.isEmpty() && probe.LoadFromFile(path) && IsOldDebtTable(probe)) {
                oldDebts = true;
                oldReturns = TakeOldDebtReturns(probe);
            }
        }
        const bool ok = LoadLedgerFile(kind, path, table);
        if (!ok)
            state.damaged = true;
        if (kind == TTableKind::Dolg) {
            state.debtsLoaded = ok;
            if (oldDebts) {
                MakePrivateFolder(ReturnsFolder(folder));
                state.returns = std::move(oldReturns);
            } else if (!LoadReturnsFiles(folder, table, state.returns)) {
                state.damaged = true;
            }
        }
        grid.DefaultDate = CurrentDate();
        AppendNewRecordRow(state, grid);
        grid.ResetRowMap();
        SortByDate(grid);
        grid.filterActive = false;
        grid.col = 0;
        grid.row = 1;
    }
    state.currentDebt = 0;
    const TMemTable& dolg = state.Table(TTableKind::Dolg);
    if (dolg.RowCount() > 1) {
        bool okNumber = false;
        const int n = dolg.Row(0)->Cell(9).toInt(&okNumber);
        if (okNumber && n >= 0)
            state.currentDebt = n;
    }
    TDataGrid& returnsGrid = state.Grid(TTableKind::Returns);
    returnsGrid.Table = &state.ReturnsTable(state.currentDebt);
    returnsGrid.ResetRowMap();

    TDataGrid& users = state.Grid(TTableKind::User);
    if (!LoadLedgerFile(TTableKind::User, PathIn(state.BaseRoot(), TableDef(TTableKind::User).fileName), state.users))
        state.damaged = true;
    AppendNewRecordRow(state, users);
    users.ResetRowMap();

    state.Grid(TTableKind::Transfer).ResetRowMap();
    state.Grid(TTableKind::Purse).ResetRowMap();
    state.settings = ReadBaseSettings(folder);
    state.purseDefault = state.settings.purseDefault;
}

void TBaseLoader::SaveBase(TMyType& state) {
    const QString folder = state.baseFolder;
    if (folder.isEmpty())
        return;
    auto save = [&](TTableKind kind, const TMemTable& table, const QString& where) {
        SaveTableFiltered(kind, table, PathIn(where, TableDef(kind).fileName));
    };
    save(TTableKind::Rashod, state.Table(TTableKind::Rashod), folder);
    save(TTableKind::Dohod, state.Table(TTableKind::Dohod), folder);
    // The debts are renumbered by their places in the file; the debt on show keeps its returns.
    TMemTable& dolg = state.Table(TTableKind::Dolg);
    int shownRow = -1;
    for (int i = 0; i < dolg.RowCount() && shownRow < 0; ++i)
        if (dolg.Row(i)->Cell(9) == QString::number(state.currentDebt))
            shownRow = i;
    SaveDebtsAndReturns(folder, dolg, state.returns, state.debtsLoaded);
    if (shownRow >= 0)
        state.currentDebt = dolg.Row(shownRow)->Cell(9).toInt();
    save(TTableKind::PlanRashod, state.Table(TTableKind::PlanRashod), folder);
    save(TTableKind::PlanDohod, state.Table(TTableKind::PlanDohod), folder);
    save(TTableKind::User, state.users, state.BaseRoot());
    save(TTableKind::Transfer, state.Table(TTableKind::Transfer), folder);
    state.Grid(TTableKind::Returns).Table = &state.ReturnsTable(state.currentDebt);
    state.settings.purseDefault = state.purseDefault;
    WriteBaseSettings(folder, state.settings);
}

void TBaseLoader::SaveKindsAndPurses(TMyType& state) {
    const QString folder = state.baseFolder;
    if (folder.isEmpty())
        return;
    const QString vid = PathIn(folder, KindsFileName(TKindsList::Rashod));
    if (!vid.isEmpty() && !QFileInfo(vid).isDir())
        state.vidRashod.SaveToFile(vid);
    const QString dohod = PathIn(folder, KindsFileName(TKindsList::Dohod));
    if (!dohod.isEmpty() && !QFileInfo(dohod).isDir())
        state.vidDohod.SaveToFile(dohod);
    const QString purse = PathIn(folder, TableDef(TTableKind::Purse).fileName);
    if (!purse.isEmpty() && !QFileInfo(purse).isDir())
        state.Table(TTableKind::Purse).SaveToFile(purse);
}
