#include "ledger/tbaseloader.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/tdatereader.h"
#include "ledger/tkindslists.h"
#include "ledger/tmytype.h"
#include "ledger/ttablesortert.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/fileerror.h"
#include "storage/tbasefiles.h"
#include "storage/tbasesave.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsavetransaction.h"
#include "storage/tsettingsfiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// The table file's path, the file made empty when missing; what stands there is told by the load. A file
// an unfinished save still has to put in place is read from where its new content waits.
QString PathIn(const TUnfinishedSave& unfinished, const QString& folder, const QString& name) {
    QString path;
    ResolveTableFile(folder, name, path);
    return unfinished.ReadPath(path);
}

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
    if (grid.kind == TTableKind::Rashod || grid.kind == TTableKind::Dohod ||
        grid.kind == TTableKind::Transfer)
        cells[def.dateColumn] = grid.DefaultDate.toString(QStringLiteral("dd.MM.yyyy"));
    if (grid.kind == TTableKind::Dolg) {
        const int n = state.NextDebtNumber();
        state.ReturnsTable(n);
        cells[col::dolg::DebtNumber] = QString::number(n);
    }
    table.AddRow()->SetCells(cells);
}

namespace {

// A save cut short is completed (or dropped) before anything is read; its temporary files stay only
// while a journal still needs them. One that cannot be completed is told and the base is shown
// read-only, read as the save would leave it: the files whose new content waits whole in a temporary
// file are read from there, so the books are the new ones rather than half of each, and nothing is
// written over the half-renamed files. The next opening tries the journal again.
TUnfinishedSave FinishInterruptedSaves(TMyType& state) {
    const QString folder = state.baseFolder;
    // A base opened read-only is not written, its journal included: another program may be saving it.
    if (!MayChangeBase(state)) return InspectInterruptedSave(folder);
    TFileError error;
    if (!RecoverInterruptedSave(folder, &error)) {
        ReportUnfinishedSave(error);
        SetReadOnlyByOpen(state, QStringLiteral("сохранение базы было прервано и не может быть завершено"));
        return InspectInterruptedSave(folder);
    }
    if (IsRealFolder(folder)) RemoveStaleTempFiles(folder);
    if (IsRealFolder(ReturnsFolder(folder))) RemoveStaleTempFiles(ReturnsFolder(folder));
    if (!AnySaveJournal(state.BaseRoot())) RemoveStaleTempFiles(state.BaseRoot());
    return {};
}

// Returns files that no debt names are kept aside rather than left for the save to remove, and told.
void KeepOrphans(const TMyType& state, int debtCount) {
    if (!MayChangeBase(state)) return;
    const QStringList orphans = KeepOrphanReturns(state.baseFolder, debtCount);
    if (orphans.isEmpty()) return;
    Messages().ShowInfo({QStringLiteral("Найдены возвраты долгов, которые не относятся ни к одному долгу:"),
                         orphans.join(QStringLiteral(", ")),
                         QStringLiteral("Файлы сохранены с окончанием \".orphan-\" и датой в папке"),
                         ReturnsFolder(state.baseFolder)});
}

// The debts with their returns. A debt table of an earlier version is converted before its rows are
// cut to ten cells; the returns of debts that could not be read are kept for recovery, since new debts
// will take their numbers.
TTableLoad LoadDebts(TMyType& state, const QString& path, TUnreachableFiles& unreachable,
                     const TUnfinishedSave& unfinished) {
    const QString folder = state.baseFolder;
    TMemTable& table = state.Table(TTableKind::Dolg);
    TReturnsTables oldReturns;
    bool oldDebts = false;
    TMemTable probe;
    QByteArray bytes;
    if (ReadTableFile(path, bytes) == TTableFileState::File && probe.LoadFromBytes(bytes) &&
        IsOldDebtTable(probe)) {
        oldDebts = true;
        oldReturns = TakeOldDebtReturns(probe);
    }
    const TTableLoad load = LoadLedgerFile(TTableKind::Dolg, path, table, &unreachable);
    state.debtsLoaded = load == TTableLoad::Read;
    if (load == TTableLoad::Damaged && ReturnsFolderState(folder) == TTableFileState::File) {
        const QDir debts(ReturnsFolder(folder));
        for (const QString& name : debts.entryList({QStringLiteral("debt*")}, QDir::Files))
            if (!IsKeptAsideName(name)) KeepDamagedCopy(debts.filePath(name));
    }
    if (oldDebts) {
        MakePrivateFolder(ReturnsFolder(folder));
        state.returns = std::move(oldReturns);
        state.returnsOnDisk.clear();
    } else {
        TReturnsTables returns;
        const bool read =
            LoadReturnsFiles(folder, table, returns, state.returnsOnDisk, &unreachable, &unfinished);
        state.returns = std::move(returns);
        if (!read)
            state.damaged = true;
        else if (load == TTableLoad::Read)
            KeepOrphans(state, table.RowCount());
    }
    return load;
}

void LoadLedger(TMyType& state, TTableKind kind, TUnreachableFiles& unreachable,
                const TUnfinishedSave& unfinished) {
    TDataGrid& grid = state.Grid(kind);
    TMemTable& table = state.Table(kind);
    const QString path = PathIn(unfinished, state.baseFolder, TableDef(kind).fileName);
    const TTableLoad load = kind == TTableKind::Dolg ? LoadDebts(state, path, unreachable, unfinished)
                                                     : LoadLedgerFile(kind, path, table, &unreachable);
    if (load == TTableLoad::Damaged) state.damaged = true;
    grid.DefaultDate = Today();
    TBaseLoader::AppendNewRecordRow(state, grid);
    grid.ResetRowMap();
    SortByItsDate(grid);
    grid.filterActive = false;
    grid.col = 0;
    grid.row = 1;
    // As read: a save writes the table again only once something changed. A damaged table is written
    // back at the next save so the message does not come at every start.
    if (load != TTableLoad::Damaged) table.MarkUnmodified();
}

// The returns grid shows the first debt's returns.
void ShowFirstDebtsReturns(TMyType& state) {
    state.currentDebt = 0;
    const TMemTable& dolg = state.Table(TTableKind::Dolg);
    if (dolg.RowCount() > 1) {
        bool okNumber = false;
        const int n = dolg.Row(0)->Cell(col::dolg::DebtNumber).toInt(&okNumber);
        if (okNumber && n >= 0) state.currentDebt = n;
    }
    TDataGrid& returnsGrid = state.Grid(TTableKind::Returns);
    returnsGrid.Table = &state.ReturnsTable(state.currentDebt);
    returnsGrid.ResetRowMap();
}

void LoadUsers(TMyType& state, TUnreachableFiles& unreachable, const TUnfinishedSave& unfinished) {
    TDataGrid& users = state.Grid(TTableKind::User);
    const TTableLoad load = LoadLedgerFile(
        TTableKind::User, PathIn(unfinished, state.BaseRoot(), TableDef(TTableKind::User).fileName),
        state.users, &unreachable);
    if (load == TTableLoad::Damaged) state.damaged = true;
    TBaseLoader::AppendNewRecordRow(state, users);
    users.ResetRowMap();
    if (load != TTableLoad::Damaged) state.users.MarkUnmodified();
}

} // namespace

void TBaseLoader::OpenBase(TMyType& state) {
    const QString folder = state.baseFolder;
    state.damaged = false;
    state.SetSaveOutcome(TFileError());
    // What made the base read-only as it was read is looked at anew; another program holding it was
    // looked at before the open.
    if (state.readOnlyByOpen) ClearReadOnly(state);
    const TUnfinishedSave unfinished = FinishInterruptedSaves(state);
    TUnreachableFiles unreachable;
    LoadKindsFile(TKindsList::Rashod, PathIn(unfinished, folder, KindsFileName(TKindsList::Rashod)),
                  state.paths.programFolder, state.vidRashod, &unreachable);
    LoadKindsFile(TKindsList::Dohod, PathIn(unfinished, folder, KindsFileName(TKindsList::Dohod)),
                  state.paths.programFolder, state.vidDohod, &unreachable);
    TMemTable& purse = state.Table(TTableKind::Purse);
    state.basePurse =
        LoadPurseFile(PathIn(unfinished, folder, TableDef(TTableKind::Purse).fileName), purse, &unreachable);
    const bool transferOk =
        LoadTransferFile(PathIn(unfinished, folder, TableDef(TTableKind::Transfer).fileName),
                         state.Table(TTableKind::Transfer), &unreachable);

    state.returns.clear();
    state.returnsOnDisk.clear();
    for (TTableKind kind : LedgerKinds())
        LoadLedger(state, kind, unreachable, unfinished);
    ShowFirstDebtsReturns(state);
    LoadUsers(state, unreachable, unfinished);
    if (transferOk) state.Table(TTableKind::Transfer).MarkUnmodified();

    // The transfers and purses views end with a row for a new entry, like the ledgers.
    for (TTableKind kind : {TTableKind::Transfer, TTableKind::Purse}) {
        TDataGrid& grid = state.Grid(kind);
        grid.DefaultDate = Today();
        const bool clean = !state.Table(kind).Modified();
        AppendNewRecordRow(state, grid);
        grid.ResetRowMap();
        if (clean) state.Table(kind).MarkUnmodified();
    }
    state.settings = ReadBaseSettings(folder);
    state.purseDefault = state.settings.purseDefault;
    // What could not be read is shown empty and must not be written over: the base stays as it is.
    if (!unreachable.empty()) {
        SetReadOnlyByOpen(state, QStringLiteral("файлы базы не читаются"));
        TellUnreachable(unreachable, state.baseName);
    }
}

namespace {

// One transaction over the open base: every changed table, the kinds lists and the purses as they
// are, and (at the fixed save points) the base's settings.
bool SaveOpenBase(TMyType& state, bool withSettings, TFileError* error) {
    const QString folder = state.baseFolder;
    // A read-only base is never written; a base another program took over meanwhile becomes one.
    if (folder.isEmpty() || !MayChangeBase(state) || !KeepBaseLock(state, false)) return true;
    TFileError recovery;
    if (!RecoverInterruptedSave(folder, &recovery)) {
        recovery.SetOnce(folder, 0);
        state.SetSaveOutcome(recovery);
        if (error) *error = recovery;
        return false;
    }
    TBaseSave save(folder);
    auto stage = [&](TTableKind kind, TMemTable& table, const QString& where) {
        save.StageTable(kind, table, SavePath(where, TableDef(kind).fileName));
    };
    stage(TTableKind::Rashod, state.Table(TTableKind::Rashod), folder);
    stage(TTableKind::Dohod, state.Table(TTableKind::Dohod), folder);
    save.StageDebtsAndReturns(state.Table(TTableKind::Dolg), state.returns, state.returnsOnDisk,
                              state.debtsLoaded);
    stage(TTableKind::PlanRashod, state.Table(TTableKind::PlanRashod), folder);
    stage(TTableKind::PlanDohod, state.Table(TTableKind::PlanDohod), folder);
    stage(TTableKind::User, state.users, state.BaseRoot());
    stage(TTableKind::Transfer, state.Table(TTableKind::Transfer), folder);
    save.StageAsItIs(state.vidRashod, SavePath(folder, KindsFileName(TKindsList::Rashod)));
    save.StageAsItIs(state.vidDohod, SavePath(folder, KindsFileName(TKindsList::Dohod)));
    save.StageAsItIs(state.Table(TTableKind::Purse), SavePath(folder, TableDef(TTableKind::Purse).fileName));
    if (withSettings) {
        state.settings.purseDefault = state.purseDefault;
        save.StageBytes(BaseSettingsPath(folder), BaseSettingsBytes(state.settings));
    }
    if (save.Commit()) {
        state.SetSaveOutcome(TFileError());
        return true;
    }
    TFileError failure = save.Error();
    failure.SetOnce(folder, 0);
    state.SetSaveOutcome(failure);
    if (error) *error = failure;
    return false;
}

} // namespace

bool TBaseLoader::SaveAndTell(TMyType& state) {
    TFileError error;
    if (SaveOpenBase(state, true, &error)) return true;
    ReportSaveFailure(error);
    return false;
}

bool TBaseLoader::SaveBase(TMyType& state, TFileError* error) {
    return SaveOpenBase(state, true, error);
}

bool TBaseLoader::SaveTables(TMyType& state, TFileError* error) {
    return SaveOpenBase(state, false, error);
}

bool TBaseLoader::SaveKindsAndPurses(TMyType& state, TFileError* error) {
    const QString folder = state.baseFolder;
    if (folder.isEmpty() || !MayChangeBase(state) || !KeepBaseLock(state, false)) return true;
    TBaseSave save(folder);
    save.StageAsItIs(state.vidRashod, SavePath(folder, KindsFileName(TKindsList::Rashod)));
    save.StageAsItIs(state.vidDohod, SavePath(folder, KindsFileName(TKindsList::Dohod)));
    save.StageAsItIs(state.Table(TTableKind::Purse), SavePath(folder, TableDef(TTableKind::Purse).fileName));
    // Only the whole base saved takes the sign of a failed save down; these files alone may leave
    // others behind.
    if (save.Commit()) return true;
    TFileError failure = save.Error();
    failure.SetOnce(folder, 0);
    state.SetSaveOutcome(failure);
    if (error) *error = failure;
    return false;
}

bool TBaseLoader::BaseModified(TMyType& state) {
    if (state.baseFolder.isEmpty()) return false;
    for (TTableKind kind : LedgerKinds())
        if (state.Table(kind).Modified()) return true;
    // Returns are written with their debt: those of a debt still being typed wait for it.
    TMemTable& dolg = state.Table(TTableKind::Dolg);
    const int required = TableDef(TTableKind::Dolg).required;
    for (int i = 0; i < dolg.RowCount(); ++i) {
        const TTableRow* row = dolg.Row(i);
        bool complete = true;
        for (int c = 0; c < required && complete; ++c)
            complete = !row->CellBytes(c).isEmpty();
        bool ok = false;
        const int n = DebtNumberCell(row->Cell(col::dolg::DebtNumber), &ok);
        if (complete && ok && size_t(n) < state.returns.size() && state.returns[size_t(n)] &&
            state.returns[size_t(n)]->Modified())
            return true;
    }
    return state.users.Modified() || state.Table(TTableKind::Transfer).Modified() ||
           state.Table(TTableKind::Purse).Modified() || state.vidRashod.Modified() ||
           state.vidDohod.Modified();
}
