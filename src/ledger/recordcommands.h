#pragma once

// Whether the edit button and "Удалить строку" may be used on a ledger page, as the selection and
// the editor stand.
struct TRecordCommands {
    // The last column is the user column, which the row's commit fills: there is nothing to edit.
    bool editEnabled = true;
    // An open cell editor is committed or undone first; deleting its row under it is not offered.
    bool deleteShown = true;
};

TRecordCommands LedgerRecordCommands(bool lastColumn, bool editorOpen);
