#pragma once

class TMyType;
class TDataGrid;

// Opens the base named in the state (its folder set) into memory, and writes it back. Totals are
// computed by the money layer once the tables are in.
class TBaseLoader {
public:
    // Reference lists, purses, transfers, the five ledgers with the debts' returns, and the users.
    // Every ledger ends with its new-record row and is sorted by its date; damage is reported and
    // leaves state.damaged set.
    static void OpenBase(TMyType& state);
    // The ledgers with their returns, the users and the transfers, then the base's settings.
    static void SaveBase(TMyType& state);
    // Saved by the callers of SaveBase as they are: the two kinds lists and the purses.
    static void SaveKindsAndPurses(TMyType& state);
    // Appends the new-record row to a freshly loaded table: one cell per column (and the hidden ones),
    // the default date where the view writes one, a returns table for a debt.
    static void AppendNewRecordRow(TMyType& state, TDataGrid& grid);
};
