#pragma once

#include "ledger/iledgerhooks.h"

#include <functional>

class TFilters;
class TMoney;
class TMyType;

// The record editor's calls routed to the money rules and the filters: totals and purse effects of
// ledger records and debt returns, purses and transfers committed by their own rules, the filter's
// totals kept while records change.
class TMoneyHooks : public ILedgerHooks {
public:
    TMoneyHooks(TMyType& state, TMoney& money, TFilters& filters);

    // The users grid's commits and who may edit its cells belong to the users rules, which sit above
    // this layer.
    std::function<bool(TDataGrid&, int tableRow, int column, const QString& typed, TCommitResult&)> commitUserCell;
    std::function<bool(int tableRow, int column)> mayEditUserCell;
    // The totals panel and the purse views need redrawing.
    std::function<void(TDataGrid&)> totalsChanged;

    bool MayEditCell(TDataGrid& grid, int tableRow, int column) override;
    bool AcceptValue(TDataGrid& grid, int tableRow, int column, const QString& oldText, QString& newText) override;
    void RecordChanging(TDataGrid& grid, int tableRow, const QStringList& before, const QStringList& after) override;
    void RecordChanged(TDataGrid& grid, int tableRow, int column, const QString& oldText) override;
    bool CommitOwnCell(TDataGrid& grid, int tableRow, int column, const QString& typed, TCommitResult& result) override;
    bool RemoveRecord(TDataGrid& grid, int tableRow) override;
    void NewRowAppended(TDataGrid& grid, int tableRow) override;
    void TotalsChanged(TDataGrid& grid) override;
    void ReapplyFilter(TDataGrid& grid) override;
    void DropFilter(TDataGrid& grid) override;

private:
    TMyType& m_state;
    TMoney& m_money;
    TFilters& m_filters;
};
