#pragma once

struct TFileError;
class TMyType;
class TDataGrid;

// Opens the base named in the state (its folder set) into memory, and writes it back. Totals are
// computed by the money layer once the tables are in.
class TBaseLoader {
public:
    // Reference lists, purses, transfers, the five ledgers with the debts' returns, and the users.
    // Every ledger ends with its new-record row and is sorted by its date; damage is reported and
    // leaves state.damaged set. A save left unfinished is completed first, unless the base is opened
    // read-only (another program's save may be under way).
    static void OpenBase(TMyType& state);
    // Every changed table of the open base in one transaction: the ledgers with their returns, the
    // users, the transfers, the kinds lists and the purses, then the base's settings. False, with
    // nothing on disk changed and the failed file in error, when the save could not be made. A base
    // open read-only is never written (true); one another program has taken over meanwhile becomes
    // read-only here, which is told (KeepBaseLock), and is not written either.
    static bool SaveBase(TMyType& state, TFileError* error = nullptr);
    // SaveBase at the fixed save points (the close, a switch, an archive...), telling the user when it
    // fails: "Не удалось сохранить базу" with the file and the reason. Every save of the base leaves
    // state.saveFailed and state.saveError set by a failure until a save succeeds.
    static bool SaveAndTell(TMyType& state);
    // The same without the settings: what the automatic save writes.
    static bool SaveTables(TMyType& state, TFileError* error = nullptr);
    // The two kinds lists and the purses, as they are. A failure counts as a failed save of the base.
    static bool SaveKindsAndPurses(TMyType& state, TFileError* error = nullptr);
    // Something of the open base changed since it was read or last saved.
    static bool BaseModified(TMyType& state);
    // Appends the new-record row to a freshly loaded table: one cell per column (and the hidden ones),
    // the default date where the view writes one, a returns table for a debt.
    static void AppendNewRecordRow(TMyType& state, TDataGrid& grid);
};
