#pragma once

#include "ledger/iledgerhooks.h"

class TPurseClass;

// The purse grid's cells go to the purse rules: rates and amounts are numbers, a base purse's rate
// stays 1, names are unique, and a purse is deleted after the purse rules' own questions.
class TPurseTableRules : public ITableRules {
public:
    explicit TPurseTableRules(TPurseClass& purse) : m_purse(purse) {}

    bool IsNumberCell(int column) const override;
    bool AcceptTyped(TDataGrid& grid, int tableRow, int column, const QString& typed) override;
    void CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                    TCommitResult& result) override;
    TDeletion DeleteRow(TDataGrid& grid, int tableRow, bool askFirst) override;
    std::vector<QStringList> DeletionQuestions(const TDataGrid& grid, int tableRow) override;
    // Rates and amounts are drawn rounded to two decimals.
    QString CellText(int column, const QString& stored) const override;

private:
    TPurseClass& m_purse;
};
