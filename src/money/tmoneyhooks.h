#pragma once

#include "ledger/iledgerhooks.h"
#include "money/tpursetablerules.h"
#include "money/ttransfertablerules.h"

#include <functional>

class TFilters;
class TGeneralClass;
class TMoney;
class TMyType;

// The record editor's calls routed to the money rules and the filters: totals and purse effects of
// ledger records and debt returns, the filter's totals kept while records change; and the rules of
// the purse and transfer tables, registered with the editor by RegisterTables.
class TMoneyHooks : public ILedgerHooks {
public:
    TMoneyHooks(TMyType& state, TMoney& money, TFilters& filters);

    // The purse and transfer tables commit by the money layer's rules.
    void RegisterTables(TGeneralClass& general);

    // The totals panel and the purse views need redrawing.
    std::function<void(TDataGrid&)> totalsChanged;

    // A return is typed only for a debt with a sum and a purse ("Долга нет").
    bool MayEditCell(TDataGrid& grid, int gridRow, int column) override;
    // A debt's return beyond what is left of the debt is asked about.
    bool ConfirmChange(TDataGrid& grid, int tableRow, int column, const QStringList& before,
                       const QStringList& after) override;
    void RecordChanging(TDataGrid& grid, int tableRow, const QStringList& before,
                        const QStringList& after) override;
    void RecordChanged(TDataGrid& grid, int tableRow, int column, const QString& oldText) override;
    // With the purse check box set, a sum committed into a record with a blank purse brings the base purse.
    bool AutoFill(TDataGrid& grid, int tableRow, int column, int& fillColumn, QString& value) override;
    // Continuous entry passes over a purse the check box fills.
    bool SkipOnEntry(TDataGrid& grid, int gridRow, int column) override;
    bool RemoveRecord(TDataGrid& grid, int tableRow) override;
    // A debt row without a number takes the number of the debt on show.
    void LastRowChecking(TDataGrid& grid, int tableRow) override;
    // A new debt row gets its own returns table and file.
    void NewRowAppended(TDataGrid& grid, int tableRow) override;
    void TotalsChanged(TDataGrid& grid) override;
    void ReapplyFilter(TDataGrid& grid) override;
    void DropFilter(TDataGrid& grid) override;

private:
    TMyType& m_state;
    TMoney& m_money;
    TFilters& m_filters;
    TPurseTableRules m_purseRules;
    TTransferTableRules m_transferRules;
};
