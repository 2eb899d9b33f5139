#pragma once

#include "money/tcalculationresults.h"
#include "money/tcleartables.h"
#include "money/tdolgclass.h"
#include "money/titogi.h"
#include "money/tpurseclass.h"

#include <functional>

class IMoneyView;
class TMyType;

// The money rules of one program run, wired together: created once at start-up beside the state.
// The commit pipeline and the windows call the three rule objects directly or through the
// dispatching calls below, which choose by table.
class TMoney {
public:
    explicit TMoney(TMyType& state);
    TMoney(const TMoney&) = delete;
    TMoney& operator=(const TMoney&) = delete;

    TCalculationResults calc;
    TDolgClass dolg;
    TPurseClass purse;

    void SetView(IMoneyView* view);

    // After TBaseLoader::OpenBase: every total, the debts' returns with their remainders, the total
    // money, and the first debt's returns on show.
    void RecomputeAfterLoad();

    // A ledger or returns cell is about to take `value` (the value to store, already normalised):
    // totals and purse effects. Returns are those of the debt on show. For ledgers and returns only:
    // purse and transfer cells are committed by their own table rules.
    void CellCommitting(TTableKind kind, int row, int column, const QString& value);
    // After the store: the follow-ups (debts: "не отображать", remainders, due date; returns: remainders).
    void CellCommitted(TTableKind kind, int row, int column);
    // The Delete key on a record of a ledger or a return, once the user has confirmed: the money always
    // goes back. Debts lose their returns. Purses and transfers are deleted by their table's rules.
    void DeleteRecord(TTableKind kind, int row);

    // The dialog "Очистить таблицы" after "Принять".
    bool ClearTablesByPeriod(const TClearRequest& request, const std::function<void()>& dropFilter,
                             bool askFirst = true);

    // The totals panel's content for the table on show.
    TTotalsPanelData TotalsPanel(TTableKind current);

private:
    TMyType& m_state;
};
