#pragma once

#include "ledger/iledgerhooks.h"

class TPurseClass;

// The transfer grid's cells go to the purse rules: each commit takes the row's effect back, stores the
// value and applies the row again; a deleted row gives its money back.
class TTransferTableRules : public ITableRules {
public:
    explicit TTransferTableRules(TPurseClass& purse) : m_purse(purse) {}

    void CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                    TCommitResult& result) override;
    TDeletion DeleteRow(TDataGrid& grid, int tableRow, bool askFirst) override;
    // A purse chosen, continuous entry passes over its rate to the next purse or the amount.
    int CellsAfterChoice(const TDataGrid&) const override { return 2; }

private:
    TPurseClass& m_purse;
};
