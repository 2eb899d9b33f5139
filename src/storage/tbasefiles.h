#pragma once

#include "storage/tabledefs.h"
#include "storage/tmemtable.h"

#include <QString>

#include <memory>
#include <vector>

struct TUnfinishedSave;

// The returns tables of the debts, indexed by the number in the debt's hidden cell. Shared, so that a change
// taken back still holds the returns of a debt it deleted.
using TReturnsTables = std::vector<std::shared_ptr<TMemTable>>;
// Which returns table each file "Debt/debt<k>" holds, as it was last read or written: the numbers in the
// files follow the debts' places and need not be those in memory. None (nullptr) for a file whose table
// is not kept.
// A table the history let go is forgotten here with it: another table made later at the same address is
// never taken for the one the file holds.
using TReturnsOnDisk = std::vector<std::weak_ptr<const TMemTable>>;

// What stands where a table file (or the returns folder) should be, found without following a link: the
// program reads and writes nothing through a link.
enum class TTableFileState {
    File,      // a regular file the program may read
    Missing,   // nothing there
    Folder,    // a folder in its place
    Link,      // a symbolic link
    NoRead,    // the current user may not read it
    NotAFile,  // a device, a pipe or a socket
    ReadError, // the disk could not give its bytes
    NoFolder,  // the folder that should hold it cannot be made
};

// The state of a path as it stands; a regular file is opened for reading to tell File from NoRead.
TTableFileState TableFileState(const QString& path);
// Reads a table file whole without following a link; bytes are set only for File.
TTableFileState ReadTableFile(const QString& path, QByteArray& bytes);

// A table file that stands unreadable: nothing of it is read, and it is never written over.
struct TUnreachable {
    QString path;
    TTableFileState state = TTableFileState::NoRead;
    bool folder = false; // the returns folder, not a table file
};
using TUnreachableFiles = std::vector<TUnreachable>;
// The line that says what stands there: "Нет прав на чтение файла \"<path>\"", ...
QString UnreachableLine(const TUnreachable& file);
// Beep and one error box with a line per file; when a base is named, the last line says it opened read-only.
void TellUnreachable(const TUnreachableFiles& files, const QString& readOnlyBase = QString());
// Adds the file to the list, or tells it at once when the caller keeps no list.
void NoteUnreachable(TUnreachableFiles* list, const TUnreachable& file);

// The path of a table file in a folder, creating the folder and an empty file when missing. When the
// file can be neither read nor created, or is not a regular file (a link, a folder), the folder itself
// is returned, so the table loads empty and saving it fails.
QString ResolveTablePath(const QString& folder, const QString& tableName);
// The same with what stands there: File once a missing file was made, NoFolder with an empty path.
TTableFileState ResolveTableFile(const QString& folder, const QString& tableName, QString& path);

// Keeps a copy of a file that could not be read beside it, as "<name>.damaged-<yyyy-MM-dd-HHmmss>",
// before the program replaces its content. Returns the copy's path (empty when there was nothing to keep);
// a link is not followed and nothing is copied from it.
QString KeepDamagedCopy(const QString& path);
// A name under which a file is kept aside for recovery by hand: "*.damaged-*" or "*.orphan-*".
bool IsKeptAsideName(const QString& fileName);
// The stamp of the names of kept copies: "yyyy-MM-dd-HHmmss" of now.
QString KeptAsideStamp();

// After a load that stopped at damage: keeps the rows before the first one that cannot be read whole.
// Returns the number of rows kept.
int KeepWholeRows(TMemTable& table);

enum class TTableLoad {
    Read,        // whole, or missing (an empty table)
    Damaged,     // reported and kept aside; the whole rows before the damage stay
    Unreachable, // a folder, a link or a file that may not be read: noted, the table left empty
};

// Loads a ledger (or the user table) with its normalisation: rows get the table's cell count, debts
// their number in cell 9 (the row's position in the file), users their role. A damaged file is kept
// aside and reported; the whole rows before the damage stay.
TTableLoad LoadLedgerFile(TTableKind kind, const QString& path, TMemTable& table,
                          TUnreachableFiles* unreachable = nullptr);

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
// the damage. Returns false when any file was damaged. A "Debt" that is not a real folder is noted
// and nothing is read from it, nor made in it. A file an unfinished save still has to put in place is
// read from where its new content waits.
bool LoadReturnsFiles(const QString& baseFolder, const TMemTable& dolg, TReturnsTables& returns,
                      TReturnsOnDisk& onDisk, TUnreachableFiles* unreachable = nullptr,
                      const TUnfinishedSave* unfinished = nullptr);
QString ReturnsFolder(const QString& baseFolder);
QString ReturnsFilePath(const QString& baseFolder, int number);
// The returns folder as it stands: File for a real folder (made when missing), else what is there.
TTableFileState ReturnsFolderState(const QString& baseFolder);

// Returns files that no debt names ("debt<N>" with N not below the number of debts) and that hold
// something are renamed "debt<N>.orphan-<stamp>", out of the way of the save, which would remove them.
// Returns the names they had.
QStringList KeepOrphanReturns(const QString& baseFolder, int debtCount);

// Loads a kinds list, repairing it from the program's DATA folder or its built-in default.
void LoadKindsFile(TKindsList list, const QString& path, const QString& programFolder, TMemTable& table,
                   TUnreachableFiles* unreachable = nullptr);
// The repair of a list that turned out empty when its grids were filled.
void FillEmptyKinds(TKindsList list, const QString& programFolder, TMemTable& table);

// Loads the purses with their repair and defaults; returns the base purse's name.
QString LoadPurseFile(const QString& path, TMemTable& purse, TUnreachableFiles* unreachable = nullptr);
// False when the file was damaged.
bool LoadTransferFile(const QString& path, TMemTable& transfer, TUnreachableFiles* unreachable = nullptr);

// The bytes of a table's file: the rows whose required leading cells are all filled, each with the
// first row's cell count.
QByteArray FilteredTableBytes(TTableKind kind, const TMemTable& table);
// Writes those bytes in place of the file in one step.
bool SaveTableFiltered(TTableKind kind, const TMemTable& table, const QString& path);

// Writes the debts and their returns in one transaction (see TBaseSave::StageDebtsAndReturns).
bool SaveDebtsAndReturns(const QString& baseFolder, TMemTable& dolg, const TReturnsTables& returns,
                         TReturnsOnDisk& onDisk, bool cleanOld);
