#pragma once

#include "storage/tabledefs.h"
#include "storage/tmemtable.h"

#include <QString>

#include <memory>
#include <vector>

struct TUnfinishedSave;

// The returns tables of the debts, indexed by the number in the debt's hidden cell.
using TReturnsTables = std::vector<std::unique_ptr<TMemTable>>;

// The path of a table file in a folder, creating the folder and an empty file when missing. When the
// file can be neither opened nor created the folder itself is returned, so the table loads empty and
// saving it fails.
QString ResolveTablePath(const QString& folder, const QString& tableName);

// Keeps a copy of a file that could not be read beside it, as "<name>.damaged-<yyyy-MM-dd-HHmmss>",
// before the program replaces its content. Returns the copy's path (empty when there was nothing to keep).
QString KeepDamagedCopy(const QString& path);

// After a load that stopped at damage: keeps the rows before the first one that cannot be read whole.
// Returns the number of rows kept.
int KeepWholeRows(TMemTable& table);

// Loads a ledger (or the user table) with its normalisation: rows get the table's cell count, debts
// their number in cell 9 (the row's position in the file), users their role. A damaged file is kept
// aside and reported; the whole rows before the damage stay. Returns false when the file was damaged.
bool LoadLedgerFile(TTableKind kind, const QString& path, TMemTable& table);

// A debt table of an earlier version keeps one return inside each debt row (cells 9, 10, 11).
// Such rows are found by the first row having more than 11 cells; the returns are taken out into
// one-row returns tables (date, sum, purse, remainder left empty) indexed by row, before the rows are
// cut to the table's cell count.
bool IsOldDebtTable(const TMemTable& dolg);
TReturnsTables TakeOldDebtReturns(TMemTable& dolg);

// The number of a debt's returns table as its hidden cell holds it; ok is false for anything else.
int DebtNumberCell(const QString& text, bool* ok);

// Loads every debt's returns table from "Debt/debt<N>" for the number in the debt's cell 9. One
// unreadable file does not stop the others: it is kept aside and its debt keeps the rows read before
// the damage. Returns false when any file was damaged. A file an unfinished save still has to put in
// place is read from where its new content waits.
bool LoadReturnsFiles(const QString& baseFolder, const TMemTable& dolg, TReturnsTables& returns,
                      const TUnfinishedSave* unfinished = nullptr);
QString ReturnsFolder(const QString& baseFolder);
QString ReturnsFilePath(const QString& baseFolder, int number);

// Loads a kinds list, repairing it from the program's DATA folder or its built-in default.
void LoadKindsFile(TKindsList list, const QString& path, const QString& programFolder, TMemTable& table);
// The repair of a list that turned out empty when its grids were filled.
void FillEmptyKinds(TKindsList list, const QString& programFolder, TMemTable& table);

// Loads the purses with their repair and defaults; returns the base purse's name.
QString LoadPurseFile(const QString& path, TMemTable& purse);
// False when the file was damaged.
bool LoadTransferFile(const QString& path, TMemTable& transfer);

// The bytes of a table's file: the rows whose required leading cells are all filled, each with the
// first row's cell count.
QByteArray FilteredTableBytes(TTableKind kind, const TMemTable& table);
// Writes those bytes in place of the file in one step.
bool SaveTableFiltered(TTableKind kind, const TMemTable& table, const QString& path);

// Writes the debts and their returns in one transaction (see TBaseSave::StageDebtsAndReturns).
bool SaveDebtsAndReturns(const QString& baseFolder, TMemTable& dolg, TReturnsTables& returns, bool cleanOld);
