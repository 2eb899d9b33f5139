#include "ledger/tbaseloader.h"

#include "ledger/tdatereader.h"
#include "ledger/tkindslists.h"
#include "ledger/ttablesortert.h"
#include "ledger/tmytype.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

QString PathIn(const QString& folder, const QString& name) { return ResolveTablePath(folder, name); }

void SortByItsDate(TDataGrid& grid) {
    grid.SortColumn = grid.DateColumn;
    grid.SortAscending = true;
    SortTableRows(*grid.Table, grid.DateColumn, SortByDate, false);
    grid.ResetRowMap();
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
    for (const QString& f : {folder, ReturnsFolder(folder), state.BaseRoot()})
        RemoveStaleTempFiles(f);
    LoadKindsFile(TKindsList::Rashod, PathIn(folder, KindsFileName(TKindsList::Rashod)), state.paths.programFolder,
                  state.vidRashod);
    LoadKindsFile(TKindsList::Dohod, PathIn(folder, KindsFileName(TKindsList::Dohod)), state.paths.programFolder,
                  state.vidDohod);
    TMemTable& purse = state.Table(TTableKind::Purse);
    state.basePurse = LoadPurseFile(PathIn(folder, TableDef(TTableKind::Purse).fileName), purse);
    const bool transferOk =
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
            if (!ok) {
                // The returns files belong to debts that could not be read: keep them for recovery,
                // since new debts will take their numbers.
                const QDir debts(ReturnsFolder(folder));
                for (const QString& name : debts.entryList({QStringLiteral("debt*")}, QDir::Files))
                    if (!name.contains(QLatin1String(".damaged-")))
                        KeepDamagedCopy(debts.filePath(name));
            }
            if (oldDebts) {
                MakePrivateFolder(ReturnsFolder(folder));
                state.returns = std::move(oldReturns);
            } else if (!LoadReturnsFiles(folder, table, state.returns)) {
                state.damaged = true;
            }
        }
        grid.DefaultDate = Today();
        AppendNewRecordRow(state, grid);
        grid.ResetRowMap();
        SortByItsDate(grid);
        grid.filterActive = false;
        grid.col = 0;
        grid.row = 1;
        // As read: a save writes the table again only once something changed. A damaged table is
        // written back at the next save so the message does not come at every start.
        if (ok)
            table.MarkUnmodified();
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
    const bool usersOk =
        LoadLedgerFile(TTableKind::User, PathIn(state.BaseRoot(), TableDef(TTableKind::User).fileName), state.users);
    if (!usersOk)
        state.damaged = true;
    AppendNewRecordRow(state, users);
    users.ResetRowMap();
    if (usersOk)
        state.users.MarkUnmodified();
    if (transferOk)
        state.Table(TTableKind::Transfer).MarkUnmodified();

    // The transfers and purses views end with a row for a new entry, like the ledgers.
    for (TTableKind kind : {TTableKind::Transfer, TTableKind::Purse}) {
        TDataGrid& grid = state.Grid(kind);
        grid.DefaultDate = Today();
        const bool clean = !state.Table(kind).Modified();
        AppendNewRecordRow(state, grid);
        grid.ResetRowMap();
        if (clean)
            state.Table(kind).MarkUnmodified();
    }
    state.settings = ReadBaseSettings(folder);
    state.purseDefault = state.settings.purseDefault;
}

void TBaseLoader::SaveBase(TMyType& state) {
    const QString folder = state.baseFolder;
    if (folder.isEmpty())
        return;
    auto save = [&](TTableKind kind, TMemTable& table, const QString& where) {
        SaveTableIfChanged(kind, table, PathIn(where, TableDef(kind).fileName));
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
    // Written as they are, rows and all.
    auto save = [](TMemTable& table, const QString& path) {
        if (path.isEmpty() || QFileInfo(path).isDir() || (!table.Modified() && QFileInfo(path).size() > 0))
            return;
        if (table.SaveToFile(path))
            table.MarkUnmodified();
    };
    TKindsLists(state).SaveKinds();
    save(state.Table(TTableKind::Purse), PathIn(folder, TableDef(TTableKind::Purse).fileName));
}
